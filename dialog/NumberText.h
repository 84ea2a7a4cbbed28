#pragma once

#include <string>

// Numbers as the dialog shows and reads them: always in the "C" locale, with a full stop
// as the decimal point, whatever locale the host process has set.

// The text "%f" gives: six digits after the point. Complete for every finite value
// (up to 317 characters for the largest doubles); "inf", "-inf" and "nan" otherwise.
std::wstring FormatFixed6(double value);

// The text "%d" gives.
std::wstring FormatInteger(int value);

// Converts as wcstod does: leading white space is skipped, the longest prefix that forms
// a number is converted (decimal, hexadecimal with 0x, inf, infinity, nan), and a text
// without one gives 0.0. A magnitude too large gives an infinity, one too small zero.
double ParseNumber(const std::wstring& text);
