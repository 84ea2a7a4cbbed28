#include "OutputFolderLock.h"

#include <windows.h>

#include "InputError.h"

OutputFolderLock::OutputFolderLock(const std::wstring& folder)
{
    const std::wstring path = folder + L"\\" + kFileName;
    // Deleted when the last handle closes: the folder holds no lock file once the station ends.
    m_file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) {
            throw InputError(folder, "the output folder is in use by another station");
        }
        throw InputError(folder, "the output folder cannot be written (error " + std::to_string(error) + ")");
    }
}

OutputFolderLock::~OutputFolderLock()
{
    ::CloseHandle(m_file);
}
