#pragma once

#include <string>

// Files that are replaced whole: the content goes to a temporary file beside the target,
// reaches the disk, and is then renamed over the target, so a reader (or a run cut short,
// even by a power cut) finds the old file or the new one, never part of one. Opening,
// renaming and reading wait a moment while another program holds the file (FileRetry).
class AtomicFile {
public:
    // Returns false, with the system's reason in `error`, when the file cannot be written.
    static bool Write(const std::wstring& path, const std::string& content, std::string& error);
    // Reads a whole file. Returns false, with the system's reason in `error` and its error
    // code left as the thread's last error, when it cannot be opened or read.
    static bool Read(const std::wstring& path, std::string& content, std::string& error);

    // Tries what Write does without changing anything: that the temporary file can be made
    // beside `path` and that `path`, where it exists, can be replaced. False, with the
    // reason in `error`, when Write would fail.
    static bool CanWrite(const std::wstring& path, std::string& error);

    // The temporary file a write of `path` goes through.
    static std::wstring TemporaryName(const std::wstring& path) { return path + L".partial"; }
};
