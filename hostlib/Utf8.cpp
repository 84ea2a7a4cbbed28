#include "Utf8.h"

#include <windows.h>

bool Utf8ToWide(const std::string& utf8, std::wstring& wide)
{
    wide.clear();
    if (utf8.empty()) {
        return true;
    }
    const int size = static_cast<int>(utf8.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (units <= 0) {
        return false;
    }
    wide.resize(static_cast<size_t>(units));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &wide[0], units) == units;
}

std::string WideToUtf8(const std::wstring& wide)
{
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &utf8[0], bytes, nullptr, nullptr);
    }
    return utf8;
}

size_t Utf8CodePoints(const std::string& utf8)
{
    size_t count = 0;
    for (const char c : utf8) {
        count += Utf8ContinuationByte(c) ? 0 : 1;
    }
    return count;
}
