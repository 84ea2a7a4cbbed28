#include "PageLoop.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "AuditDraw.h"
#include "SecondReading.h"
#include "SessionFailure.h"
#include "Utf8.h"
#include "WordDialog.h"
#include "WordFeatures.h"
#include "WordImage.h"

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

PageLoop::PageLoop(const StationOptions& options, const PreparedSession& session, RastStartDialogFn dialog,
                   PrintFn print)
    : m_options(options)
    , m_session(session)
    , m_print(std::move(print))
    , m_dialog(options, session, dialog, m_print)
    , m_selection(session.Selection())
    , m_audit(session)
    , m_recognised(session.recognised)
{
    if (session.catchGoal > 0 && session.learnsModel) {
        m_learning = std::make_unique<BatchLearning>(session);
    }
}

void PageLoop::NoteRecognitions(PageWorker& worker)
{
    for (const Recognition& recognition : worker.TakeRecognitions()) {
        if (!recognition.failure.empty()) {
            m_session.store->PageFailed(recognition.position, recognition.failure);
            continue;
        }
        m_session.store->PageRecognised(recognition.position, {WideToUtf8(recognition.tsv), recognition.tsvSha256},
                                      {WideToUtf8(recognition.hocr), recognition.hocrSha256});
        const StoredPage& kept = m_session.store->Record().pages[recognition.position];
        if (kept.tsv.path.empty() && kept.hocr.path.empty()) {
            continue; // none kept: the page is not this station's to verify
        }
        std::pair<std::wstring, std::wstring> files;
        Utf8ToWide(kept.tsv.path, files.first);
        Utf8ToWide(kept.hocr.path, files.second);
        if (files != std::make_pair(recognition.tsv, recognition.hocr)) {
            m_readAgain.insert(recognition.position);
        }
        m_recognised[recognition.position] = files;
    }
}

void PageLoop::NoteWrittenPages(PageWorker& worker, std::set<size_t>& finishing, SessionSummary& summary)
{
    for (const WrittenPage& written : worker.TakeWritten()) {
        const bool finished = finishing.erase(written.position) != 0;
        if (written.failure.empty()) {
            if (finished) {
                m_session.store->PageDone(written.position);
            }
            continue;
        }
        ++summary.pagesUnwritten;
        m_print(m_session.PageLine(written.position) + ": its files could not be written, " + written.failure +
                "; the page is not done, a later run writes them");
    }
}

void PageLoop::ReopenPagesWithoutFiles()
{
    const std::vector<StoredPage>& pages = m_session.store->Record().pages;
    for (size_t position = 0; position < pages.size(); ++position) {
        if (pages[position].state == PageState::kDone &&
            !m_session.files->HasPageFiles(m_session.plan.pages[position], pages[position].words)) {
            // Finished again from its answers, without a dialog.
            m_session.store->ReopenPage(position);
            m_print(m_session.PageLine(position) + ": done, but its files are missing: written again");
        }
    }
}

SessionSummary PageLoop::Run()
{
    SessionSummary summary;
    summary.pages = static_cast<int>(m_session.plan.pages.size());
    ReopenPagesWithoutFiles();
    // The corrections of earlier runs are offered again as those of this one.
    m_proposals = CorrectionProposals();
    m_proposals.LearnFrom(m_session.store->Record());
    const std::vector<StoredPage>& pages = m_session.store->Record().pages;
    for (size_t position = 0; position < pages.size(); ++position) {
        for (const VerifiedWord& answer : pages[position].words) {
            m_recurring.Learn(position, answer);
        }
    }
    std::unique_ptr<SessionFailure> failure;
    std::set<size_t> finishing; // every word answered: done once the worker has written its files
    // The batch is gone round again as long as a round took a page and left one to another
    // station: a page another station held meanwhile may be free again (its lease ran out), and
    // is taken up at its first unanswered word.
    bool first = true;
    while (RunRound(first, summary, finishing, failure) && !summary.cancelled && !failure) {
        first = false;
    }
    // The record first: the other files are made from it, by this run or the next.
    m_session.store->Finish();
    m_session.files->SessionEnded(m_session.plan.pages, m_session.store->Record(), !summary.cancelled && !failure);
    if (failure) {
        throw SessionFailure(*failure);
    }
    // Those the engine failed on ahead of the operator too (the failed pages of earlier runs
    // were tried again, or wait).
    summary.pagesFailed = m_session.store->Record().summary.pagesFailed;
    return summary;
}

