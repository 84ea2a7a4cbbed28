#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "PageWorker.h"
#include "SessionFailure.h"
#include "SessionState.h"
#include "SessionSummary.h"
#include "VerifiedWord.h"

// The session's pages in turn, while a worker prepares the next ones and writes the finished
// ones' files: each page's uncertain words shown one dialog each (WordDialog), every answer
// kept by the store at once, and a page "done" only once its files are written.
class PageLoop {
public:
    explicit PageLoop(SessionState& state);

    // Goes through the pages not done, then keeps the record and writes the session's files and
    // frees the output folder. Throws SessionFailure when a dialog cannot be shown.
    SessionSummary Run();

private:
    // Goes once through the pages not done (the first round also counts the words of those
    // done before); true when it took a page.
    bool RunRound(bool first, SessionSummary& summary, std::set<size_t>& finishing,
                  std::unique_ptr<SessionFailure>& failure);
    // A team's station that stops: whether the batch is done, or how many pages others hold.
    void SayWhatIsLeft() const;
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
    static std::string Progress(int ordinal, int total, const VerifiedWord& record);

    SessionState& m_state;
    // The pages prepared from the station's engine output for which the store keeps another
    // (a team's station that recognised it first): read again before the page is verified.
    std::set<size_t> m_readAgain;
};
