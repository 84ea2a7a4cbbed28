#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

std::wstring Widen(const char* first, const char* last)
{
    return std::wstring(first, last);
}

bool IsCSpace(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

// For a match that from_chars found out of range: true when its magnitude is too large,
// false when it is too small. Decides from the position of the first significant digit
// and the exponent, which is all that matters at the ends of the range.
bool IsOverflow(const char* first, const char* last, bool hexadecimal)
{
    long long position = 0; // exponent of the first significant digit, in the number's base
    bool seenPoint = false;
    bool seenDigit = false;
    const char* p = first;
    const char exponentMark = hexadecimal ? 'p' : 'e';
    for (; p != last && (*p | 0x20) != exponentMark; ++p) {
        if (*p == '.') {
            seenPoint = true;
        } else if (*p == '0' && !seenDigit) {
            if (seenPoint) {
                --position;
            }
        } else {
            if (!seenDigit) {
                seenDigit = true;
            }
            if (!seenPoint) {
                ++position;
            }
        }
    }
    long long exponent = 0;
    if (p != last) {
        ++p;
        bool negative = false;
        if (p != last && (*p == '+' || *p == '-')) {
            negative = *p == '-';
            ++p;
        }
        for (; p != last && exponent < 1000000; ++p) {
            exponent = exponent * 10 + (*p - '0');
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    // A hexadecimal exponent counts binary places, four to a digit.
    return hexadecimal ? position * 4 + exponent > 0 : position + exponent > 0;
}

} // namespace

std::wstring FormatFixed6(double value)
{
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return Widen(text, result.ptr);
}

std::wstring FormatInteger(int value)
{
    char text[16];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return Widen(text, result.ptr);
}

double ParseNumber(const std::wstring& text)
{
    size_t start = 0;
    while (start < text.size() && IsCSpace(text[start])) {
        ++start;
    }
    // Everything a number can hold is ASCII: the number ends at the first other character.
    std::string narrow;
    for (size_t i = start; i < text.size() && text[i] < 0x80; ++i) {
        narrow.push_back(static_cast<char>(text[i]));
    }

    const char* p = narrow.data();
    const char* const last = p + narrow.size();
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p != last && (*p == '+' || *p == '-')) {
        return 0.0; // a second sign: no number
    }

    double value = 0.0;
    const bool hexadecimal = last - p > 2 && p[0] == '0' && (p[1] | 0x20) == 'x';
    const char* const digits = hexadecimal ? p + 2 : p;
    const auto result = std::from_chars(digits, last, value,
                                        hexadecimal ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) {
        // "0x" without hexadecimal digits is the number 0 followed by other text.
        value = 0.0;
    } else if (result.ec == std::errc::result_out_of_range) {
        value = IsOverflow(digits, result.ptr, hexadecimal) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}
