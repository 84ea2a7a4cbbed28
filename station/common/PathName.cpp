#include "PathName.h"

#include <windows.h>

#include <vector>

std::wstring PathName::Full(const std::wstring& path)
{
    if (path.empty()) {
        return path;
    }
    std::vector<wchar_t> full(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return path;
        }
        if (length < full.size()) {
            return std::wstring(full.data(), length);
        }
        full.resize(length); // the size it needs, terminator included
    }
}

bool PathName::Same(const std::wstring& a, const std::wstring& b)
{
    const std::wstring fullA = Full(a);
    const std::wstring fullB = Full(b);
    return ::CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                                  static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL;
}

std::wstring PathName::Key(const std::wstring& path)
{
    std::wstring full = Full(path);
    std::wstring key(full.size(), L'\0');
    if (!full.empty() && ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, full.data(),
                                         static_cast<int>(full.size()), &key[0], static_cast<int>(key.size()),
                                         nullptr, nullptr, 0) != static_cast<int>(key.size())) {
        return full;
    }
    return key;
}
