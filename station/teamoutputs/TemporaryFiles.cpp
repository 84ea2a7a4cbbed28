#include "TemporaryFiles.h"

#include <windows.h>

#include "AtomicFile.h"
#include "SessionFailure.h"
#include "Utf8.h"

TemporaryFiles::~TemporaryFiles()
{
    for (const std::wstring& path : m_paths) {
        ::DeleteFileW(path.c_str());
    }
}

std::wstring TemporaryFiles::Add(const std::string& content)
{
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    // Makes the file, empty, under a name no other file has: a second export at the same
    // moment gets names of its own.
    if (length == 0 || length > MAX_PATH || ::GetTempFileNameW(folder, L"tsx", 0, path) == 0) {
        throw SessionFailure("cannot make a file in the temporary folder (error " + std::to_string(::GetLastError()) +
                             ")");
    }
    m_paths.emplace_back(path);
    std::string error;
    if (!AtomicFile::Write(path, content, error)) {
        throw SessionFailure("cannot write " + WideToUtf8(path) + ": " + error);
    }
    return path;
}
