#pragma once

#include <cstddef>

// Numbers as the dialog shows and reads them: always in the "C" locale, with a full stop
// as the decimal point, whatever locale the host process has set.

// Room for any text FormatFixed6 writes: a sign, 309 integer digits, the point, six
// decimals and the terminator.
constexpr std::size_t kFixed6Capacity = 320;

// Writes the text "%f" gives, six digits after the point, exactly rounded (to nearest,
// ties to even), complete for every finite value; "inf", "-inf", "nan" or "-nan"
// otherwise. `text` holds kFixed6Capacity characters. Returns the length.
std::size_t FormatFixed6(double value, wchar_t* text);

// Writes the text "%d" gives into `text`, which holds 12 characters. Returns the length.
std::size_t FormatInteger(int value, wchar_t* text);

// Converts as wcstod does: leading white space is skipped, the longest prefix that forms
// a number is converted (decimal, hexadecimal with 0x, inf, infinity, nan), and a text
// without one gives 0.0. A magnitude too large gives an infinity, one too small zero.
double ParseNumber(const wchar_t* text);