bool PageLoop::RunRound(bool first, SessionSummary& summary, std::set<size_t>& finishing,
                        std::unique_ptr<SessionFailure>& failure)
{
    std::vector<bool> skip;
    for (const StoredPage& page : m_session.store->Record().pages) {
        // A page this run failed on waits for a later run.
        skip.push_back(page.state == PageState::kDone || (!first && page.state == PageState::kFailed));
    }
    m_readAgain.clear(); // this round's worker reads the outputs kept
    PageWorker worker(m_session.plan.pages, skip, m_recognised, m_session.engine, m_session.outputs->Layout(),
                      m_options.ahead);
    bool took = false;
    bool leftToOthers = false;
    for (size_t position = 0; position < m_session.plan.pages.size() && !summary.cancelled && !failure; ++position) {
        const PlannedPage& planned = m_session.plan.pages[position];
        const std::string pageLine = m_session.PageLine(position);
        if (skip[position]) {
            for (const VerifiedWord& word : m_session.store->Record().pages[position].words) {
                if (first) {
                    Count(word.chosenFor, summary);
                }
                summary.earlier += first && word.Answered() ? 1 : 0;
                summary.skipped += first && word.outcome == WordOutcome::kSkipped ? 1 : 0;
            }
            continue;
        }
        std::shared_ptr<PreparedPage> page = worker.Take(position, [&] {
            if (planned.NeedsEngine() && m_recognised.count(position) == 0) {
                m_print(pageLine + ": waiting for the engine to read it");
            }
        });
        NoteRecognitions(worker);
        NoteWrittenPages(worker, finishing, summary);
        if (m_readAgain.erase(position) != 0 && page->failure.empty()) {
            // The words verified are those of the output the store keeps.
            const std::pair<std::wstring, std::wstring>& kept = m_recognised[position];
            PagePreparer::ReadEngineOutput(planned, kept.first, kept.second, *page);
        }
        if (!page->failure.empty()) {
            m_session.store->PageFailed(position, page->failure);
            m_print(pageLine + ": failed, " + page->failure + "; skipped, a later run tries it again");
            m_session.store->Keep();
            continue;
        }
        if (!page->secondFailure.empty()) {
            m_print(pageLine + ": " + page->secondFailure + "; the page goes on with the first reading alone");
        }
        if (!m_session.store->TakePage(position)) {
            // Not this station's to verify: done, or another station's now, which may let it go.
            leftToOthers = leftToOthers || m_session.store->Record().pages[position].state != PageState::kDone;
            continue;
        }
        took = true;
        try {
            summary.cancelled = VerifyPage(position, *page, summary);
            if (!summary.cancelled) {
                finishing.insert(position);
                // Moved on from: another station holds it now.
                leftToOthers = leftToOthers || m_session.store->Record().pages[position].state != PageState::kInProgress;
            }
        } catch (const SessionFailure& fault) {
            failure = std::make_unique<SessionFailure>(fault);
        }
        // The page is done once the worker has written its files, and is kept so by the store
        // so with the next answer: the page turn waits for no file, and a run that ends before
        // leaves the page "in progress" with every word answered, which the next run finishes
        // without a dialog.
        PostOutputs(worker, position, page);
    }
    worker.Finish();
    NoteRecognitions(worker);
    NoteWrittenPages(worker, finishing, summary);
    return took && leftToOthers;
}

