#include "TeamStore.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "AtomicFile.h"
#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "PageLeases.h"
#include "SessionFailure.h"
#include "TeamAnswers.h"
#include "TeamPages.h"
#include "TeamProposals.h"
#include "TeamRefusal.h"
#include "TeamWords.h"
#include "Utf8.h"

namespace {

// Renewed three times within a lease: one renewal lost to a slow server leaves two.
unsigned RenewalMilliseconds(unsigned leaseSeconds)
{
    return std::max(500U, leaseSeconds * 1000U / 3U);
}

int PlaceOf(const PageWords& readingOrder, int index)
{
    const std::vector<PageWords::Word>& words = readingOrder.Words();
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i].index == index) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(words.size());
}

} // namespace

TeamStore::TeamStore(SessionRecord record, Settings settings, PrintFn print)
    : RecordedSession(std::move(record))
    , m_settings(std::move(settings))
    , m_print(std::move(print))
    , m_server(m_settings.connection)
    , m_retry(m_server, m_settings.retry,
              [this](const DatabaseError& failure, unsigned waitSeconds) {
                  // An answer waiting for the server is on the disk before the wait.
                  m_outbox.MakeDurable();
                  m_print(ServerRetry::Notice(failure, waitSeconds));
              })
    , m_renewer(m_server, m_settings.batch, m_settings.station, m_settings.leaseSeconds,
                RenewalMilliseconds(m_settings.leaseSeconds), m_print)
    , m_outbox(m_settings.outbox)
{
}

TeamStore::~TeamStore() = default;

void TeamStore::PageRecognised(size_t position, const StoredFile& tsv, const StoredFile& hocr)
{
    std::vector<TeamDocument> documents;
    const std::pair<const char*, const StoredFile*> made[] = {{"tsv", &tsv}, {"hocr", &hocr}};
    for (const auto& [kind, file] : made) {
        std::wstring path;
        std::string content;
        std::string unread;
        if (!file->path.empty() && Utf8ToWide(file->path, path) && AtomicFile::Read(path, content, unread)) {
            documents.push_back({kind, std::string(), file->sha256, content});
        }
    }
    if (documents.empty() || m_serverAway) {
        RecordedSession::PageRecognised(position, tsv, hocr);
        return;
    }
    RecognitionReceipt receipt;
    m_retry.Run([&](DatabaseConnection& connection) {
        receipt = TeamPages::RecordRecognition(connection, m_settings.batch, BatchPosition(position), documents);
    });
    if (receipt.fate == RecognitionFate::Recorded) {
        RecordedSession::PageRecognised(position, tsv, hocr);
    } else if (receipt.fate == RecognitionFate::AnotherStands) {
        KeepStoredOutput(position, tsv, hocr);
    } else if (!m_toldOtherEngine) {
        // The page keeps no output of this station's: TakePage leaves it to another.
        m_toldOtherEngine = true;
        m_print("this station's engine (" + receipt.engine + ") is not the batch's (" + receipt.batchEngine +
                "): its output is not kept, and the pages it recognises are left to stations with the batch's "
                "engine");
    }
}

StoredFile TeamStore::CacheDocument(const DocumentFolder& cache, const std::string& pageName,
                                    const TeamDocument& document)
{
    std::wstring name;
    Utf8ToWide(pageName + "." + document.kind, name);
    return {WideToUtf8(cache.Write(name, document.content)), document.sha256};
}

void TeamStore::KeepStoredOutput(size_t position, const StoredFile& tsv, const StoredFile& hocr)
{
    TeamPage stored;
    m_retry.Run([&](DatabaseConnection& connection) {
        stored = TeamPages::Load(connection, m_settings.batch, BatchPosition(position));
    });
    StoredFile kept[2];
    for (const TeamDocument& document : stored.source.documents) {
        const bool isTsv = document.kind == "tsv";
        if (isTsv || document.kind == "hocr") {
            const StoredFile& own = isTsv ? tsv : hocr;
            // The station's own file serves where it has the stored bytes.
            kept[isTsv ? 0 : 1] =
                own.sha256 == document.sha256 ? own : CacheDocument(*m_settings.cache, Page(position).name, document);
        }
    }
    RecordedSession::PageRecognised(position, kept[0], kept[1]);
}

