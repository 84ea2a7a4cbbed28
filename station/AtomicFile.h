#pragma once

#include <string>

// Files that are replaced whole: the content goes to a temporary file beside the target,
// which is then renamed over it, so a reader (or an interrupted run) sees the old file or
// the new one, never half of one.
class AtomicFile {
public:
    // Returns false, with the system's reason in `error`, when the file cannot be written.
    static bool Write(const std::wstring& path, const std::string& content, std::string& error);
    // Reads a whole file; false when it cannot be opened or read.
    static bool Read(const std::wstring& path, std::string& content);
};
