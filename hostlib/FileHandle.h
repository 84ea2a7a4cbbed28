#pragma once

#include <windows.h>

#include <string>

#include "OwnedHandle.h"

// A file opened by path, its handle owned (OwnedHandle): closed when the object goes.
class FileHandle {
public:
    FileHandle() = default;

    // CreateFileW with these arguments; not open, with the reason as the thread's last
    // error, when it fails.
    static FileHandle Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                           DWORD flags = FILE_ATTRIBUTE_NORMAL);
    // The same, waiting a moment while another program holds the file (FileRetry).
    static FileHandle OpenWhenFree(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                                   DWORD flags = FILE_ATTRIBUTE_NORMAL);

    bool IsOpen() const { return m_handle != nullptr; }
    // INVALID_HANDLE_VALUE when not open, as CreateFileW gives it.
    HANDLE Get() const { return IsOpen() ? m_handle.get() : INVALID_HANDLE_VALUE; }
    void Close() { m_handle.reset(); }

    // The system's text for an error code, with the code: "Access denied. (5)".
    static std::string Reason(DWORD error);

private:
    explicit FileHandle(HANDLE handle)
        : m_handle(handle != INVALID_HANDLE_VALUE ? handle : nullptr)
    {
    }

    OwnedHandle m_handle;
};
