#include "ImageMalformer.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

// A number field of an image file's header, as its format lays it out.
struct HeaderField {
    enum Role { kWidth, kHeight, kOther };
    size_t offset;
    size_t size; // bytes
    bool bigEndian;
    Role role;
};

std::uint32_t ReadField(const std::string& bytes, size_t offset, size_t size, bool bigEndian)
{
    std::uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[offset + (bigEndian ? i : size - 1 - i)]);
        value = (value << 8) | byte;
    }
    return value;
}

void WriteField(std::string& bytes, const HeaderField& field, std::uint32_t value)
{
    for (size_t i = 0; i < field.size; ++i) {
        const size_t shift = 8 * (field.bigEndian ? field.size - 1 - i : i);
        bytes[field.offset + i] = static_cast<char>((value >> shift) & 0xFF);
    }
}

// A TIFF's first directory: its size, the strips and the samples.
void TiffFields(const std::string& bytes, bool bigEndian, std::vector<HeaderField>& fields)
{
    const size_t directory = ReadField(bytes, 4, 4, bigEndian);
    if (directory + 2 > bytes.size()) {
        return;
    }
    const size_t entries = ReadField(bytes, directory, 2, bigEndian);
    for (size_t i = 0; i < entries && directory + 2 + 12 * (i + 1) <= bytes.size(); ++i) {
        const size_t entry = directory + 2 + 12 * i;
        const std::uint32_t tag = ReadField(bytes, entry, 2, bigEndian);
        const size_t size = ReadField(bytes, entry + 2, 2, bigEndian) == 3 ? 2 : 4; // SHORT or LONG
        const HeaderField::Role role = tag == 256 ? HeaderField::kWidth
                                       : tag == 257 ? HeaderField::kHeight
                                                    : HeaderField::kOther;
        if (tag == 256 || tag == 257 || tag == 258 || tag == 273 || tag == 277 || tag == 278 || tag == 279) {
            fields.push_back({entry + 8, size, bigEndian, role});
        }
    }
}

// The fields of the image's header that say how large it is and how its pixels are laid
// out, for the formats the station reads; none when the header is not recognised.
std::vector<HeaderField> HeaderFields(const std::string& bytes)
{
    std::vector<HeaderField> fields;
    const auto startsWith = [&](const char* magic, size_t length) { return bytes.compare(0, length, magic, length) == 0; };
    if (startsWith("\x89PNG", 4) && bytes.size() >= 33 && bytes.compare(12, 4, "IHDR") == 0) {
        fields = {{16, 4, true, HeaderField::kWidth}, {20, 4, true, HeaderField::kHeight},
                  {24, 1, true, HeaderField::kOther}, {25, 1, true, HeaderField::kOther},
                  {28, 1, true, HeaderField::kOther}};
    } else if (startsWith("BM", 2) && bytes.size() >= 54) {
        fields = {{18, 4, false, HeaderField::kWidth}, {22, 4, false, HeaderField::kHeight},
                  {10, 4, false, HeaderField::kOther}, {28, 2, false, HeaderField::kOther},
                  {30, 4, false, HeaderField::kOther}, {34, 4, false, HeaderField::kOther},
                  {46, 4, false, HeaderField::kOther}};
    } else if (startsWith("GIF8", 4) && bytes.size() >= 13) {
        fields = {{6, 2, false, HeaderField::kWidth}, {8, 2, false, HeaderField::kHeight},
                  {10, 1, false, HeaderField::kOther}};
        // The first image's own size, after the screen's colour table.
        const auto packed = static_cast<std::uint8_t>(bytes[10]);
        const size_t image = bytes.find('\x2C', 13 + ((packed & 0x80) != 0 ? 3u << ((packed & 7) + 1) : 0u));
        if (image != std::string::npos && image + 10 <= bytes.size()) {
            fields.push_back({image + 5, 2, false, HeaderField::kWidth});
            fields.push_back({image + 7, 2, false, HeaderField::kHeight});
        }
    } else if (startsWith("\xFF\xD8", 2)) {
        for (const char marker : {'\xC0', '\xC1', '\xC2'}) {
            const size_t frame = bytes.find(std::string("\xFF") + marker);
            if (frame != std::string::npos && frame + 10 <= bytes.size()) {
                fields = {{frame + 5, 2, true, HeaderField::kHeight}, {frame + 7, 2, true, HeaderField::kWidth},
                          {frame + 9, 1, true, HeaderField::kOther}};
                break;
            }
        }
    } else if ((startsWith("II*\0", 4) || startsWith("MM\0*", 4)) && bytes.size() >= 8) {
        TiffFields(bytes, bytes[0] == 'M', fields);
    }
    return fields;
}

