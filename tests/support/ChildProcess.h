#pragma once

#include <string>

#include <windows.h>

// A program of the test folder run as a child process, with what it printed.
//
// The child and every process it starts run in a job of their own that ends them all when
// it closes: when the time limit runs out, when Run returns, and when the test process ends
// in any way (killed for its own time limit included). Under Wine a process that loses its
// parent keeps running, so without the job a hung child would outlive the test.
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
