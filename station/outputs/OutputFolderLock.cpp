#include "OutputFolderLock.h"

#include <windows.h>

#include "InputError.h"
#include "Utf8.h"

OutputFolderLock::OutputFolderLock(const std::wstring& folder)
{
    const std::wstring path = folder + L"\\" + kFileName;
    // Deleted when the last handle closes: the folder holds no lock file once the station ends.
    m_file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION) {
            throw InputError(folder, "the output folder is in use by another station");
        }
        if (error == ERROR_ACCESS_DENIED) {
            // Not another station (that is a sharing violation): the folder's permissions, a
            // read-only file or a folder of that name keep this user from making the lock.
            throw InputError(folder, "the output folder cannot be written: access to " + WideToUtf8(kFileName) +
                                         " there is denied (permissions, a read-only file or a folder of that "
                                         "name)");
        }
        throw InputError(folder, "the output folder cannot be written (error " + std::to_string(error) + ")");
    }
}

OutputFolderLock::~OutputFolderLock()
{
    ::CloseHandle(m_file);
}
