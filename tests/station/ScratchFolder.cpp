#include "ScratchFolder.h"

#include <windows.h>

#include "FolderEntries.h"

namespace {

void RemoveTree(const std::wstring& folder)
{
    for (const FolderEntry& entry : FolderEntries(folder)) {
        const std::wstring path = folder + L"\\" + entry.name;
        if (entry.folder) {
            RemoveTree(path);
        } else {
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(path.c_str());
        }
    }
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace

ScratchFolder::ScratchFolder()
{
    wchar_t temporary[MAX_PATH];
    wchar_t unique[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temporary);
    ::GetTempFileNameW(temporary, L"stn", 0, unique);
    ::DeleteFileW(unique);
    m_path = unique;
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(m_path);
}
