#pragma once

#include <string>
#include <vector>

// Files of the system's temporary folder that last as long as this object: bytes a reader
// of files needs as a file, such as a recogniser output the database holds.
class TemporaryFiles {
public:
    TemporaryFiles() = default;
    // Deletes every file made.
    ~TemporaryFiles();
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    // A new file of its own, holding `content`; its full path. Throws SessionFailure when
    // it cannot be made or written.
    std::wstring Add(const std::string& content);

private:
    std::vector<std::wstring> m_paths;
};
