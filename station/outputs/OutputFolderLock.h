#pragma once

#include <string>

// One station per output folder: a file in the folder held open without sharing for as long
// as the station runs. The system closes it however the process ends, so a station that
// crashed or was killed leaves no stale lock behind.
class OutputFolderLock {
public:
    // Takes the lock; throws InputError when another station holds it, or when the folder
    // cannot take the lock's file.
    explicit OutputFolderLock(const std::wstring& folder);
    ~OutputFolderLock();
    OutputFolderLock(const OutputFolderLock&) = delete;
    OutputFolderLock& operator=(const OutputFolderLock&) = delete;

    static constexpr const wchar_t* kFileName = L"session.lock";

private:
    void* m_file;
};
