#include "Malformer.h"

#include <windows.h>

#include <algorithm>
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

std::string Repeated(const std::string& piece, size_t length)
{
    std::string text;
    text.reserve(length + piece.size());
    while (text.size() < length) {
        text += piece;
    }
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

} // namespace

size_t Malformer::Uniform(size_t low, size_t high)
{
    return std::uniform_int_distribution<size_t>(low, high)(m_random);
}

size_t Malformer::Position(const std::string& bytes)
{
    const size_t position = Uniform(0, bytes.size());
    if (Chance(50)) {
        const size_t lineStart = bytes.rfind('\n', position == 0 ? 0 : position - 1);
        return lineStart == std::string::npos || position == 0 ? 0 : lineStart + 1;
    }
    return position;
}

std::string Malformer::Apply(std::string& bytes, FileContent content)
{
    const size_t count = Chance(65) ? 1 : Chance(70) ? 2 : 3;
    std::string done;
    for (size_t i = 0; i < count; ++i) {
        done += (i == 0 ? "" : "; ") + ApplyOne(bytes, content);
    }
    return done;
}

std::string Malformer::ApplyOne(std::string& bytes, FileContent content)
{
    if (content == FileContent::kImage) {
        switch (Uniform(0, 2)) {
        case 0:
            return Truncate(bytes);
        case 1:
            return FlipBytes(bytes, content);
        default:
            return ExtremeHeaderField(bytes);
        }
    }
    switch (Uniform(0, 8)) {
    case 0:
        return Truncate(bytes);
    case 1:
        return FlipBytes(bytes, content);
    case 2:
        return ExtremeNumbers(bytes);
    case 3:
        return LongLine(bytes);
    case 4:
        return InvalidUtf8(bytes);
    case 5:
        return ByteOrderMark(bytes);
    case 6:
        return LineEnds(bytes);
    case 7:
        return content == FileContent::kTabular ? LongLine(bytes) : DeepNesting(bytes, content);
    default:
        return SwapNames(bytes);
    }
}

std::string Malformer::Truncate(std::string& bytes)
{
    // A header cut short as often as a body.
    const size_t keep = Chance(30) ? Uniform(0, std::min<size_t>(bytes.size(), 64)) : Uniform(0, bytes.size());
    bytes.resize(std::min(keep, bytes.size()));
    return "truncated to " + std::to_string(bytes.size()) + " bytes";
}

std::string Malformer::FlipBytes(std::string& bytes, FileContent content)
{
    if (bytes.empty()) {
        return "no byte to flip";
    }
    const size_t flips = OneOf({1, 2, 4, 8, 32});
    // An image's header holds most of what its decoder trusts.
    const size_t span = content == FileContent::kImage && Chance(50) ? std::min<size_t>(bytes.size(), 1024) : bytes.size();
    std::string done = std::to_string(flips) + " bytes flipped, the first at ";
    for (size_t i = 0; i < flips; ++i) {
        const size_t at = Uniform(0, span - 1);
        bytes[at] = static_cast<char>(bytes[at] ^ static_cast<char>(Uniform(1, 255)));
        if (i == 0) {
            done += std::to_string(at);
        }
    }
    return done;
}

std::string Malformer::ExtremeNumbers(std::string& bytes)
{
    static const char* const kNumbers[] = {
        "-1", "0", "-0", "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967296",
        "9223372036854775807", "9223372036854775808", "-9223372036854775809", "99999999999999999999999999999999",
        "1e308", "1e309", "-1e309", "1e-400", "4.9e-324", "NaN", "nan", "inf", "-Infinity", "0x7fffffff",
        "1,5", "+5", "1e2147483648", "000000000000000000000000000000007", "", "\xd9\xa3"}; // Arabic-Indic 3
    // The numbers of the text: runs of digits, with a sign, a fraction and an exponent.
    std::vector<std::pair<size_t, size_t>> numbers;
    for (size_t i = 0; i < bytes.size();) {
        if (!IsDigit(bytes[i])) {
            ++i;
            continue;
        }
        size_t start = i > 0 && bytes[i - 1] == '-' ? i - 1 : i;
        while (i < bytes.size() && (IsDigit(bytes[i]) || bytes[i] == '.' ||
                                    ((bytes[i] == 'e' || bytes[i] == 'E') && i + 1 < bytes.size() &&
                                     (IsDigit(bytes[i + 1]) || bytes[i + 1] == '-')))) {
            i += bytes[i] == 'e' || bytes[i] == 'E' ? 2 : 1;
        }
        numbers.emplace_back(start, i - start);
    }
    if (numbers.empty()) {
        return "no number to change";
    }
    // Some of them, or all; replaced from the last, so that the earlier places stay put.
    std::vector<size_t> chosen;
    if (Chance(10)) {
        for (size_t i = 0; i < numbers.size(); ++i) {
            chosen.push_back(i);
        }
    } else {
        for (size_t n = Uniform(1, 3); n > 0; --n) {
            chosen.push_back(Uniform(0, numbers.size() - 1));
        }
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    }
    std::string replacement;
    for (auto index = chosen.rbegin(); index != chosen.rend(); ++index) {
        replacement = Chance(75) ? std::string(OneOf(kNumbers))
                                 : (Chance(50) ? "-" : "") +
                                       std::to_string(std::uniform_int_distribution<long long>()(m_random));
        bytes.replace(numbers[*index].first, numbers[*index].second, replacement);
    }
    return std::to_string(chosen.size()) + " of " + std::to_string(numbers.size()) + " numbers changed, one to \"" +
           replacement + "\"";
}

