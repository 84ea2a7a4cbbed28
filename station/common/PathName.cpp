#include "PathName.h"

#include <windows.h>

#include <cwctype>
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

namespace {

// The device names Windows reserves in every folder, upper case. COM and LPT take a digit
// or a superscript one, two or three.
bool IsDeviceName(std::wstring base)
{
    for (wchar_t& character : base) {
        character = static_cast<wchar_t>(std::towupper(character));
    }
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if (base == device) {
            return true;
        }
    }
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t last = base[3];
        return (last >= L'0' && last <= L'9') || last == L'\u00B9' || last == L'\u00B2' || last == L'\u00B3';
    }
    return false;
}

} // namespace

bool PathName::IsPlainFileName(const std::wstring& name)
{
    if (name.empty() || name == L"." || name == L".." || name.back() == L'.' || name.back() == L' ') {
        return false;
    }
    for (const wchar_t character : name) {
        if (character < 0x20 || std::wstring(L"\\/:*?\"<>|").find(character) != std::wstring::npos) {
            return false;
        }
    }
    // Windows looks for a device in the name up to its first dot, blanks at its end dropped.
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') {
        base.pop_back();
    }
    return !IsDeviceName(base);
}
