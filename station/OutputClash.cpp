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
    m_outputFiles.push_back(path);
    m_outputFiles.push_back(AtomicFile::TemporaryName(path));
}

void OutputClash::AddOutputFolder(const std::wstring& folder)
{
    m_outputFolders.push_back(folder);
}

bool OutputClash::Find(std::wstring& input, std::wstring& output) const
{
    for (const std::wstring& candidate : m_inputs) {
        for (const std::wstring& file : m_outputFiles) {
            if (PathName::Same(candidate, file)) {
                input = candidate;
                output = file;
                return true;
            }
        }
        for (const std::wstring& folder : m_outputFolders) {
            if (PathName::Inside(candidate, folder)) {
                input = candidate;
                output = folder;
                return true;
            }
        }
    }
    return false;
}
