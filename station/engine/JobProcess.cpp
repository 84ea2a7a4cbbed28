#include "JobProcess.h"

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
using Handle = std::unique_ptr<void, HandleCloser>;

} // namespace

std::wstring JobProcess::Quoted(const std::wstring& argument)
{
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

JobProcess::Result JobProcess::Run(std::wstring commandLine, const std::wstring& folder, const std::wstring& log,
                                   DWORD timeLimitMs, HANDLE cancel)
{
    Result result;
    const Handle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job == nullptr ||
        !::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        result.failure = "no job object (error " + std::to_string(::GetLastError()) + ")";
        return result;
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const Handle output(::CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    const Handle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                     OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job, so that nothing it starts escapes the job.
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_NO_WINDOW | BELOW_NORMAL_PRIORITY_CLASS, nullptr, folder.c_str(),
                          &startup, &started)) {
        result.failure = "could not be started (error " + std::to_string(::GetLastError()) + ")";
        return result;
    }
    const Handle process(started.hProcess);
    const Handle thread(started.hThread);
    if (!::AssignProcessToJobObject(job.get(), process.get())) {
        ::TerminateProcess(process.get(), 1);
        result.failure = "could not be put into a job (error " + std::to_string(::GetLastError()) + ")";
        return result;
    }
    // The creation flag already asks for it; Wine 8 ignores the flag and honours the call.
    ::SetPriorityClass(process.get(), BELOW_NORMAL_PRIORITY_CLASS);
    ::ResumeThread(thread.get());
    const HANDLE waits[] = {process.get(), cancel};
    const DWORD waited = ::WaitForMultipleObjects(cancel != nullptr ? 2 : 1, waits, FALSE, timeLimitMs);
    if (waited == WAIT_OBJECT_0) {
        result.ended = ::GetExitCodeProcess(process.get(), &result.exitCode) != FALSE;
        if (!result.ended) {
            result.failure = "no exit status (error " + std::to_string(::GetLastError()) + ")";
        }
        return result;
    }
    ::TerminateJobObject(job.get(), 1);
    ::WaitForSingleObject(process.get(), 5000);
    result.failure = waited == WAIT_TIMEOUT ? "did not finish within " + std::to_string(timeLimitMs / 1000) + " s"
                                            : "cancelled";
    return result;
}
