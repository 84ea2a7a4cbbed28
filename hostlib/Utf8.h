#pragma once

#include <string>

// Conversions between UTF-8 and UTF-16. Invalid UTF-8 is refused, never replaced.
bool Utf8ToWide(const std::string& utf8, std::wstring& wide);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& wide);
