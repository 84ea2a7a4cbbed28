#pragma once

#include <windows.h>

#include <string>

#include "OwnedHandle.h"

// A child process in a job object of its own: the child and every process it starts are
// ended on EndAll, when this object goes, and when this process ends however it ends (the
// job's last handle closes with it). The child starts suspended and runs only once it is in
// the job, so that nothing it starts escapes. Jobs nest, so a child that runs programs of its
// own this way keeps them in its tree.
class JobChild {
public:
    // Makes the job; Failure() tells when it could not.
    JobChild();

    // Starts `commandLine` (its first argument the program) in `folder` (null: this process's)
    // with `startup`'s standard handles, inherited when `inheritHandles`, and `creationFlags`.
    // False, with Failure() and StartError() set, when it did not start or join the job; a
    // failed CreateProcess may be tried again.
    bool Start(std::wstring commandLine, const wchar_t* folder, const STARTUPINFOW& startup, bool inheritHandles,
               DWORD creationFlags);

    HANDLE Process() const { return m_process.get(); }
    // Why the job or the child could not be made: "no job object (error 5)".
    const std::string& Failure() const { return m_failure; }
    // The system's error code of the last failed CreateProcess, 0 when it did not fail.
    DWORD StartError() const { return m_startError; }
    // Ends the child and everything it started, now.
    void EndAll(UINT exitCode) const;

private:
    OwnedHandle m_job; // ends the tree as it closes
    OwnedHandle m_process;
    std::string m_failure;
    DWORD m_startError = 0;
};
