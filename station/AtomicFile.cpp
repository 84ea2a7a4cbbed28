#include "AtomicFile.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string SystemReason(DWORD code)
{
    char text[256] = {};
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                          text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return (reason.empty() ? std::string("error") : reason) + " (" + std::to_string(code) + ")";
}

} // namespace

bool AtomicFile::Write(const std::wstring& path, const std::string& content, std::string& error)
{
    const std::wstring temporary = path + L".partial";
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemReason(::GetLastError());
        return false;
    }
    DWORD written = 0;
    const BOOL wrote = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    if (!wrote || written != content.size()) {
        error = SystemReason(wrote ? ERROR_WRITE_FAULT : ::GetLastError());
        ::CloseHandle(file);
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    // Renamed through the open handle: under Wine this costs a third of closing the file
    // and moving it by name.
    std::vector<unsigned char> rename(sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(rename.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, path.data(), path.size() * sizeof(wchar_t));
    const BOOL renamed =
        ::SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(rename.size()));
    ::CloseHandle(file);
    if (!renamed && !::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = SystemReason(::GetLastError());
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

bool AtomicFile::Read(const std::wstring& path, std::string& content)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        return false;
    }
    content.clear();
    char chunk[65536];
    size_t read = 0;
    while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        content.append(chunk, read);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}
