#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DocumentFolder.h"
#include "LeaseRenewer.h"
#include "RecordedSession.h"
#include "ServerRetry.h"
#include "TeamAnswers.h"
#include "TeamOutbox.h"
#include "TeamRecords.h"
#include "TeamServer.h"
#include "TeamStation.h"

// A session kept in a team's database, which several stations share: a page is verified
// here only under a lease this station holds (renewed from a thread of its own while a
// dialog waits), every answer is committed before the next dialog (retried with back-off
// while the server is away), and what other stations decide is learnt before each dialog.
// The record in memory is this station's view: the pages it took, with the answers every
// station gave them.
//
// Every answer is in the local outbox from before it is sent until it is committed. When the
// server stays away longer than the retries wait, it stays there (the next run sends it
// first) and the session fails (SessionFailure): the operator is not shown another word
// whose answer could not be sent either. An answer the server refuses is kept apart
// (TeamOutbox::Deliver), and the session fails with what the server said.
class TeamStore : public RecordedSession {
public:
    using PrintFn = std::function<void(const std::string&)>;

    struct Settings {
        std::wstring connection; // ODBC, with its password or without (TeamServer)
        std::int64_t batch = 0;
        std::string batchName;
        std::string batchCreated; // TeamBatch::createdAt
        std::string server;       // TeamServer::Describe: which server the outbox's answers are for
        TeamStation station;
        unsigned leaseSeconds = 120;
        ServerRetry::Settings retry;
        std::wstring outbox;
        std::shared_ptr<DocumentFolder> cache; // the batch's recogniser output, as this station reads it
    };

    // Throws std::runtime_error when the lease renewer's thread cannot start. `print` is also
    // called from the renewer's thread, while a dialog waits (LeaseRenewer): it must be safe
    // to call from any thread.
    TeamStore(SessionRecord record, Settings settings, PrintFn print);
    ~TeamStore() override;
    TeamStore(const TeamStore&) = delete;
    TeamStore& operator=(const TeamStore&) = delete;

    void PageRecognised(size_t position, const StoredFile& tsv, const StoredFile& hocr) override;
    void PageFailed(size_t position, const std::string& failure) override;
    bool TakePage(size_t position) override;
    void PageDone(size_t position) override;
    void RecordSkipped(size_t position, const VerifiedWord& word, const PageWords& readingOrder) override;
    AnswerFate RecordAnswer(size_t position, VerifiedWord& word, const PageWords& readingOrder) override;
    std::vector<VerifiedWord> DecisionsOfOthers() override;
    // Every station's answers that teach the error model, from the database; this station's
    // own record's once the server has stayed away.
    std::vector<std::vector<VerifiedWord>> BatchAnswers() override;
    void Finish() override;

    // Writes a page's recogniser output as the database holds it where the readers find it,
    // named after the page ("NAME.tsv"): the file as the session records it. Throws
    // InputError naming the file when it cannot.
    static StoredFile CacheDocument(const DocumentFolder& cache, const std::string& pageName,
                                    const TeamDocument& document);

    // A page's position in the batch (from 1, as the team's tables and records number it) for
    // its position in the session (from 0), and back: converted here, at the store's edge.
    static int BatchPosition(size_t position) { return static_cast<int>(position) + 1; }
    // SIZE_MAX, which no session has, for a batch's position below 1.
    static size_t SessionPosition(int position) { return static_cast<size_t>(position) - 1; }

private:
    // Another station's output for the page was kept first: it is the one verified here, read
    // from the database (into the cache) unless the station's own has its bytes.
    void KeepStoredOutput(size_t position, const StoredFile& tsv, const StoredFile& hocr);
    // Sends the answer under the page's lease (PageLost, sending nothing, when the station
    // holds it no more), kept in the outbox until it is committed; throws SessionFailure when
    // the server stays away (the answer stays in the outbox) or refuses it (kept apart).
    AnswerReceipt Send(size_t position, const VerifiedWord& word, const PageWords& readingOrder);
    // The page is no longer this station's: another took it after its lease ran out.
    void Lose(size_t position);
    // The pages other stations have done since, as done.
    void NoteDonePages();

    Settings m_settings;
    PrintFn m_print;
    TeamServer m_server;
    ServerRetry m_retry;
    LeaseRenewer m_renewer;
    TeamOutbox m_outbox;
    std::map<size_t, TeamLease> m_leases; // the pages this station holds, by the session's position
    std::int64_t m_answers = 0;           // sent in this run, for their ids
    std::int64_t m_lastDecision = 0;      // the last decision learnt, in the batch's commit order
    bool m_serverAway = false;            // the retries ran out: nothing more is sent
    bool m_toldOtherEngine = false;       // the operator knows the engine is not the batch's
};
