#pragma once

#include "TeamAnswers.h"
#include "TeamRecords.h"

#include <functional>
#include <string>
#include <vector>

// An answer the server could not take, kept for the station's next run.
struct OutboxEntry {
    std::string batch; // the batch's name
    TeamAnswer answer; // with its id: sending it again records it once
};

// The answers a station could not commit (the server stayed away longer than the retries
// waited), in a local file that the next run sends first. The file (UTF-8 JSON) is written
// whole, through a temporary file renamed over it, after every answer kept, so a station
// that stops however it stops leaves every unsent answer in it; it is removed once all are
// sent.
class TeamOutbox {
public:
    explicit TeamOutbox(std::wstring path);

    // Reads the file; none is an empty outbox. Throws TeamRefusal (OutboxUnusable) naming
    // the file when it cannot be read or is not an outbox of this program.
    void Load();
    const std::vector<OutboxEntry>& Entries() const { return m_entries; }

    // Keeps one more answer and writes the file. Throws TeamRefusal (OutboxUnusable) naming
    // the file when it cannot be written.
    void Add(const std::string& batch, const TeamAnswer& answer);

    // Sends the kept answers through `send`, in the order they were kept, and keeps only
    // those not sent: each one `send` returns from is sent (recorded now, recorded before,
    // or another's answer to its word stands). When `send` throws, the answers from that
    // one on stay in the file, and the exception goes on. The receipts, in order.
    std::vector<AnswerReceipt> Send(const std::function<AnswerReceipt(const OutboxEntry&)>& send);

private:
    // Writes the entries, or removes the file when there are none.
    void Save();

    std::wstring m_path;
    std::vector<OutboxEntry> m_entries;
};
