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

bool PathName::Inside(const std::wstring& path, const std::wstring& folder)
{
    const std::wstring fullPath = Full(path);
    std::wstring fullFolder = Full(folder);
    if (!fullFolder.empty() && fullFolder.back() != L'\\') {
        fullFolder += L'\\';
    }
    return fullPath.size() > fullFolder.size() &&
           ::CompareStringOrdinal(fullPath.c_str(), static_cast<int>(fullFolder.size()), fullFolder.c_str(),
                                  static_cast<int>(fullFolder.size()), TRUE) == CSTR_EQUAL;
}