// An earlier answer counts only for one of the page's words as it is shown: the same text and
// box (the word's training pair is cut by the journal's box) and a word that can be shown.
// Any other, from a journal edited or damaged, is forgotten and its word asked again.
void PageLoop::ForgetForeignAnswers(size_t position, const PreparedPage& page) const
{
    std::map<int, const PageWords::Word*> byIndex;
    for (const PageWords::Word& word : page.words.Words()) {
        byIndex[word.index] = &word;
    }
    const auto foreign = [&](const VerifiedWord& answer) {
        if (answer.outcome == WordOutcome::kSkipped) {
            return true; // recorded again as the page is gone through
        }
        const auto found = byIndex.find(answer.index);
        const bool shown = found != byIndex.end() && found->second->text == answer.text &&
                           found->second->box == answer.box && SkipReason(page, *found->second).empty();
        if (!shown) {
            m_print("word " + std::to_string(answer.index) +
                          " of the journal is not the page's as shown: asked again");
        }
        return !shown;
    };
    m_session.store->ForgetAnswers(position, foreign);
}

bool PageLoop::VerifyPage(size_t position, const PreparedPage& page, SessionSummary& summary)
{
    ForgetForeignAnswers(position, page);
    if (m_learning) {
        // The models as the answers of the other pages leave them, for the whole of this page.
        m_selection = m_learning->SelectionFor(*m_session.store, position);
    }
    // The words the rule chooses, those corrected on other pages, then the audit's draw from
    // the rest.
    std::vector<SelectedWord> chosen = m_selection->Choose(page.words, page.readTwice ? &page.secondWords : nullptr);
    m_recurring.AddTo(position, page.words, chosen);
    const std::vector<SelectedWord> toVerify =
        m_audit.Add(position, page.words, std::move(chosen),
                    [&](const PageWords::Word& word) { return SkipReason(page, word).empty(); });
    std::map<int, bool> earlier;
    for (const VerifiedWord& word : m_session.store->Record().pages[position].words) {
        earlier[word.index] = true;
    }
    // The dialogs are numbered among the words that can be shown, answered earlier or not,
    // so that a resumed session shows the same "3 of 17" as the first.
    std::vector<std::string> skipReasons;
    int total = 0;
    const int auditBefore = summary.audit;
    for (const SelectedWord& chosen : toVerify) {
        Count(chosen.reason, summary);
        skipReasons.push_back(SkipReason(page, *chosen.word));
        total += skipReasons.back().empty() ? 1 : 0;
    }
    if (!m_options.OnePageForm()) {
        const int audit = summary.audit - auditBefore;
        m_print(m_session.PageLine(position) + ": " + std::to_string(static_cast<int>(toVerify.size()) - audit) + " words " +
                m_session.RuleText() + (audit > 0 ? " and " + std::to_string(audit) + " for the audit" : ""));
    }
    int ordinal = 0;
    for (size_t i = 0; i < toVerify.size(); ++i) {
        const PageWords::Word& word = *toVerify[i].word;
        VerifiedWord record;
        record.chosenFor = toVerify[i].reason;
        record.index = word.index;
        record.box = word.box;
        record.text = word.text;
        record.confidence = word.confidence;
        record.leastCharConfidence = WordFeatures::LeastCharConfidence(word);
        record.secondDiffers = page.readTwice ? (SecondReading::Differs(word, page.secondWords) ? 1 : 0) : -1;
        if (!skipReasons[i].empty()) {
            record.outcome = WordOutcome::kSkipped;
            record.reason = skipReasons[i];
            ++summary.skipped;
            m_session.store->RecordSkipped(position, record, page.words);
            m_print("skipped " + Quoted(word.text) + " (row " + std::to_string(word.index) +
                          "): " + record.reason);
            continue;
        }
        ++ordinal;
        if (earlier.count(word.index) != 0) {
            ++summary.earlier;
            continue;
        }
        // What the other stations decided meanwhile is proposed here too; a page another
        // station has taken from this one (its lease ran out) is left to it.
        for (const VerifiedWord& decision : m_session.store->DecisionsOfOthers()) {
            m_proposals.Learn(decision);
        }
        if (m_session.store->Record().pages[position].state != PageState::kInProgress) {
            m_print(m_session.PageLine(position) + ": another station holds it now: moved on");
            return false;
        }
        const WordDialog::Answer answer = m_dialog.Show(position, page, word, ordinal, total,
                                                           m_proposals.For(word.text), record);
        // Kept for good before the next dialog: a session that is interrupted loses no answer,
        // and the next run makes the other files from the store.
        const SessionStore::AnswerFate fate = m_session.store->RecordAnswer(position, record, page.words);
        if (fate == SessionStore::AnswerFate::kAnsweredByAnother && answer != WordDialog::Answer::kCancel) {
            m_print(Progress(ordinal, total, record) + ": answered by another station first, not recorded");
            continue;
        }
        if (fate == SessionStore::AnswerFate::kPageLost) {
            m_print(Progress(ordinal, total, record) +
                          ": not recorded, another station holds the page now: moved on");
            return false;
        }
        m_proposals.Learn(record);
        m_recurring.Learn(position, record);
        if (answer == WordDialog::Answer::kOk) {
            ++summary.ok;
            summary.corrected += record.changed ? 1 : 0;
            summary.forTraining += record.train ? 1 : 0;
        } else if (answer == WordDialog::Answer::kIgnore) {
            ++summary.ignored;
        }
        m_print(Progress(ordinal, total, record));
        if (answer == WordDialog::Answer::kCancel) {
            return true;
        }
    }
    return false;
}

