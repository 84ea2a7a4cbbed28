#pragma once

#include <string>

#include <windows.h>

// A program of the test folder run to its end as a child process, with what it printed.
// It runs as a StartedChild: it and every process it starts are ended when the time limit
// runs out, when Run returns, and when the test process ends however it ends.
struct ChildProcess {
    DWORD exitCode = 0xFFFFFFFF;
    bool timedOut = false; // still running at the time limit, and ended then
    std::string output;    // standard output and standard error together

    // Runs `program` (a path relative to the test program's folder) with `arguments` and
    // waits at most `timeLimitMs` for it to end.
    static ChildProcess Run(const std::wstring& program, const std::wstring& arguments, DWORD timeLimitMs = 30000);

    // The test program's folder, with a separator at its end.
    static std::wstring ProgramFolder();
};
