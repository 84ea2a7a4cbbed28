#include "InputFile.h"

#include <windows.h>

#include "AtomicFile.h"
#include "InputError.h"

std::string InputFile::Read(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) ||
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw InputError(path, "cannot be opened or read");
    }
    const unsigned long long size =
        (static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    if (size > kMaxBytes) {
        throw InputError(path, "is " + std::to_string(size) + " bytes, more than the " + std::to_string(kMaxBytes) +
                                   " a page's recognition output may have");
    }
    std::string content;
    std::string unread;
    if (!AtomicFile::Read(path, content, unread) || content.size() > kMaxBytes) {
        throw InputError(path, "cannot be opened or read");
    }
    return content;
}
