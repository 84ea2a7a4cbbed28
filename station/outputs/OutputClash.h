#pragma once

#include <set>
#include <string>
#include <vector>

// Finds an input that a session would overwrite: one named again as an output file (or as
// that file's temporary twin), or lying inside a folder whose files the session writes
// and deletes. Checked before the first dialog, so that a mistyped command line loses
// nothing. Paths are compared in full and case-insensitively (PathName::Key).
class OutputClash {
public:
    void AddInput(const std::wstring& path);
    void AddOutputFile(const std::wstring& path);
    void AddOutputFolder(const std::wstring& folder);

    // The first input that an output would overwrite, and that output; false when none.
    bool Find(std::wstring& input, std::wstring& output) const;

private:
    struct Output {
        std::wstring key;
        std::wstring path;
        bool operator<(const Output& other) const { return key < other.key; }
    };

    std::vector<std::wstring> m_inputs;
    std::set<Output> m_files;
    std::vector<Output> m_folders; // keys end in a backslash
};
