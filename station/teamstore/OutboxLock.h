#pragma once

#include "FileHandle.h"

#include <cstdint>
#include <string>

// The lock of the outbox's files: FILE.lock beside the outbox, which stays, taken for each
// reading or change of the files by one station at a time. Its first bytes count the changes
// made to the files, so that a station tells whether what it read or wrote last still holds.
class OutboxLock {
public:
    // The lock of the outbox at `outbox`; the lock file is opened (made when missing) at the
    // first Take.
    explicit OutboxLock(std::wstring outbox);

    // A turn has been taken: the lock file is open.
    bool Opened() const { return m_file.IsOpen(); }

    // Waits for the lock and holds it: true when no other station changed the files since this
    // one's last turn. Throws TeamRefusal (OutboxUnusable) naming the outbox when the lock file
    // cannot be made or locked, or another station holds the lock for more than seconds.
    bool Take();
    // Frees the lock, counting a change for the other stations when `changed`: false when
    // the count cannot be written (the others could not tell the change).
    bool Free(bool changed);

    // The lock file's path.
    std::wstring Path() const { return m_outbox + L".lock"; }

private:
    std::wstring m_outbox;
    FileHandle m_file;
    std::uint64_t m_count = 0;      // the count read by the turn under way
    std::uint64_t m_generation = 0; // the count as this station left it
};