// A PNG chunk's check value (CRC-32), which the decoder verifies before it reads the chunk.
std::uint32_t Crc32(const std::string& bytes, size_t offset, size_t length)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = offset; i < offset + length; ++i) {
        crc ^= static_cast<std::uint8_t>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

} // namespace

std::string ImageMalformer::ExtremeHeaderField(std::string& bytes)
{
    std::vector<HeaderField> fields = HeaderFields(bytes);
    if (fields.empty()) {
        // An unrecognised header: four bytes near the start.
        if (bytes.size() < 4) {
            return "too short for a header field";
        }
        fields.push_back(
            {m_pick.Uniform(0, std::min<size_t>(bytes.size(), 256) - 4), 4, m_pick.Chance(50), HeaderField::kOther});
    }
    const auto extreme = [this](size_t size) -> std::uint32_t {
        const std::uint32_t most = size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
        const std::uint32_t choices[] = {0, 1, most, most - 1, most >> 1, (most >> 1) + 1,
                                         static_cast<std::uint32_t>(m_pick.Uniform(0, most)),
                                         1u << m_pick.Uniform(0, 8 * size - 1)};
        return m_pick.OneOf(choices);
    };
    std::string done = "header fields";
    // The size as a pair half of the time: one side huge, the other small, or both huge.
    const HeaderField* width = nullptr;
    const HeaderField* height = nullptr;
    for (const HeaderField& field : fields) {
        width = field.role == HeaderField::kWidth && width == nullptr ? &field : width;
        height = field.role == HeaderField::kHeight && height == nullptr ? &field : height;
    }
    if (width != nullptr && height != nullptr && m_pick.Chance(50)) {
        const std::uint32_t huge[] = {0x7FFFFFFFu, 0x10000u, 1000000u, 100000000u, 0xFFFFu, 0xFFFFFFFFu};
        const std::uint32_t small[] = {0u, 1u, 2u};
        std::uint32_t across = m_pick.OneOf(huge);
        std::uint32_t down = m_pick.Chance(50) ? m_pick.OneOf(small) : m_pick.OneOf(huge);
        if (m_pick.Chance(50)) {
            std::swap(across, down);
        }
        WriteField(bytes, *width, across);
        WriteField(bytes, *height, down);
        done += ": size " + std::to_string(ReadField(bytes, width->offset, width->size, width->bigEndian)) + " x " +
                std::to_string(ReadField(bytes, height->offset, height->size, height->bigEndian));
    } else {
        for (size_t n = m_pick.Uniform(1, 2); n > 0; --n) {
            const HeaderField& field = fields[m_pick.Uniform(0, fields.size() - 1)];
            WriteField(bytes, field, extreme(field.size));
            done += " @" + std::to_string(field.offset) + "=" +
                    std::to_string(ReadField(bytes, field.offset, field.size, field.bigEndian));
        }
    }
    if (bytes.compare(0, 4, "\x89PNG") == 0 && bytes.size() >= 33) {
        // The header's check value made right again, so that the decoder reads the fields.
        const std::uint32_t crc = Crc32(bytes, 12, 17);
        WriteField(bytes, {29, 4, true, HeaderField::kOther}, crc);
    }
    return done;
}
