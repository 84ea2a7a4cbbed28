#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "PageWords.h"
#include "SessionRecord.h"

// Where a session keeps what it records: the batch's pages and their states, the words and
// their answers, and the figures counted from them. The session's logic (what to show next,
// the proposals, the summary) reads and changes its state only through this interface, so
// that where the state lives (a file beside the outputs, a database a team shares) is the
// store's own business.
//
// Pages are named by their position in the batch. An answer given in a dialog is kept for
// good when RecordAnswer returns: the operator's next word waits for it, nothing else does.
// Other changes are kept at the latest with the next answer, or by Keep.
class SessionStore {
public:
    enum class AnswerFate {
        kRecorded,
        kAnsweredByAnother, // another answer to the word was kept first, and stands
        kPageLost,          // another station holds the page now: the answer is not kept
    };

    virtual ~SessionStore() = default;

    // The session as the store holds it: thresholds, inputs, pages in the batch's order.
    virtual const SessionRecord& Record() const = 0;

    // The page's recogniser output, made by the station's engine: a waiting page is now
    // recognised. A store that others share may keep another's output instead (recorded
    // first, its word indices the ones answers name) or none (the engine is not the one
    // the record's pages are recognised by): the page's record names the output its words
    // are to be read from.
    virtual void PageRecognised(size_t position, const StoredFile& tsv, const StoredFile& hocr) = 0;
    // The page failed: a later run tries it again.
    virtual void PageFailed(size_t position, const std::string& failure) = 0;
    // The page is about to be verified here: in progress. False when it is not this
    // station's to verify: it is done, or left to another station (its state is not done then).
    virtual bool TakePage(size_t position) = 0;
    // Every word to verify answered or skipped, and the page's files written.
    virtual void PageDone(size_t position) = 0;
    // A page recorded as done is to be finished again (its files are missing).
    virtual void ReopenPage(size_t position) = 0;
    // The audit's draw on the page, made as it is first verified.
    virtual void PageAudited(size_t position, const StoredAudit& audit) = 0;

    // Drops the page's answers for which `forget` is true: they are asked again.
    virtual void ForgetAnswers(size_t position, const std::function<bool(const VerifiedWord&)>& forget) = 0;
    // A word that cannot be shown, with why; kept in the page's reading order.
    virtual void RecordSkipped(size_t position, const VerifiedWord& word, const PageWords& readingOrder) = 0;
    // An answer from a dialog (outcome OK, Ignore or Cancel), kept in the page's
    // reading order and numbered after every answer before it (`word.order` is set). Kept
    // for good on return.
    virtual AnswerFate RecordAnswer(size_t position, VerifiedWord& word, const PageWords& readingOrder) = 0;

    // The decisions about recognised text (OK answers, in the order they were kept) that
    // other stations sharing the batch have kept since the last call, for the proposals:
    // asked before each dialog. None where this station is the only one. A store that can
    // tell meanwhile that a page it took is no longer this station's marks it so
    // (its state is no longer in progress).
    virtual std::vector<VerifiedWord> DecisionsOfOthers() = 0;

    // The answers the batch's learning weighs, by page in the batch's order: the record's
    // pages' where this station is the only one; every station's, read afresh, where others
    // share the store. Asked before a page is chosen.
    virtual std::vector<std::vector<VerifiedWord>> BatchAnswers() = 0;

    // Everything recorded so far kept for good, with the figures brought up to date.
    virtual void Keep() = 0;
    // The run is over: the session is finished when every page is done. Kept.
    virtual void Finish() = 0;
};