void PageLoop::Count(const std::string& reason, SessionSummary& summary)
{
    // The audit's words apart from the choice's: they tell what the choice left.
    if (reason == AuditDraw::kReason) {
        ++summary.audit;
        return;
    }
    ++summary.toVerify;
    if (!reason.empty()) {
        ++summary.chosenFor[reason];
    }
}

std::string PageLoop::SkipReason(const PreparedPage& page, const PageWords::Word& word) const
{
    if (word.box.Empty()) {
        return "empty box (" + std::to_string(word.box.width) + " x " + std::to_string(word.box.height) + ")";
    }
    if (WordImage(page.image.Grey(), word.box).Crop().Empty()) {
        return "box outside the page";
    }
    std::wstring text;
    Utf8ToWide(word.text, text);
    if (text.size() > TARSIL_MAX_LENGTH) {
        return "longer than " + std::to_string(TARSIL_MAX_LENGTH) + " UTF-16 units (" + std::to_string(text.size()) +
               ")";
    }
    return {};
}

void PageLoop::PostOutputs(PageWorker& worker, size_t position, const std::shared_ptr<PreparedPage>& page)
{
    // Written by the worker while the operator goes on: the page turn waits for none of it.
    const PlannedPage planned = m_session.plan.pages[position];
    const std::vector<VerifiedWord> words = m_session.store->Record().pages[position].words;
    const PageFiles* files = m_session.files.get();
    worker.PostWrite(position, [files, planned, page, words] { files->WritePage(planned, *page, words); });
}

std::string PageLoop::Progress(int ordinal, int total, const VerifiedWord& record)
{
    const std::string confidence = std::to_string(std::lround(record.confidence));
    std::string line = std::to_string(ordinal) + "/" + std::to_string(total) + " " + WordOutcomeText(record.outcome) + " ";
    if (record.Corrected()) {
        line += Quoted(record.corrected) + " (was " + Quoted(record.text) + ", " + confidence + ")";
    } else {
        line += Quoted(record.text) + " (" + confidence + ")";
    }
    if (record.proposal != ProposalFate::kNone) {
        line += ", proposal " + std::string(ProposalFateText(record.proposal));
    }
    if (record.train) {
        line += ", for training";
    }
    if (record.outcome == WordOutcome::kCancel) {
        line += ": session stopped";
    }
    return line;
}

