#include "Malformer.h"

#include <algorithm>

std::string Malformer::Apply(std::string& bytes, FileContent content)
{
    const size_t count = m_pick.Chance(65) ? 1 : m_pick.Chance(70) ? 2 : 3;
    std::string done;
    for (size_t i = 0; i < count; ++i) {
        done += (i == 0 ? "" : "; ") + ApplyOne(bytes, content);
    }
    return done;
}

std::string Malformer::ApplyOne(std::string& bytes, FileContent content)
{
    if (content == FileContent::kImage) {
        switch (m_pick.Uniform(0, 2)) {
        case 0:
            return Truncate(bytes);
        case 1:
            return FlipBytes(bytes, content);
        default:
            // A header too short for any field is cut shorter still.
            return bytes.size() < 4 ? Truncate(bytes) : m_image.ExtremeHeaderField(bytes);
        }
    }
    switch (m_pick.Uniform(0, 8)) {
    case 0:
        return Truncate(bytes);
    case 1:
        return FlipBytes(bytes, content);
    case 2:
        return m_text.ExtremeNumbers(bytes);
    case 3:
        return m_text.LongLine(bytes);
    case 4:
        return m_text.InvalidUtf8(bytes);
    case 5:
        return m_text.ByteOrderMark(bytes);
    case 6:
        return m_text.LineEnds(bytes);
    case 7:
        return content == FileContent::kTabular ? m_text.LongLine(bytes) : m_text.DeepNesting(bytes, content);
    default:
        return m_text.SwapNames(bytes);
    }
}

std::string Malformer::Truncate(std::string& bytes)
{
    // A header cut short as often as a body.
    const size_t keep = m_pick.Chance(30) ? m_pick.Uniform(0, std::min<size_t>(bytes.size(), 64))
                                          : m_pick.Uniform(0, bytes.size());
    bytes.resize(std::min(keep, bytes.size()));
    return "truncated to " + std::to_string(bytes.size()) + " bytes";
}

std::string Malformer::FlipBytes(std::string& bytes, FileContent content)
{
    if (bytes.empty()) {
        return "no byte to flip";
    }
    const size_t flips = m_pick.OneOf({1, 2, 4, 8, 32});
    // An image's header holds most of what its decoder trusts.
    const size_t span =
        content == FileContent::kImage && m_pick.Chance(50) ? std::min<size_t>(bytes.size(), 1024) : bytes.size();
    std::string done = std::to_string(flips) + " bytes flipped, the first at ";
    for (size_t i = 0; i < flips; ++i) {
        const size_t at = m_pick.Uniform(0, span - 1);
        bytes[at] = static_cast<char>(bytes[at] ^ static_cast<char>(m_pick.Uniform(1, 255)));
        if (i == 0) {
            done += std::to_string(at);
        }
    }
    return done;
}
