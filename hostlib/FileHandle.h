#pragma once

#include <windows.h>

#include <string>

// The one owner of a file handle: closed when the object goes.
class FileHandle {
public:
    FileHandle() = default;
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    // CreateFileW with these arguments; not open, with the reason as the thread's last
    // error, when it fails.
    static FileHandle Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                           DWORD flags = FILE_ATTRIBUTE_NORMAL);
    // The same, waiting a moment while another program holds the file (FileRetry).
    static FileHandle OpenWhenFree(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                                   DWORD flags = FILE_ATTRIBUTE_NORMAL);

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    void Close();

    // The system's text for an error code, with the code: "Access denied. (5)".
    static std::string Reason(DWORD error);

private:
    explicit FileHandle(HANDLE handle)
        : m_handle(handle)
    {
    }

    HANDLE m_handle = INVALID_HANDLE_VALUE;
};
