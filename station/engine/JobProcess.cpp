#include "JobProcess.h"

#include "JobChild.h"
#include "OwnedHandle.h"

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
    JobChild child;
    if (!child.Failure().empty()) {
        result.failure = child.Failure();
        return result;
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const OwnedHandle output(::CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    const OwnedHandle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                          OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    if (!child.Start(std::move(commandLine), folder.c_str(), startup, true,
                     CREATE_NO_WINDOW | BELOW_NORMAL_PRIORITY_CLASS)) {
        result.failure = child.Failure();
        return result;
    }
    const HANDLE process = child.Process();
    const HANDLE waits[] = {process, cancel};
    const DWORD waited = ::WaitForMultipleObjects(cancel != nullptr ? 2 : 1, waits, FALSE, timeLimitMs);
    if (waited == WAIT_OBJECT_0) {
        result.ended = ::GetExitCodeProcess(process, &result.exitCode) != FALSE;
        if (!result.ended) {
            result.failure = "no exit status (error " + std::to_string(::GetLastError()) + ")";
        }
        return result;
    }
    child.EndAll(1);
    ::WaitForSingleObject(process, 5000);
    result.failure = waited == WAIT_TIMEOUT ? "did not finish within " + std::to_string(timeLimitMs / 1000) + " s"
                                            : "cancelled";
    return result;
}
