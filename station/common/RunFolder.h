#pragma once

#include <windows.h>

#include <string>

#include "OwnedHandle.h"

// A folder of one run of the station's own, under a folder shared by every run, removed with
// everything in it when the object goes. A run that is killed cannot remove its folder, so
// each folder holds a marker that its run keeps open, without leave to delete it, for as
// long as it lives (and the system deletes once the run has ended however it ended): a
// folder whose marker can be deleted belongs to no live run, and the next run that makes a
// folder beside it removes it.
class RunFolder {
public:
    // Makes `parent` when missing, removes the folders that runs which are gone left in it,
    // then makes `parent\name` with its marker. Throws InputError naming the folder when it
    // cannot be made.
    RunFolder(const std::wstring& parent, const std::wstring& name);
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::wstring& Path() const { return m_path; }

    // The folder of the station's own files under the user's local application data:
    // "%LOCALAPPDATA%\TarsilVerify" (under the temporary folder when there is none), made
    // when missing.
    static std::wstring StationFolder();

private:
    std::wstring m_path;
    OwnedHandle m_marker;
};
