#include "ChildProcess.h"

ChildProcess ChildProcess::Run(const std::wstring& program, const std::wstring& arguments)
{
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring commandLine = exe;
    commandLine = commandLine.substr(0, commandLine.find_last_of(L"\\/") + 1) + program + L" " + arguments;

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    ChildProcess result;
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        ::CloseHandle(readEnd);
        ::CloseHandle(writeEnd);
        return result;
    }
    ::CloseHandle(writeEnd);
    // Read while the program runs and stop when it has ended: helper processes that it
    // starts (Wine's desktop, for one) may inherit the pipe and keep it open for long.
    auto drain = [&] {
        DWORD available = 0;
        while (::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char chunk[512];
            DWORD read = 0;
            if (!::ReadFile(readEnd, chunk, sizeof chunk, &read, nullptr) || read == 0) {
                break;
            }
            result.output.append(chunk, read);
        }
    };
    for (int waited = 0; waited < 30000; waited += 20) {
        drain();
        if (::WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
            break;
        }
    }
    drain();
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    ::CloseHandle(readEnd);
    return result;
}
