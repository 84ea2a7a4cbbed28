#include "OdbcWorker.h"

#include "DatabaseError.h"
#include "ExclusiveLock.h"

#include <string>
#include <utility>

// What the caller and the thread hand each other, under `lock`. Condition variables rather
// than events: under Wine a wait on an event goes through the wineserver, a handoff costing
// more than ten times as much.
struct OdbcWorker::Mailbox {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE posted = CONDITION_VARIABLE_INIT;   // a call, or the end, for the thread
    CONDITION_VARIABLE returned = CONDITION_VARIABLE_INIT; // the call returned
    Call call;
    bool callWaiting = false;
    bool returnedResult = false;
    SQLRETURN result = SQL_ERROR;
    bool ending = false;
};

OdbcWorker::OdbcWorker()
    : m_mailbox(std::make_shared<Mailbox>())
{
    auto threadsShare = std::make_unique<std::shared_ptr<Mailbox>>(m_mailbox);
    const HANDLE thread = ::CreateThread(nullptr, 0, &OdbcWorker::Entry, threadsShare.get(), 0, nullptr);
    if (thread == nullptr) {
        throw DatabaseError("Starting the thread of a database connection failed (error " +
                                std::to_string(::GetLastError()) + ")",
                            "", DatabaseFailure::Other);
    }
    static_cast<void>(threadsShare.release()); // the thread's now
    ::CloseHandle(thread);  // never waited for: it ends by itself
}

OdbcWorker::~OdbcWorker()
{
    {
        ExclusiveLock lock(m_mailbox->lock);
        m_mailbox->ending = true;
    }
    ::WakeConditionVariable(&m_mailbox->posted);
}

std::optional<SQLRETURN> OdbcWorker::Run(Call call, DWORD milliseconds)
{
    if (m_givenUp) {
        return std::nullopt;
    }
    Call notRun; // a call taken back before the thread began it goes after the lock
    Mailbox& box = *m_mailbox;
    const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
    ExclusiveLock lock(box.lock);
    box.call = std::move(call);
    box.callWaiting = true;
    box.returnedResult = false;
    ::WakeConditionVariable(&box.posted);
    while (!box.returnedResult) {
        DWORD wait = INFINITE;
        if (milliseconds != INFINITE) {
            const ULONGLONG now = ::GetTickCount64();
            if (now >= deadline) {
                m_givenUp = true;
                if (box.callWaiting) {
                    notRun = std::move(box.call);
                    box.callWaiting = false;
                }
                return std::nullopt;
            }
            wait = static_cast<DWORD>(deadline - now);
        }
        ::SleepConditionVariableSRW(&box.returned, &box.lock, wait, 0);
    }
    box.returnedResult = false;
    return box.result;
}

DWORD WINAPI OdbcWorker::Entry(void* mailbox) noexcept
{
    const std::unique_ptr<std::shared_ptr<Mailbox>> share(static_cast<std::shared_ptr<Mailbox>*>(mailbox));
    Mailbox& box = **share;
    for (;;) {
        Call call;
        {
            ExclusiveLock lock(box.lock);
            while (!box.callWaiting && !box.ending) {
                ::SleepConditionVariableSRW(&box.posted, &box.lock, INFINITE, 0);
            }
            if (!box.callWaiting) {
                return 0;
            }
            call = std::move(box.call);
            box.callWaiting = false;
        }
        SQLRETURN result = SQL_ERROR;
        try {
            result = call();
        } catch (...) { // NOLINT(bugprone-empty-catch): reported as the call's failure
        }
        // What the call held goes here, before its caller may go on: a caller that gave it
        // up holds none of it any more; one that waited frees the rest itself.
        call = nullptr;
        {
            ExclusiveLock lock(box.lock);
            box.result = result;
            box.returnedResult = true;
        }
        ::WakeConditionVariable(&box.returned);
    }
}