std::string Malformer::ExtremeHeaderField(std::string& bytes)
{
    std::vector<HeaderField> fields = HeaderFields(bytes);
    if (fields.empty()) {
        // An unrecognised header: four bytes near the start.
        if (bytes.size() < 4) {
            return Truncate(bytes);
        }
        fields.push_back({Uniform(0, std::min<size_t>(bytes.size(), 256) - 4), 4, Chance(50), HeaderField::kOther});
    }
    const auto extreme = [this](size_t size) -> std::uint32_t {
        const std::uint32_t most = size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
        const std::uint32_t choices[] = {0, 1, most, most - 1, most >> 1, (most >> 1) + 1,
                                         static_cast<std::uint32_t>(Uniform(0, most)),
                                         1u << Uniform(0, 8 * size - 1)};
        return OneOf(choices);
    };
    std::string done = "header fields";
    // The size as a pair half of the time: one side huge, the other small, or both huge.
    const HeaderField* width = nullptr;
    const HeaderField* height = nullptr;
    for (const HeaderField& field : fields) {
        width = field.role == HeaderField::kWidth && width == nullptr ? &field : width;
        height = field.role == HeaderField::kHeight && height == nullptr ? &field : height;
    }
    if (width != nullptr && height != nullptr && Chance(50)) {
        const std::uint32_t huge[] = {0x7FFFFFFFu, 0x10000u, 1000000u, 100000000u, 0xFFFFu, 0xFFFFFFFFu};
        const std::uint32_t small[] = {0u, 1u, 2u};
        std::uint32_t across = OneOf(huge);
        std::uint32_t down = Chance(50) ? OneOf(small) : OneOf(huge);
        if (Chance(50)) {
            std::swap(across, down);
        }
        WriteField(bytes, *width, across);
        WriteField(bytes, *height, down);
        done += ": size " + std::to_string(ReadField(bytes, width->offset, width->size, width->bigEndian)) + " x " +
                std::to_string(ReadField(bytes, height->offset, height->size, height->bigEndian));
    } else {
        for (size_t n = Uniform(1, 2); n > 0; --n) {
            const HeaderField& field = fields[Uniform(0, fields.size() - 1)];
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

std::string Malformer::LongLine(std::string& bytes)
{
    static const char* const kPieces[] = {"x", "9", "\t", " ", "\xC3\xA9", "<", "&", "-1\t"};
    const size_t length = OneOf({5000, 100000, 1000000, 4000000});
    std::string piece = OneOf(kPieces);
    if (Chance(25) && !bytes.empty()) {
        const size_t from = Uniform(0, bytes.size() - 1);
        piece = bytes.substr(from, Uniform(1, 40));
        const size_t newline = piece.find('\n');
        piece = newline == std::string::npos || newline == 0 ? piece : piece.substr(0, newline);
    }
    const size_t at = Position(bytes);
    bytes.insert(at, Repeated(piece, length));
    return "a line of " + std::to_string(length) + " bytes at " + std::to_string(at);
}

std::string Malformer::InvalidUtf8(std::string& bytes)
{
    static const char* const kSequences[] = {
        "\xC3\x28",         // a lead byte without its continuation
        "\xA0\xA1",         // continuations without a lead
        "\xE2\x28\xA1",     // a three-byte sequence broken in the middle
        "\xF0\x28\x8C\xBC", // a four-byte sequence broken
        "\xC0\xAF",         // an overlong '/'
        "\xED\xA0\x80",     // a UTF-16 surrogate
        "\xF4\x90\x80\x80", // beyond U+10FFFF
        "\xFF",
        "\xFE",
        "\x80",
        "\xE2\x82",         // cut short
    };
    if (Chance(25)) {
        // A multi-byte character of the text cut short.
        for (size_t tries = 0; tries < 64 && !bytes.empty(); ++tries) {
            const size_t at = Uniform(0, bytes.size() - 1);
            if ((static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80) {
                bytes.erase(at, 1);
                return "a character's continuation byte at " + std::to_string(at) + " removed";
            }
        }
    }
    const size_t at = Position(bytes);
    bytes.insert(at, OneOf(kSequences));
    return "invalid UTF-8 at " + std::to_string(at);
}

std::string Malformer::ByteOrderMark(std::string& bytes)
{
    switch (Uniform(0, 5)) {
    case 0:
        bytes.insert(0, "\xEF\xBB\xBF");
        return "a UTF-8 byte-order mark";
    case 1:
        bytes.insert(0, "\xEF\xBB\xBF\xEF\xBB\xBF");
        return "two UTF-8 byte-order marks";
    case 2:
        bytes.insert(0, Chance(50) ? "\xFF\xFE" : "\xFE\xFF");
        return "a UTF-16 byte-order mark on UTF-8";
    case 3: {
        const size_t at = Position(bytes);
        bytes.insert(at, "\xEF\xBB\xBF");
        return "a byte-order mark at " + std::to_string(at);
    }
    default: {
        // The whole text as UTF-16 (little-endian, with its mark), as some editors save it.
        const int units = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
        if (units > 0) {
            ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], units);
        }
        bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
        return "the whole text as UTF-16";
    }
    }
}

std::string Malformer::LineEnds(std::string& bytes)
{
    static const char* const kEnds[] = {"\r\n", "\r", "\r\r\n", "", "\n\n"};
    static const char* const kNames[] = {"CRLF", "CR", "CR CR LF", "nothing", "LF LF"};
    const size_t kind = Uniform(0, 4);
    const std::string end = kEnds[kind];
    const bool every = Chance(60);
    std::string changed;
    changed.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        if (c == '\n' && (every || Chance(50))) {
            changed += end;
        } else {
            changed += c;
        }
    }
    bytes.swap(changed);
    return std::string(every ? "every" : "some") + " line end as " + kNames[kind];
}

std::string Malformer::DeepNesting(std::string& bytes, FileContent content)
{
    const size_t depth = OneOf({64, 256, 1000, 10000, 100000});
    const bool closed = Chance(50);
    if (content == FileContent::kJson) {
        // A member of nested arrays, where the reader looks for others.
        const size_t object = bytes.find('{', Uniform(0, bytes.size()));
        const size_t at = object == std::string::npos ? bytes.find('{') : object;
        if (at == std::string::npos) {
            return "no object to nest in";
        }
        bytes.insert(at + 1, "\"deep\": " + std::string(depth, '[') + (closed ? std::string(depth, ']') + "," : ""));
        return std::to_string(depth) + " nested arrays" + (closed ? "" : ", never closed");
    }
    if (Chance(25)) {
        // Entities that expand to entities, declared in the document and used in a word.
        const size_t doctype = bytes.find("<!DOCTYPE");
        const size_t doctypeEnd = doctype == std::string::npos ? std::string::npos : bytes.find('>', doctype);
        const size_t levels = Uniform(3, 10);
        std::string declarations = "<!DOCTYPE html [<!ENTITY e0 \"lol\">";
        for (size_t level = 1; level <= levels; ++level) {
            const std::string reference = "&e" + std::to_string(level - 1) + ";";
            declarations += "<!ENTITY e" + std::to_string(level) + " \"" + Repeated(reference, 10 * reference.size()) +
                            "\">";
        }
        declarations += "]>";
        if (doctypeEnd != std::string::npos) {
            bytes.replace(doctype, doctypeEnd + 1 - doctype, declarations);
        }
        const size_t word = bytes.find("ocrx_word");
        const size_t text = word == std::string::npos ? std::string::npos : bytes.find('>', word);
        if (text != std::string::npos) {
            bytes.insert(text + 1, "&e" + std::to_string(levels) + ";");
        }
        return std::to_string(levels) + " levels of entities";
    }
    static const char* const kElements[] = {"<div>", "<span class='ocr_line' title='bbox 0 0 10 10; x_size 5'>",
                                            "<span class='ocrx_word' title='bbox 1 1 5 5; x_wconf 50'>",
                                            "<span class='ocrx_cinfo' title='x_bboxes 1 1 2 2; x_conf 5'>"};
    const std::string element = OneOf(kElements);
    const std::string name = element.substr(1, element.find_first_of(" >") - 1);
    const size_t tag = bytes.find('>', Uniform(0, bytes.size()));
    const size_t at = tag == std::string::npos ? bytes.size() : tag + 1;
    bytes.insert(at, Repeated(element, depth * element.size()) +
                         (closed ? Repeated("</" + name + ">", depth * (name.size() + 3)) : ""));
    return std::to_string(depth) + " nested <" + name + "> at " + std::to_string(at) + (closed ? "" : ", never closed");
}

std::string Malformer::SwapNames(std::string& bytes)
{
    // A name of the file in the place of another: a class, an attribute, a key, a word.
    std::vector<std::pair<size_t, size_t>> names;
    for (size_t i = 0; i < bytes.size();) {
        if (!IsNameCharacter(bytes[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < bytes.size() && IsNameCharacter(bytes[i])) {
            ++i;
        }
        names.emplace_back(start, i - start);
    }
    if (names.size() < 2) {
        return "no names to swap";
    }
    const auto& from = names[Uniform(0, names.size() - 1)];
    const auto& to = names[Uniform(0, names.size() - 1)];
    const std::string replacement = bytes.substr(from.first, from.second);
    const std::string replaced = bytes.substr(to.first, to.second);
    bytes.replace(to.first, to.second, replacement);
    return "\"" + replaced + "\" replaced by \"" + replacement + "\"";
}