void TeamStore::PageFailed(size_t position, const std::string& failure)
{
    if (m_serverAway) {
        return;
    }
    std::optional<TeamLease> lease;
    const auto held = m_leases.find(position);
    if (held != m_leases.end()) {
        lease = held->second;
    } else {
        // Failed ahead of the operator: recorded only when no other station has the page.
        m_retry.Run([&](DatabaseConnection& connection) {
            lease = PageLeases::Take(connection, m_settings.batch, m_settings.station, BatchPosition(position),
                                     m_settings.leaseSeconds);
        });
    }
    if (!lease) {
        return;
    }
    m_renewer.Drop(lease->position);
    m_leases.erase(position);
    bool marked = false;
    m_retry.Run([&](DatabaseConnection& connection) {
        marked = TeamPages::MarkFailed(connection, m_settings.batch, m_settings.station, *lease, failure);
    });
    if (marked) {
        RecordedSession::PageFailed(position, failure);
    }
}

bool TeamStore::TakePage(size_t position)
{
    const StoredPage& stored = Page(position);
    if (stored.state == PageState::kDone || (stored.ocrByStation && stored.tsv.path.empty() && stored.hocr.path.empty())) {
        return false; // done, or its output is not the batch's
    }
    std::optional<TeamLease> lease;
    m_retry.Run([&](DatabaseConnection& connection) {
        lease = PageLeases::Take(connection, m_settings.batch, m_settings.station, BatchPosition(position),
                                 m_settings.leaseSeconds);
    });
    if (!lease) {
        NoteDonePages();
        return false;
    }
    m_leases[position] = *lease;
    m_renewer.Hold(*lease);
    // Resumed at its first unanswered word: the answers belong to the page, whoever gave them.
    TeamPage page;
    m_retry.Run([&](DatabaseConnection& connection) {
        page = TeamPages::Load(connection, m_settings.batch, BatchPosition(position));
    });
    std::vector<VerifiedWord>& words = Page(position).words;
    words.clear();
    for (const TeamAnswer& answer : page.answers) {
        words.push_back(TeamWords::FromTeam(answer));
    }
    return RecordedSession::TakePage(position);
}

void TeamStore::NoteDonePages()
{
    std::map<int, std::string> states;
    m_retry.Run([&](DatabaseConnection& connection) { states = PageLeases::States(connection, m_settings.batch); });
    for (const auto& [number, state] : states) {
        const size_t position = SessionPosition(number);
        if (PageStateFromText(state) == PageState::kDone && position < Record().pages.size() &&
            m_leases.count(position) == 0) {
            RecordedSession::PageDone(position);
        }
    }
}

void TeamStore::PageDone(size_t position)
{
    const auto held = m_leases.find(position);
    if (held == m_leases.end() || m_serverAway) {
        return; // another station's now, or the next run's
    }
    const TeamLease lease = held->second;
    m_renewer.Drop(lease.position);
    m_leases.erase(held);
    bool marked = false;
    m_retry.Run([&](DatabaseConnection& connection) {
        marked = TeamPages::MarkDone(connection, m_settings.batch, m_settings.station, lease);
    });
    if (marked) {
        RecordedSession::PageDone(position);
        return;
    }
    // Another station's now, or done already (by this very call, its acknowledgement lost).
    Lose(position);
    NoteDonePages();
}

void TeamStore::Lose(size_t position)
{
    const auto held = m_leases.find(position);
    if (held != m_leases.end()) {
        m_renewer.Drop(held->second.position);
        m_leases.erase(held);
    }
    StoredPage& page = Page(position);
    page.state = page.state == PageState::kInProgress ? PageState::kRecognised : page.state;
}

AnswerReceipt TeamStore::Send(size_t position, const VerifiedWord& word, const PageWords& readingOrder)
{
    OutboxEntry entry;
    entry.address = {m_settings.server, m_settings.batch, m_settings.batchName, m_settings.batchCreated};
    TeamAnswer& answer = entry.answer;
    answer =
        TeamWords::ToTeam(word, BatchPosition(position), PlaceOf(readingOrder, word.index), m_settings.station);
    answer.answerId = m_settings.station.AnswerId(++m_answers);
    const auto held = m_leases.find(position);
    if (held == m_leases.end()) {
        AnswerReceipt lost;
        lost.fate = ::AnswerFate::PageLost; // lost already: nothing to send
        return lost;
    }
    const TeamLease lease = held->second;
    try {
        m_outbox.Keep(entry);
    } catch (const TeamRefusal& fault) {
        throw SessionFailure(std::string(fault.what()) + "; the answer was not sent");
    }
    OutboxDelivery delivery;
    try {
        if (m_serverAway) {
            throw SessionFailure("the team's server is away");
        }
        delivery = m_outbox.Deliver(entry, [&] {
            AnswerReceipt receipt;
            m_retry.Run([&](DatabaseConnection& connection) {
                receipt = TeamAnswers::RecordHeld(connection, m_settings.batch, lease, answer);
            });
            return receipt;
        });
    } catch (const std::runtime_error& failure) {
        m_serverAway = true;
        m_outbox.MakeDurable();
        throw SessionFailure(std::string(failure.what()) + "; the answer is kept in " +
                             WideToUtf8(m_settings.outbox) + ", which the next run sends first");
    }
    if (delivery.refused) {
        throw SessionFailure("the team's server refused the answer to word " + std::to_string(word.index) + " (" +
                             delivery.refusal + "): " + TeamOutbox::RefusedAdvice(m_outbox.RefusedPath()));
    }
    if (!delivery.receipt.pageHeld) {
        Lose(position);
    }
    return delivery.receipt;
}

