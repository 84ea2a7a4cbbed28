#include "StartedChild.h"

#include "ChildProcess.h"

StartedChild::StartedChild(const std::wstring& program, const std::wstring& arguments, bool captureOutput)
{
    if (!m_child.Failure().empty()) {
        return;
    }
    // Wine starts a display's desktop process (explorer.exe /desktop) from the first program
    // that needs the desktop, and as that program's child it would join the child's job and
    // end with it: a program started on the display afterwards, with the desktop's process
    // gone, may end at its next window with an X error (seen after a station was killed).
    // Asked for here, the desktop is this process's, and stays while this process runs.
    ::GetDesktopWindow();
    OwnedHandle writer;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (captureOutput) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
            m_pipeFailure = "the output pipe could not be made";
            return;
        }
        m_output.reset(readEnd);
        writer.reset(writeEnd);
        ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
    }

    // Quoted: the checkout's path may hold spaces. Wine now and then fails to start a process
    // (ERROR_INTERNAL_ERROR, once in some thousands on a busy machine): one more try.
    const std::wstring commandLine = L"\"" + ChildProcess::ProgramFolder() + program + L"\" " + arguments;
    if (!m_child.Start(commandLine, nullptr, startup, captureOutput, 0) && m_child.StartError() != 0) {
        ::Sleep(500);
        m_child.Start(commandLine, nullptr, startup, captureOutput, 0);
    }
}
