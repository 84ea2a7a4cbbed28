#include "OutboxLock.h"

#include "TeamRefusal.h"
#include "Utf8.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Another station holds the lock for a file's reading or writing, a few milliseconds.
constexpr ULONGLONG kMostLockWaitMs = 10000;

// The lock file's first bytes count the changes made to the outbox's files. Read: 0 for a
// new lock file; false when it cannot be read.
bool ReadCount(HANDLE lock, std::uint64_t& count)
{
    OVERLAPPED start = {};
    DWORD done = 0;
    unsigned char bytes[sizeof count] = {};
    count = 0;
    if (!::ReadFile(lock, bytes, sizeof bytes, &done, &start) && ::GetLastError() != ERROR_HANDLE_EOF) {
        return false;
    }
    if (done == sizeof bytes) {
        std::memcpy(&count, bytes, sizeof bytes);
    }
    return true;
}

bool WriteCount(HANDLE lock, std::uint64_t count)
{
    OVERLAPPED start = {};
    DWORD done = 0;
    unsigned char bytes[sizeof count] = {};
    std::memcpy(bytes, &count, sizeof bytes);
    return ::WriteFile(lock, bytes, sizeof bytes, &done, &start) && done == sizeof bytes;
}

} // namespace

OutboxLock::OutboxLock(std::wstring outbox)
    : m_outbox(std::move(outbox))
{
}

bool OutboxLock::Take()
{
    const std::string shown = WideToUtf8(m_outbox);
    if (!m_file.IsOpen()) {
        m_file = FileHandle::OpenWhenFree(Path(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_HIDDEN);
        if (!m_file.IsOpen()) {
            throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                              shown + ": the lock of the file of unsent answers cannot be made: " +
                                  FileHandle::Reason(::GetLastError()));
        }
    }
    // Polled rather than waited for: a station that stopped with the lock held frees it as
    // it ends, and one that hangs holding it must not hang this one.
    const ULONGLONG started = ::GetTickCount64();
    for (DWORD pause = 1;; pause = std::min<DWORD>(pause * 2, 20)) {
        OVERLAPPED whole = {};
        if (::LockFileEx(m_file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
            break;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION) {
            throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                              shown + ": the file of unsent answers cannot be locked: " + FileHandle::Reason(error));
        }
        if (::GetTickCount64() - started > kMostLockWaitMs) {
            throw TeamRefusal(TeamRefusalKind::OutboxUnusable,
                              shown + ": the file of unsent answers is locked by another station for more than " +
                                  std::to_string(kMostLockWaitMs / 1000) + " s");
        }
        ::Sleep(pause);
    }
    // What this station knows of the files holds while no other has changed them since.
    const bool counted = ReadCount(m_file.Get(), m_count);
    return counted && m_count == m_generation;
}

bool OutboxLock::Free(bool changed)
{
    const bool told = !changed || WriteCount(m_file.Get(), ++m_count);
    m_generation = m_count;
    OVERLAPPED whole = {};
    ::UnlockFileEx(m_file.Get(), 0, 1, 0, &whole);
    return told;
}
