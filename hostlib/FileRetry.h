#pragma once

#include <windows.h>

// Another program (a search indexer, a sync client, an antivirus scanner) may hold a file
// open for a moment, so that opening, renaming or reading it fails with a sharing or lock
// violation, or access denied. Such a failure is tried again, for a short, bounded time;
// any other failure, or one that outlasts the time, is final.
class FileRetry {
public:
    // How long a file may stay held before the operation fails for good.
    static constexpr DWORD kMostWaitMs = 2000;

    // True when the error can come from another program holding the file for a moment.
    static bool MayPass(DWORD error)
    {
        return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
    }

    // Calls `attempt` until it returns true, fails with an error that does not pass, or the
    // time is up. `attempt` leaves the reason of a failure as the thread's last error, which
    // stays set for the caller when the operation fails.
    template <typename Attempt>
    static bool Run(Attempt attempt)
    {
        const ULONGLONG started = ::GetTickCount64();
        DWORD pause = 10;
        for (;;) {
            if (attempt()) {
                return true;
            }
            const DWORD error = ::GetLastError();
            if (!MayPass(error) || ::GetTickCount64() - started + pause > kMostWaitMs) {
                ::SetLastError(error);
                return false;
            }
            ::Sleep(pause);
            pause = pause < 160 ? pause * 2 : pause;
        }
    }
};
