#pragma once

#include <windows.h>

#include <string>

#include "JobChild.h"
#include "OwnedHandle.h"

// A program of the test folder started as a child process, without waiting for it, in a job
// of its own (JobChild); its standard output and error go into a pipe when asked for. The job
// ends the child and every process it started when this object goes, and when the test
// process ends however it ends (killed for its own time limit included). Under Wine a process
// whose parent is gone keeps running, and ctest ends only the processes it sees as the test's.
class StartedChild {
public:
    // `program`: a path relative to the test program's folder.
    StartedChild(const std::wstring& program, const std::wstring& arguments, bool captureOutput);

    bool Started() const { return m_child.Process() != nullptr; }
    // Why the child did not start.
    const std::string& Failure() const { return m_pipeFailure.empty() ? m_child.Failure() : m_pipeFailure; }
    HANDLE Process() const { return m_child.Process(); }
    // The read end of the child's output, or null.
    HANDLE Output() const { return m_output.get(); }
    // Ends the child and everything it started, now.
    void EndAll(UINT exitCode) const { m_child.EndAll(exitCode); }

private:
    JobChild m_child;
    OwnedHandle m_output;
    std::string m_pipeFailure;
};
