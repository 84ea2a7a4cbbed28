#pragma once

#include <string>

// File names as the file system compares them: in full, and without regard to case; and
// whether a name from outside (a database every station writes) may name a file at all.
class PathName {
public:
    // The full path (GetFullPathNameW): relative parts resolved against the current folder,
    // "." and ".." removed, '/' turned into '\'. Empty stays empty.
    static std::wstring Full(const std::wstring& path);
    // True when both name the same file, compared in full and case-insensitively.
    static bool Same(const std::wstring& a, const std::wstring& b);
    // The full path in one case, to compare many paths by: equal keys name the same file.
    static std::wstring Key(const std::wstring& path);

    // True when `name`, with any extension added, names one file in the folder it is put in:
    // not empty, no separator, drive, wildcard or control character, not "." or "..", no
    // trailing dot or blank (which Windows drops, so that two names would meet), and no
    // device (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$), which Windows opens in
    // place of a file whatever extension follows.
    static bool IsPlainFileName(const std::wstring& name);
};
