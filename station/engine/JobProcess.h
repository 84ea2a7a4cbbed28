#pragma once

#include <windows.h>

#include <string>

// A program run to its end in a job object that ends with it: the program and whatever it
// starts are ended on cancel, at the time limit, and when this process ends, however it
// ends. Runs below normal priority, so that it does not slow the operator's dialog.
class JobProcess {
public:
    struct Result {
        bool ended = false;  // false: not started, cancelled or out of time (see `failure`)
        DWORD exitCode = 0;
        std::string failure;
    };

    // Runs `commandLine` (its first argument the program) in `folder`, standard output and
    // error to `log`; waits at most `timeLimitMs`, or until `cancel` is set.
    static Result Run(std::wstring commandLine, const std::wstring& folder, const std::wstring& log,
                      DWORD timeLimitMs, HANDLE cancel);

    // One argument, quoted so that the program's command-line parsing gives it back whole.
    static std::wstring Quoted(const std::wstring& argument);
};
