#include "StartedChild.h"

#include "ChildProcess.h"

void StartedChild::HandleCloser::operator()(HANDLE handle) const
{
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
}

StartedChild::StartedChild(const std::wstring& program, const std::wstring& arguments, bool captureOutput)
{
    // A job that ends every process in it when its last handle is closed. Jobs nest, so a
    // child that runs programs of its own this way (a test helper) keeps them in its tree.
    m_job.reset(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!m_job || !::SetInformationJobObject(m_job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        m_failure = "no job for the child: " + std::to_string(::GetLastError());
        return;
    }

    OwnedHandle writer;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (captureOutput) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
            m_failure = "the output pipe could not be made";
            return;
        }
        m_output.reset(readEnd);
        writer.reset(writeEnd);
        ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
    }

    // Quoted: the checkout's path may hold spaces. Suspended until it is in the job, so that
    // nothing it starts escapes the job. Wine now and then fails to start a process
    // (ERROR_INTERNAL_ERROR, once in some thousands on a busy machine): one more try.
    std::wstring commandLine = L"\"" + ChildProcess::ProgramFolder() + program + L"\" " + arguments;
    PROCESS_INFORMATION started{};
    const auto start = [&] {
        return ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, captureOutput ? TRUE : FALSE,
                                CREATE_SUSPENDED, nullptr, nullptr, &startup, &started) != FALSE;
    };
    bool running = start();
    if (!running) {
        ::Sleep(500);
        running = start();
    }
    if (!running) {
        m_failure = "could not start " + std::to_string(::GetLastError());
        return;
    }
    OwnedHandle process(started.hProcess);
    const OwnedHandle thread(started.hThread);
    if (!::AssignProcessToJobObject(m_job.get(), process.get())) {
        m_failure = "the child could not join its job: " + std::to_string(::GetLastError());
        ::TerminateProcess(process.get(), ERROR_TIMEOUT);
        return;
    }
    ::ResumeThread(thread.get());
    m_process = std::move(process);
}

void StartedChild::EndAll(UINT exitCode) const
{
    ::TerminateJobObject(m_job.get(), exitCode);
}
