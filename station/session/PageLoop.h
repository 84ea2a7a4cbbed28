#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "BatchLearning.h"
#include "CorrectionProposals.h"
#include "PageAudit.h"
#include "PageWorker.h"
#include "PreparedSession.h"
#include "RecurringCorrections.h"
#include "SessionFailure.h"
#include "SessionSummary.h"
#include "StationOptions.h"
#include "TarsilDlg29.h"
#include "VerifiedWord.h"
#include "WordDialog.h"
#include "WordSelection.h"

// The session's pages in turn, while a worker prepares the next ones and writes the finished
// ones' files: each page's uncertain words shown one dialog each (WordDialog), every answer
// kept by the store at once, and a page "done" only once its files are written.
class PageLoop {
public:
    using PrintFn = std::function<void(const std::string&)>;

    PageLoop(const StationOptions& options, const PreparedSession& session, RastStartDialogFn dialog, PrintFn print);

    // Goes through the pages not done, then keeps the record and writes the session's files and
    // frees the output folder. Throws SessionFailure when a dialog cannot be shown.
    SessionSummary Run();

private:
    // Goes once through the pages not done (the first round also counts the words of those
    // done before); true when it took a page and left one to another station, which may let
    // it go.
    bool RunRound(bool first, SessionSummary& summary, std::set<size_t>& finishing,
                  std::unique_ptr<SessionFailure>& failure);
    // Tells the store what the engine made; the output the store keeps for a page is the one
    // its words are read from, in this round and the next.
    void NoteRecognitions(PageWorker& worker);
    // Marks done the finished pages whose files the worker has written; reports those it
    // could not write.
    void NoteWrittenPages(PageWorker& worker, std::set<size_t>& finishing, SessionSummary& summary);
    // A page recorded as done whose files are not all there is finished again.
    void ReopenPagesWithoutFiles();
    // True when the operator cancelled.
    bool VerifyPage(size_t position, const PreparedPage& page, SessionSummary& summary);
    std::string SkipReason(const PreparedPage& page, const PageWords::Word& word) const;
    void ForgetForeignAnswers(size_t position, const PreparedPage& page) const;
    void PostOutputs(PageWorker& worker, size_t position, const std::shared_ptr<PreparedPage>& page);
    // A word to verify counted in the summary, by the reason it is shown.
    static void Count(const std::string& reason, SessionSummary& summary);
    static std::string Progress(int ordinal, int total, const VerifiedWord& record);

    const StationOptions& m_options;
    const PreparedSession& m_session;
    PrintFn m_print;
    WordDialog m_dialog;
    std::unique_ptr<WordSelection> m_selection;
    std::unique_ptr<BatchLearning> m_learning; // none when the models keep their weights
    PageAudit m_audit;
    // The corrections offered again, learnt from the session's answers as they are given.
    CorrectionProposals m_proposals;
    // The texts corrected on the batch's pages, shown again wherever they recur: learnt from
    // the earlier runs' answers and from this run's as they are given (not, in a team, from
    // the other stations').
    RecurringCorrections m_recurring;
    // The engine's output kept for each page, by page: the set-up's, and this run's.
    std::map<size_t, std::pair<std::wstring, std::wstring>> m_recognised;
    // The pages prepared from the station's engine output for which the store keeps another
    // (a team's station that recognised it first): read again before the page is verified.
    std::set<size_t> m_readAgain;
};
