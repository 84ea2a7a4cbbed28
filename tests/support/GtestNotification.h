#pragma once

// googletest's signal for starting its helper threads, on a Win32 event. The win32 thread
// model's C++ library, which the project builds with, has no std::mutex to make the one
// googletest brings. Included ahead of every googletest source.

#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification()
        : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~Notification() { ::CloseHandle(m_event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(m_event); }
    void WaitForNotification() { ::WaitForSingleObject(m_event, INFINITE); }

private:
    HANDLE m_event;
};

} // namespace internal
} // namespace testing
