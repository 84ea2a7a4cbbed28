#include "TextMalformer.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

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

std::string TextMalformer::ExtremeNumbers(std::string& bytes)
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
    if (m_pick.Chance(10)) {
        for (size_t i = 0; i < numbers.size(); ++i) {
            chosen.push_back(i);
        }
    } else {
        for (size_t n = m_pick.Uniform(1, 3); n > 0; --n) {
            chosen.push_back(m_pick.Uniform(0, numbers.size() - 1));
        }
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    }
    std::string replacement;
    for (auto index = chosen.rbegin(); index != chosen.rend(); ++index) {
        replacement = m_pick.Chance(75) ? std::string(m_pick.OneOf(kNumbers))
                                 : (m_pick.Chance(50) ? "-" : "") +
                                       std::to_string(m_pick.AnyNumber());
        bytes.replace(numbers[*index].first, numbers[*index].second, replacement);
    }
    return std::to_string(chosen.size()) + " of " + std::to_string(numbers.size()) + " numbers changed, one to \"" +
           replacement + "\"";
}

std::string TextMalformer::LongLine(std::string& bytes)
{
    static const char* const kPieces[] = {"x", "9", "\t", " ", "\xC3\xA9", "<", "&", "-1\t"};
    const size_t length = m_pick.OneOf({5000, 100000, 1000000, 4000000});
    std::string piece = m_pick.OneOf(kPieces);
    if (m_pick.Chance(25) && !bytes.empty()) {
        const size_t from = m_pick.Uniform(0, bytes.size() - 1);
        piece = bytes.substr(from, m_pick.Uniform(1, 40));
        const size_t newline = piece.find('\n');
        piece = newline == std::string::npos || newline == 0 ? piece : piece.substr(0, newline);
    }
    const size_t at = m_pick.Position(bytes);
    bytes.insert(at, Repeated(piece, length));
    return "a line of " + std::to_string(length) + " bytes at " + std::to_string(at);
}

std::string TextMalformer::InvalidUtf8(std::string& bytes)
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
    if (m_pick.Chance(25)) {
        // A multi-byte character of the text cut short.
        for (size_t tries = 0; tries < 64 && !bytes.empty(); ++tries) {
            const size_t at = m_pick.Uniform(0, bytes.size() - 1);
            if ((static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80) {
                bytes.erase(at, 1);
                return "a character's continuation byte at " + std::to_string(at) + " removed";
            }
        }
    }
    const size_t at = m_pick.Position(bytes);
    bytes.insert(at, m_pick.OneOf(kSequences));
    return "invalid UTF-8 at " + std::to_string(at);
}

std::string TextMalformer::ByteOrderMark(std::string& bytes)
{
    switch (m_pick.Uniform(0, 5)) {
    case 0:
        bytes.insert(0, "\xEF\xBB\xBF");
        return "a UTF-8 byte-order mark";
    case 1:
        bytes.insert(0, "\xEF\xBB\xBF\xEF\xBB\xBF");
        return "two UTF-8 byte-order marks";
    case 2:
        bytes.insert(0, m_pick.Chance(50) ? "\xFF\xFE" : "\xFE\xFF");
        return "a UTF-16 byte-order mark on UTF-8";
    case 3: {
        const size_t at = m_pick.Position(bytes);
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

std::string TextMalformer::LineEnds(std::string& bytes)
{
    static const char* const kEnds[] = {"\r\n", "\r", "\r\r\n", "", "\n\n"};
    static const char* const kNames[] = {"CRLF", "CR", "CR CR LF", "nothing", "LF LF"};
    const size_t kind = m_pick.Uniform(0, 4);
    const std::string end = kEnds[kind];
    const bool every = m_pick.Chance(60);
    std::string changed;
    changed.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        if (c == '\n' && (every || m_pick.Chance(50))) {
            changed += end;
        } else {
            changed += c;
        }
    }
    bytes.swap(changed);
    return std::string(every ? "every" : "some") + " line end as " + kNames[kind];
}

std::string TextMalformer::DeepNesting(std::string& bytes, FileContent content)
{
    const size_t depth = m_pick.OneOf({64, 256, 1000, 10000, 100000});
    const bool closed = m_pick.Chance(50);
    if (content == FileContent::kJson) {
        // A member of nested arrays, where the reader looks for others.
        const size_t object = bytes.find('{', m_pick.Uniform(0, bytes.size()));
        const size_t at = object == std::string::npos ? bytes.find('{') : object;
        if (at == std::string::npos) {
            return "no object to nest in";
        }
        bytes.insert(at + 1, "\"deep\": " + std::string(depth, '[') + (closed ? std::string(depth, ']') + "," : ""));
        return std::to_string(depth) + " nested arrays" + (closed ? "" : ", never closed");
    }
    if (m_pick.Chance(25)) {
        // Entities that expand to entities, declared in the document and used in a word.
        const size_t doctype = bytes.find("<!DOCTYPE");
        const size_t doctypeEnd = doctype == std::string::npos ? std::string::npos : bytes.find('>', doctype);
        const size_t levels = m_pick.Uniform(3, 10);
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
    const std::string element = m_pick.OneOf(kElements);
    const std::string name = element.substr(1, element.find_first_of(" >") - 1);
    const size_t tag = bytes.find('>', m_pick.Uniform(0, bytes.size()));
    const size_t at = tag == std::string::npos ? bytes.size() : tag + 1;
    bytes.insert(at, Repeated(element, depth * element.size()) +
                         (closed ? Repeated("</" + name + ">", depth * (name.size() + 3)) : ""));
    return std::to_string(depth) + " nested <" + name + "> at " + std::to_string(at) + (closed ? "" : ", never closed");
}

std::string TextMalformer::SwapNames(std::string& bytes)
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
    const auto& from = names[m_pick.Uniform(0, names.size() - 1)];
    const auto& to = names[m_pick.Uniform(0, names.size() - 1)];
    const std::string replacement = bytes.substr(from.first, from.second);
    const std::string replaced = bytes.substr(to.first, to.second);
    bytes.replace(to.first, to.second, replacement);
    return "\"" + replaced + "\" replaced by \"" + replacement + "\"";
}
