#include "AtomicFile.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "FileHandle.h"
#include "FileRetry.h"

namespace {

// Renamed through the open handle: under Wine this costs a third of closing the file and
// moving it by name.
bool RenameOpenFile(const FileHandle& file, const std::wstring& path)
{
    std::vector<unsigned char> rename(sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(rename.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, path.data(), path.size() * sizeof(wchar_t));
    return ::SetFileInformationByHandle(file.Get(), FileRenameInfo, info, static_cast<DWORD>(rename.size())) != FALSE;
}

bool ReadOpenFile(const FileHandle& file, std::string& content)
{
    content.clear();
    char chunk[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr)) {
        if (read == 0) {
            return true;
        }
        content.append(chunk, read);
    }
    return false;
}

} // namespace

bool AtomicFile::Write(const std::wstring& path, const std::string& content, std::string& error)
{
    const std::wstring temporary = TemporaryName(path);
    FileHandle file = FileHandle::OpenWhenFree(temporary, GENERIC_WRITE | DELETE, 0, CREATE_ALWAYS);
    if (!file.IsOpen()) {
        error = FileHandle::Reason(::GetLastError());
        return false;
    }
    DWORD written = 0;
    const BOOL wrote = ::WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    // On the disk before it takes the target's place: otherwise a power cut soon after the
    // rename can leave the target empty.
    const bool complete = wrote && written == content.size() && ::FlushFileBuffers(file.Get());
    if (!complete) {
        error = FileHandle::Reason(wrote && written != content.size() ? ERROR_WRITE_FAULT : ::GetLastError());
        file.Close();
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    if (FileRetry::Run([&] { return RenameOpenFile(file, path); })) {
        return true;
    }
    const DWORD renameError = ::GetLastError();
    file.Close();
    // Some file systems cannot rename an open file: the temporary file is moved by name.
    if (!FileRetry::MayPass(renameError) &&
        FileRetry::Run([&] { return ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE; })) {
        return true;
    }
    error = FileHandle::Reason(FileRetry::MayPass(renameError) ? renameError : ::GetLastError());
    ::DeleteFileW(temporary.c_str());
    return false;
}

bool AtomicFile::Read(const std::wstring& path, std::string& content, std::string& error)
{
    if (FileRetry::Run([&] {
            const FileHandle file =
                FileHandle::Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
            return file.IsOpen() && ReadOpenFile(file, content);
        })) {
        return true;
    }
    const DWORD code = ::GetLastError();
    error = FileHandle::Reason(code);
    ::SetLastError(code);
    return false;
}

bool AtomicFile::CanWrite(const std::wstring& path, std::string& error)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = "a folder stands where the file goes";
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = "the file is read-only";
        return false;
    }
    // The temporary file, deleted again when the handle closes.
    const FileHandle temporary = FileHandle::OpenWhenFree(TemporaryName(path), GENERIC_WRITE | DELETE, 0,
                                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE);
    if (!temporary.IsOpen()) {
        error = FileHandle::Reason(::GetLastError());
        return false;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    // The file it replaces: not read-only, and not held by a program that keeps it from
    // being replaced. Opened without changing it, sharing everything.
    const FileHandle target = FileHandle::OpenWhenFree(
        path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!target.IsOpen()) {
        error = FileHandle::Reason(::GetLastError());
        return false;
    }
    return true;
}
