#include "FolderEntries.h"

#include <windows.h>

std::vector<FolderEntry> FolderEntries(const std::wstring& folder)
{
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return entries;
}
