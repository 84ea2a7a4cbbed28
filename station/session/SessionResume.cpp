#include "SessionResume.h"

#include <algorithm>

#include "InputError.h"
#include "PathName.h"
#include "Sha256.h"
#include "SessionOutputCheck.h"
#include "Utf8.h"

namespace {

bool SamePath(const std::string& a, const std::string& b)
{
    std::wstring wideA;
    std::wstring wideB;
    return Utf8ToWide(a, wideA) && Utf8ToWide(b, wideB) && PathName::Same(wideA, wideB);
}

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide;
    Utf8ToWide(utf8, wide);
    return wide;
}

// A file the earlier session read, checked against what is there now.
void CheckUnchanged(const StoredFile& earlier, const StoredFile& now, const std::wstring& journalPath)
{
    if (!SamePath(earlier.path, now.path)) {
        throw InputError(journalPath, "was written for other input files (" +
                                          (earlier.path.empty() ? std::string("none") : earlier.path) + ", now " +
                                          (now.path.empty() ? std::string("none") : now.path) +
                                          "); --restart starts a new session");
    }
    if (earlier.sha256 != now.sha256) {
        throw InputError(Wide(now.path), "has changed since the session in " + WideToUtf8(journalPath) +
                                             " began (its SHA-256 differs); --restart starts a new session");
    }
}

// The engine's output that an earlier run kept for a page, when it is there as the journal
// recorded it: the station's own file, which a run cut short, a disk fault or a user may have
// left damaged or removed.
bool KeptAsRecorded(const std::wstring& path, const StoredFile& recorded)
{
    try {
        return !recorded.sha256.empty() && Sha256::OfFile(path) == recorded.sha256;
    } catch (const InputError&) {
        return false; // missing or unreadable
    }
}

} // namespace

SessionResume::SessionResume(const StationOptions& options, PreparedSession& session, SessionRecord& record)
    : m_options(options)
    , m_session(session)
    , m_record(record)
{
}

void SessionResume::From(const SessionRecord& earlier, const std::wstring& journalPath)
{
    bool sameInputs = earlier.inputs.size() == m_record.inputs.size();
    for (size_t i = 0; sameInputs && i < earlier.inputs.size(); ++i) {
        sameInputs = SamePath(earlier.inputs[i], m_record.inputs[i]);
    }
    if (!sameInputs) {
        throw InputError(journalPath, "was written for other inputs; --restart starts a new session");
    }
    const bool confidenceRule = earlier.catchPercent == 0;
    if (earlier.catchPercent != m_record.catchPercent || (confidenceRule && earlier.below != m_options.below)) {
        // The rule decides which words each page shows and how they are numbered: the session
        // keeps the one it began with, so that its pages and its summary agree.
        m_session.notes.push_back("the session in " + WideToUtf8(journalPath) + " began with " +
                                  PreparedSession::RuleOption(earlier.catchPercent, earlier.below) +
                                  " and goes on with it; " +
                                  PreparedSession::RuleOption(m_record.catchPercent, m_options.below) +
                                  " takes effect with --restart, which starts a new session");
        m_session.below = earlier.below;
        m_record.below = earlier.below;
        m_session.catchGoal = earlier.catchPercent / 100;
        m_record.catchPercent = earlier.catchPercent;
        // The training pairs and screenshots of the session's threshold.
        SessionOutputCheck(m_options, m_session, m_record).RefuseOutputOverInput();
    }
    if (earlier.auditPercent != m_record.auditPercent ||
        (m_options.auditSeed >= 0 && earlier.auditSeed != m_options.auditSeed)) {
        // The audit's words are drawn page by page from the session's seed: another rate or
        // seed would draw the answered pages otherwise than they were shown.
        m_session.notes.push_back("the session in " + WideToUtf8(journalPath) + " began with --audit " +
                                  PreparedSession::Number(earlier.auditPercent) + " --audit-seed " +
                                  std::to_string(earlier.auditSeed) +
                                  " and goes on with them; others take effect with --restart");
    }
    m_session.auditPercent = earlier.auditPercent;
    m_session.auditSeed = earlier.auditSeed;
    m_record.auditPercent = earlier.auditPercent;
    m_record.auditSeed = earlier.auditSeed;
    for (size_t i = 0; i < std::max(earlier.pages.size(), m_record.pages.size()); ++i) {
        if (i >= earlier.pages.size() || i >= m_record.pages.size() ||
            !SamePath(earlier.pages[i].image.path, m_record.pages[i].image.path) ||
            earlier.pages[i].frame != m_record.pages[i].frame) {
            const StoredPage& differing =
                i < m_record.pages.size() ? m_record.pages[i] : earlier.pages[i];
            throw InputError(Wide(differing.image.path),
                             i < m_record.pages.size() && i < earlier.pages.size()
                                 ? "is now page " + std::to_string(i + 1) + " of the batch, where the session in " +
                                       WideToUtf8(journalPath) + " has " + earlier.pages[i].image.path +
                                       "; --restart starts a new session"
                                 : std::string(i < m_record.pages.size() ? "is new" : "is missing") +
                                       " in the batch of the session in " + WideToUtf8(journalPath) +
                                       "; --restart starts a new session");
        }
        const StoredPage& before = earlier.pages[i];
        StoredPage& page = m_record.pages[i];
        CheckUnchanged(before.image, page.image, journalPath);
        if (!page.ocrByStation || !before.ocrByStation) {
            CheckUnchanged(before.tsv, page.tsv, journalPath);
            CheckUnchanged(before.hocr, page.hocr, journalPath);
            CheckUnchanged(before.xml, page.xml, journalPath);
        }
        // A failed page is tried again; the others go on where they stopped. A skipped word
        // stays in the journal's count; a cancelled one is shown again.
        page.state = before.state == PageState::kFailed ? page.state : before.state;
        if (page.ocrByStation && page.state != PageState::kWaiting) {
            // The engine's output kept from the earlier run, where this run's engine would
            // write it: the page is not recognised again. A file of it missing or changed
            // costs the page its recognition only: it is recognised again, and its answers
            // that fit the new output are kept when it is shown (ForgetForeignAnswers).
            const OutputLayout& layout = m_session.outputs->Layout();
            const std::wstring tsv = layout.Path(OutputLayout::EngineOutput(m_session.plan.pages[i].stem, L".tsv"));
            const std::wstring hocr = layout.Path(OutputLayout::EngineOutput(m_session.plan.pages[i].stem, L".hocr"));
            if (KeptAsRecorded(tsv, before.tsv) && KeptAsRecorded(hocr, before.hocr)) {
                page.tsv = {WideToUtf8(tsv), before.tsv.sha256};
                page.hocr = {WideToUtf8(hocr), before.hocr.sha256};
                m_session.recognised[i] = {tsv, hocr};
            } else {
                page.state = PageState::kWaiting;
                m_session.notes.push_back(m_session.PageLine(i) + ": the engine's output kept in " +
                                          WideToUtf8(layout.Path(OutputLayout::kOcrFolder)) +
                                          " is missing or has changed: the page is recognised again, "
                                          "keeping the answers that fit the new output");
            }
        }
        page.audit = before.audit;
        for (const VerifiedWord& word : before.words) {
            if (word.Answered() || word.outcome == WordOutcome::kSkipped) {
                page.words.push_back(word);
            }
        }
    }
}
