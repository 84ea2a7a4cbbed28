#pragma once

#include <string>

// File names as the file system compares them: in full, and without regard to case.
class PathName {
public:
    // The full path (GetFullPathNameW): relative parts resolved against the current folder,
    // "." and ".." removed, '/' turned into '\'. Empty stays empty.
    static std::wstring Full(const std::wstring& path);
    // True when both name the same file, compared in full and case-insensitively.
    static bool Same(const std::wstring& a, const std::wstring& b);
    // The full path in one case, to compare many paths by: equal keys name the same file.
    static std::wstring Key(const std::wstring& path);
};
