#include "ConsoleOutputCodePage.h"

#include <windows.h>

#include <atomic>

namespace {

// The code page to give back when the console's interrupt ends the process, which runs no
// destructor. The handler runs on a thread of its own, hence atomic.
std::atomic<unsigned> g_previousOnInterrupt{0};

BOOL WINAPI RestoreOnInterrupt(DWORD event) noexcept
{
    const unsigned previous = g_previousOnInterrupt.load();
    if (previous != 0 && (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)) {
        ::SetConsoleOutputCP(previous);
    }
    return FALSE; // the next handler, the system's, ends the process as before
}

} // namespace

ConsoleOutputCodePage::ConsoleOutputCodePage(unsigned codePage)
    : m_previous(::GetConsoleOutputCP())
{
    if (m_previous == 0 || !::SetConsoleOutputCP(codePage)) {
        m_previous = 0;
        return;
    }
    g_previousOnInterrupt = m_previous;
    ::SetConsoleCtrlHandler(&RestoreOnInterrupt, TRUE);
}

ConsoleOutputCodePage::~ConsoleOutputCodePage()
{
    if (m_previous != 0) {
        ::SetConsoleCtrlHandler(&RestoreOnInterrupt, FALSE);
        g_previousOnInterrupt = 0;
        ::SetConsoleOutputCP(m_previous);
    }
}
