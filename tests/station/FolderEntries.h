#pragma once

#include <string>
#include <vector>

// A file or folder directly inside a folder.
struct FolderEntry {
    std::wstring name;
    bool folder = false;
};

// What `folder` holds, without "." and ".."; empty when it cannot be listed.
std::vector<FolderEntry> FolderEntries(const std::wstring& folder);
