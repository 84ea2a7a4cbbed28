#pragma once

#include <string>

// Conversions between UTF-8 and UTF-16. Invalid UTF-8 is refused, never replaced.
bool Utf8ToWide(const std::string& utf8, std::wstring& wide);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& wide);
// A byte that continues a UTF-8 sequence rather than beginning a code point.
inline bool Utf8ContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
// The characters of UTF-8 text, counted as code points.
size_t Utf8CodePoints(const std::string& utf8);
