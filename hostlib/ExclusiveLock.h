#pragma once

#include <windows.h>

// Holds an SRW lock exclusively for its scope. In between, the holder may sleep on a
// condition variable, or let the lock go for a stretch of work; either way the lock is held
// again before the holder goes on, so that the scope's end always lets go of a held lock.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&m_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    // Lets the lock go until `changed` is woken or `milliseconds` have passed.
    void Wait(CONDITION_VARIABLE& changed, DWORD milliseconds = INFINITE)
    {
        ::SleepConditionVariableSRW(&changed, &m_lock, milliseconds, 0);
    }

    // Runs `work` with the lock let go, and holds it again however `work` ends.
    template <typename Work>
    decltype(auto) Released(Work&& work)
    {
        ::ReleaseSRWLockExclusive(&m_lock);
        const HeldAgain heldAgain{m_lock};
        return work();
    }

private:
    class HeldAgain {
    public:
        explicit HeldAgain(SRWLOCK& lock) : m_lock(lock) {}
        ~HeldAgain() { ::AcquireSRWLockExclusive(&m_lock); }
        HeldAgain(const HeldAgain&) = delete;
        HeldAgain& operator=(const HeldAgain&) = delete;

    private:
        SRWLOCK& m_lock;
    };

    SRWLOCK& m_lock;
};
