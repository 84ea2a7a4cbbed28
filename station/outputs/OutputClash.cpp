#include "OutputClash.h"

#include "AtomicFile.h"
#include "PathName.h"

void OutputClash::AddInput(const std::wstring& path)
{
    if (!path.empty()) {
        m_inputs.push_back(path);
    }
}

void OutputClash::AddOutputFile(const std::wstring& path)
{
    for (const std::wstring& file : {path, AtomicFile::TemporaryName(path)}) {
        m_files.insert({PathName::Key(file), file});
    }
}

void OutputClash::AddOutputFolder(const std::wstring& folder)
{
    std::wstring key = PathName::Key(folder);
    if (!key.empty() && key.back() != L'\\') {
        key += L'\\';
    }
    m_folders.push_back({key, folder});
}

bool OutputClash::Find(std::wstring& input, std::wstring& output) const
{
    for (const std::wstring& candidate : m_inputs) {
        const std::wstring key = PathName::Key(candidate);
        const auto file = m_files.find({key, std::wstring()});
        if (file != m_files.end()) {
            input = candidate;
            output = file->path;
            return true;
        }
        for (const Output& folder : m_folders) {
            if (key.size() > folder.key.size() && key.compare(0, folder.key.size(), folder.key) == 0) {
                input = candidate;
                output = folder.path;
                return true;
            }
        }
    }
    return false;
}
