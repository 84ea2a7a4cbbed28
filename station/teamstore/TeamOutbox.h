#pragma once

#include "OutboxEntry.h"
#include "OutboxLock.h"
#include "TeamAnswers.h"
#include "TeamRecords.h"

#include <functional>
#include <string>
#include <vector>

// What became of a kept answer sent to the server.
struct OutboxDelivery {
    bool refused = false;  // the server said no: the answer is kept apart, not sent again
    std::string refusal;   // what it said, and where the answer is kept
    AnswerReceipt receipt; // when it was sent
};

// The answers a station has not got committed yet, in a local file that the next run sends
// first: every answer is in it from before it is sent until it is committed, so a station
// that stops however it stops (the server away, the console closed while the retries wait)
// leaves every unsent answer in it. The file (UTF-8 JSON) is removed when a station done with
// it leaves it empty.
//
// Several stations may share the file (two on one Windows account): each reading or change
// is made under the lock of the file beside it (FILE.lock, which stays), on what the file
// holds then, so no station's change undoes another's.
//
// Answers the server refuses (rather than being away: a grant missing, a constraint, text it
// cannot take) are kept apart in FILE's sibling NAME.refused.json, with what the server
// said: they are not sent again, and no later run waits for them.
class TeamOutbox {
public:
    explicit TeamOutbox(std::wstring path);
    // Removes the file when it holds no answer (another station's may have come meanwhile).
    ~TeamOutbox();
    TeamOutbox(const TeamOutbox&) = delete;
    TeamOutbox& operator=(const TeamOutbox&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Beside the outbox: "team-outbox.json" keeps its refused answers in
    // "team-outbox.refused.json".
    std::wstring RefusedPath() const;

    // What the file holds now, in the order kept; nothing when there is no file. Throws
    // TeamRefusal (OutboxUnusable) naming the file when it cannot be read, is not an outbox
    // of this program, or its lock is not free within seconds.
    std::vector<OutboxEntry> Entries();
    // The same of the refused answers' file.
    std::vector<OutboxEntry> Refused();

    // Keeps `entry` before it is sent. The station's own answer alone in the file is written
    // without waiting for the disk (the commit that follows at once is what keeps it); the
    // first wait for the server makes it durable (MakeDurable). Throws TeamRefusal
    // (OutboxUnusable) when it cannot be written.
    void Keep(const OutboxEntry& entry);
    // Puts what Keep wrote on the disk; does nothing when it is there already. Fails
    // quietly: a file it cannot flush still holds the answer for the next run of this
    // computer.
    void MakeDurable() noexcept;

    // Sends the kept `entry` through `send`. Sent (recorded now, recorded before, or another
    // station's answer to its word stands): it leaves the outbox. Refused (`send` threw a
    // DatabaseError other than the server's absence, a TeamRefusal or a std::logic_error):
    // it moves to the refused answers' file, with the reason. The server away (a DatabaseError
    // of ServerRetry::Away): it stays, and the exception goes on.
    OutboxDelivery Deliver(const OutboxEntry& entry, const std::function<AnswerReceipt()>& send);

    // What to do with the refused answers kept in `refusedPath`, for the console.
    static std::string RefusedAdvice(const std::wstring& refusedPath);

private:
    // Runs `work` under the outbox's lock: what this station read or wrote last holds while
    // no other station changed the files since.
    void InTurn(const std::function<void()>& work);
    // What the file holds; read again when another station changed it. The lock held.
    std::vector<OutboxEntry>& Current();
    // Writes m_entries: `alone` (nothing else in the file is at stake) written over in
    // place, without waiting for the disk; otherwise replaced whole, flushed. The lock held.
    void Save(bool alone);
    // Takes the entry out of the file; the lock held.
    void Remove(const std::string& answerId);

    std::wstring m_path;
    OutboxLock m_lock;
    bool m_known = false;             // m_entries and m_length are what the file holds
    bool m_changed = false;           // by the turn under way
    std::vector<OutboxEntry> m_entries;
    size_t m_length = 0;              // the file's bytes, answers and padding
    bool m_unflushed = false;         // the file as Keep wrote it may not be on the disk yet
};
