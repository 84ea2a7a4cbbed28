#pragma once

#include <string>

#include <windows.h>

// A program of the test folder run as a child process, with what it printed.
struct ChildProcess {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output; // standard output and standard error together

    // Runs `program` (a file name in the test program's folder) with `arguments` and
    // waits at most 30 s for it to end.
    static ChildProcess Run(const std::wstring& program, const std::wstring& arguments);
};
