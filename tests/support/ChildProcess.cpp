#include "ChildProcess.h"

#include "StartedChild.h"

std::wstring ChildProcess::ProgramFolder()
{
    wchar_t exe[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring path(exe, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

ChildProcess ChildProcess::Run(const std::wstring& program, const std::wstring& arguments, DWORD timeLimitMs)
{
    ChildProcess result;
    const StartedChild child(program, arguments, true);
    if (!child.Started()) {
        result.output = child.Failure();
        return result;
    }
    // Read while the program runs and stop when it has ended: helper processes that it
    // starts (Wine's desktop, for one) may inherit the pipe and keep it open for long.
    auto drain = [&] {
        DWORD available = 0;
        while (::PeekNamedPipe(child.Output(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char chunk[4096];
            DWORD read = 0;
            if (!::ReadFile(child.Output(), chunk, sizeof chunk, &read, nullptr) || read == 0) {
                break;
            }
            result.output.append(chunk, read);
        }
    };
    const ULONGLONG deadline = ::GetTickCount64() + timeLimitMs;
    for (;;) {
        drain();
        if (::WaitForSingleObject(child.Process(), 20) == WAIT_OBJECT_0) {
            break;
        }
        if (::GetTickCount64() >= deadline) {
            result.timedOut = true;
            child.EndAll(ERROR_TIMEOUT);
            ::WaitForSingleObject(child.Process(), 10000);
            break;
        }
    }
    drain();
    ::GetExitCodeProcess(child.Process(), &result.exitCode);
    return result; // the child's job closes: whatever it left running ends with it
}
