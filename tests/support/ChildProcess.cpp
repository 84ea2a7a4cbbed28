#include "ChildProcess.h"

#include <memory>

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const
    {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// A job that ends every process in it when its last handle is closed. Jobs nest, so a
// child that runs programs of its own this way (a test helper) keeps them in its tree.
OwnedHandle KillOnCloseJob()
{
    OwnedHandle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        job.reset();
    }
    return job;
}

} // namespace

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
    // Quoted: the checkout's path may hold spaces.
    std::wstring commandLine = L"\"" + ProgramFolder() + program + L"\" " + arguments;

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        result.output = "the output pipe could not be made";
        return result;
    }
    const OwnedHandle reader(readEnd);
    OwnedHandle writer(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const OwnedHandle job = KillOnCloseJob();
    if (!job) {
        result.output = "no job for the child";
        return result;
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job, so that nothing it starts escapes the job. Wine
    // now and then fails to start a process (ERROR_INTERNAL_ERROR, once in some thousands
    // on a busy machine): one more try after a pause.
    const auto start = [&] {
        return ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                                &startup, &started) != FALSE;
    };
    bool running = start();
    if (!running) {
        ::Sleep(500);
        running = start();
    }
    if (!running) {
        result.output = "could not start " + std::to_string(::GetLastError());
        return result;
    }
    const OwnedHandle process(started.hProcess);
    const OwnedHandle thread(started.hThread);
    writer.reset();
    if (!::AssignProcessToJobObject(job.get(), process.get())) {
        ::TerminateProcess(process.get(), ERROR_TIMEOUT);
        result.output = "the child could not join its job: " + std::to_string(::GetLastError());
        return result;
    }
    ::ResumeThread(thread.get());

    // Read while the program runs and stop when it has ended: helper processes that it
    // starts (Wine's desktop, for one) may inherit the pipe and keep it open for long.
    auto drain = [&] {
        DWORD available = 0;
        while (::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char chunk[4096];
            DWORD read = 0;
            if (!::ReadFile(readEnd, chunk, sizeof chunk, &read, nullptr) || read == 0) {
                break;
            }
            result.output.append(chunk, read);
        }
    };
    const ULONGLONG deadline = ::GetTickCount64() + timeLimitMs;
    for (;;) {
        drain();
        if (::WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) {
            break;
        }
        if (::GetTickCount64() >= deadline) {
            result.timedOut = true;
            ::TerminateJobObject(job.get(), ERROR_TIMEOUT);
            ::WaitForSingleObject(process.get(), 10000);
            break;
        }
    }
    drain();
    ::GetExitCodeProcess(process.get(), &result.exitCode);
    return result; // the job closes: whatever the child left running ends with it
}
