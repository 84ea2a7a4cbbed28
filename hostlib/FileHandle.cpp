#include "FileHandle.h"

#include "FileRetry.h"

FileHandle FileHandle::Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return FileHandle(::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr));
}

FileHandle FileHandle::OpenWhenFree(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                                    DWORD flags)
{
    FileHandle file;
    FileRetry::Run([&] {
        file = Open(path, access, share, disposition, flags);
        return file.IsOpen();
    });
    return file;
}

std::string FileHandle::Reason(DWORD error)
{
    char text[256] = {};
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                          text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return (reason.empty() ? std::string("error") : reason) + " (" + std::to_string(error) + ")";
}
