#include "JobChild.h"

JobChild::JobChild()
{
    m_job.reset(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!m_job || !::SetInformationJobObject(m_job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        m_failure = "no job object (error " + std::to_string(::GetLastError()) + ")";
        m_job.reset();
    }
}

bool JobChild::Start(std::wstring commandLine, const wchar_t* folder, const STARTUPINFOW& startup,
                     bool inheritHandles, DWORD creationFlags)
{
    if (!m_job) {
        return false;
    }
    STARTUPINFOW info = startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, inheritHandles ? TRUE : FALSE,
                          creationFlags | CREATE_SUSPENDED, nullptr, folder, &info, &started)) {
        m_startError = ::GetLastError();
        m_failure = "could not be started (error " + std::to_string(m_startError) + ")";
        return false;
    }
    m_startError = 0;
    OwnedHandle process(started.hProcess);
    const OwnedHandle thread(started.hThread);
    if (!::AssignProcessToJobObject(m_job.get(), process.get())) {
        m_failure = "could not be put into a job (error " + std::to_string(::GetLastError()) + ")";
        ::TerminateProcess(process.get(), 1);
        return false;
    }
    // The creation flag asks for the priority; Wine 8 ignores the flag and honours the call.
    const DWORD priority = creationFlags & (BELOW_NORMAL_PRIORITY_CLASS | IDLE_PRIORITY_CLASS);
    if (priority != 0) {
        ::SetPriorityClass(process.get(), priority);
    }
    ::ResumeThread(thread.get());
    m_process = std::move(process);
    m_failure.clear();
    return true;
}

void JobChild::EndAll(UINT exitCode) const
{
    if (m_job) {
        ::TerminateJobObject(m_job.get(), exitCode);
    }
}