void TeamStore::RecordSkipped(size_t position, const VerifiedWord& word, const PageWords& readingOrder)
{
    const ::AnswerFate fate = Send(position, word, readingOrder).fate;
    if (fate == ::AnswerFate::Recorded || fate == ::AnswerFate::AlreadyRecorded) {
        RecordedSession::RecordSkipped(position, word, readingOrder);
    }
}

SessionStore::AnswerFate TeamStore::RecordAnswer(size_t position, VerifiedWord& word, const PageWords& readingOrder)
{
    // A cancelled word is no answer: whoever takes the page asks it again.
    if (word.outcome != WordOutcome::kCancel) {
        try {
            const ::AnswerFate fate = Send(position, word, readingOrder).fate;
            if (fate == ::AnswerFate::AnsweredByAnother) {
                return AnswerFate::kAnsweredByAnother;
            }
            if (fate == ::AnswerFate::PageLost) {
                return AnswerFate::kPageLost;
            }
        } catch (const SessionFailure&) {
            RecordedSession::RecordAnswer(position, word, readingOrder); // kept in the outbox
            throw;
        }
    }
    return RecordedSession::RecordAnswer(position, word, readingOrder);
}

std::vector<VerifiedWord> TeamStore::DecisionsOfOthers()
{
    std::vector<size_t> lost;
    for (const auto& [position, lease] : m_leases) {
        if (m_renewer.Lost(lease.position)) {
            lost.push_back(position);
        }
    }
    for (const size_t position : lost) {
        Lose(position);
    }
    std::vector<TeamDecision> decisions;
    if (!m_serverAway) {
        try {
            m_retry.Run([&](DatabaseConnection& connection) {
                decisions = TeamProposals::After(connection, m_settings.batch, m_lastDecision);
            });
        } catch (const DatabaseError&) {
            // The proposals only help: whether the server is gone for good, the next answer's
            // commit decides.
        }
    }
    std::vector<VerifiedWord> words;
    for (const TeamDecision& decision : decisions) {
        VerifiedWord word;
        word.outcome = WordOutcome::kOk;
        word.text = decision.recognised;
        word.changed = decision.changed;
        word.corrected = decision.changed ? decision.corrected : decision.recognised;
        word.order = static_cast<int>(decision.order);
        words.push_back(word);
        m_lastDecision = std::max(m_lastDecision, decision.order);
    }
    return words;
}

std::vector<std::vector<VerifiedWord>> TeamStore::BatchAnswers()
{
    if (m_serverAway) {
        return RecordedSession::BatchAnswers();
    }
    std::vector<TeamAnswer> learnable;
    m_retry.Run(
        [&](DatabaseConnection& connection) { learnable = TeamAnswers::Learnable(connection, m_settings.batch); });
    std::vector<std::vector<VerifiedWord>> answers(Record().pages.size());
    for (const TeamAnswer& answer : learnable) {
        const size_t position = SessionPosition(answer.page);
        if (position < answers.size()) {
            answers[position].push_back(TeamWords::FromTeam(answer));
        }
    }
    return answers;
}

void TeamStore::Finish()
{
    // Pages left unfinished (the operator cancelled) are free for the next station at once.
    for (const auto& [position, lease] : m_leases) {
        m_renewer.Drop(lease.position);
        if (!m_serverAway) {
            try {
                const std::unique_ptr<DatabaseConnection> connection = m_server.Connect();
                PageLeases::Release(*connection, m_settings.batch, m_settings.station, lease);
            } catch (const DatabaseError&) {
                // Its lease runs out instead.
            }
        }
    }
    m_leases.clear();
    RecordedSession::Finish();
}
