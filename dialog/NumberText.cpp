// The dialog's numbers in the "C" locale, whatever locale the host has set.
//
// "%f" is formatted here rather than by swprintf or std::to_chars: swprintf follows the
// host's locale (a decimal comma), and std::to_chars with a precision drags about 174 KB
// of formatting tables into the DLL (441 KB before, 193 KB after; BENCHMARKS.md, "What was
// changed to get there"). The formatter below is exact: it was checked against
// std::to_chars on 200,000 values.
// Parsing uses std::from_chars behind a wcstod-like prefix scan, which costs no tables.

#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

#include "framework/CArray.h"

namespace {

// ---- Formatting ----

// A natural number of up to 1,100 bits, enough for the largest double times 10^6.
class BigNatural {
public:
    explicit BigNatural(unsigned __int128 value)
    {
        while (value != 0) {
            m_limbs[m_count++] = static_cast<std::uint32_t>(value);
            value >>= 32;
        }
    }

    void ShiftLeft(int bits)
    {
        const int whole = bits / 32;
        const int part = bits % 32;
        if (m_count == 0) {
            return;
        }
        for (int i = m_count - 1; i >= 0; --i) {
            m_limbs[i + whole] = m_limbs[i];
        }
        for (int i = 0; i < whole; ++i) {
            m_limbs[i] = 0;
        }
        m_count += whole;
        if (part != 0) {
            std::uint32_t carry = 0;
            for (int i = 0; i < m_count; ++i) {
                const std::uint32_t next = m_limbs[i] >> (32 - part);
                m_limbs[i] = (m_limbs[i] << part) | carry;
                carry = next;
            }
            if (carry != 0) {
                m_limbs[m_count++] = carry;
            }
        }
    }

    // Writes the decimal digits, most significant first, at least `minimum` of them
    // (leading zeros added). Returns the count.
    int Digits(char* out, int minimum)
    {
        char reversed[400];
        int count = 0;
        while (m_count > 0) {
            // Divide by 10^9 and emit the remainder's nine digits.
            std::uint64_t remainder = 0;
            for (int i = m_count - 1; i >= 0; --i) {
                const std::uint64_t current = (remainder << 32) | m_limbs[i];
                m_limbs[i] = static_cast<std::uint32_t>(current / 1000000000u);
                remainder = current % 1000000000u;
            }
            while (m_count > 0 && m_limbs[m_count - 1] == 0) {
                --m_count;
            }
            for (int d = 0; d < 9 && (m_count > 0 || remainder != 0); ++d) {
                reversed[count++] = static_cast<char>('0' + remainder % 10);
                remainder /= 10;
            }
        }
        while (count < minimum) {
            reversed[count++] = '0';
        }
        for (int i = 0; i < count; ++i) {
            out[i] = reversed[count - 1 - i];
        }
        return count;
    }

private:
    std::uint32_t m_limbs[40] = {};
    int m_count = 0;
};

std::size_t Copy(const char* from, wchar_t* to)
{
    std::size_t length = 0;
    for (; from[length] != '\0'; ++length) {
        to[length] = static_cast<wchar_t>(from[length]);
    }
    to[length] = L'\0';
    return length;
}

// ---- Parsing ----

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
            seenDigit = true;
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

std::size_t FormatFixed6(double value, wchar_t* text)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);

    if (biasedExponent == 0x7FF) {
        return Copy(mantissa != 0 ? (negative ? "-nan" : "nan") : (negative ? "-inf" : "inf"), text);
    }
    // |value| = mantissa * 2^exponent
    int exponent = -1074;
    if (biasedExponent != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biasedExponent - 1075;
    }

    // The six decimals make the value an integer: N = round(mantissa * 10^6 * 2^exponent),
    // with 10^6 = 15625 * 2^6. Below the point the division by a power of two is exact
    // in 128 bits; above it the product is shifted into a big number.
    const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * 15625u;
    const int shift = exponent + 6;
    unsigned __int128 rounded = 0;
    if (shift >= 0) {
        rounded = scaled;
    } else if (-shift < 128) {
        const int places = -shift;
        rounded = scaled >> places;
        const unsigned __int128 remainder = scaled - (rounded << places);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (places - 1);
        if (remainder > half || (remainder == half && (rounded & 1) != 0)) {
            ++rounded;
        }
    }
    BigNatural number(rounded);
    if (shift > 0) {
        number.ShiftLeft(shift);
    }

    char digits[kFixed6Capacity];
    const int count = number.Digits(digits, 7);
    std::size_t length = 0;
    if (negative) {
        text[length++] = L'-';
    }
    for (int i = 0; i < count; ++i) {
        if (i == count - 6) {
            text[length++] = L'.';
        }
        text[length++] = static_cast<wchar_t>(digits[i]);
    }
    text[length] = L'\0';
    return length;
}

std::size_t FormatInteger(int value, wchar_t* text)
{
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits - 1, value);
    *result.ptr = '\0';
    return Copy(digits, text);
}

double ParseNumber(const wchar_t* text)
{
    while (IsCSpace(*text)) {
        ++text;
    }
    // Everything a number can hold is ASCII: the number ends at the first other character.
    std::size_t length = 0;
    while (text[length] != L'\0' && text[length] < 0x80) {
        ++length;
    }
    CArray<char> narrow;
    narrow.SetSize(length + 1);
    for (std::size_t i = 0; i < length; ++i) {
        narrow[i] = static_cast<char>(text[i]);
    }

    const char* p = narrow.GetData();
    const char* const last = p + length;
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
