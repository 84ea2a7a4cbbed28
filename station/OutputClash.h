#pragma once

#include <string>
#include <vector>

// Finds an input that a session would overwrite: one named again as an output file (or as
// that file's temporary twin), or lying inside a folder whose files the session writes
// and deletes. Checked before the first dialog, so that a mistyped command line loses
// nothing.
class OutputClash {
public:
    void AddInput(const std::wstring& path);
    void AddOutputFile(const std::wstring& path);
    void AddOutputFolder(const std::wstring& folder);

    // The first input that an output would overwrite, and that output; false when none.
    bool Find(std::wstring& input, std::wstring& output) const;

private:
    std::vector<std::wstring> m_inputs;
    std::vector<std::wstring> m_outputFiles;
    std::vector<std::wstring> m_outputFolders;
};
