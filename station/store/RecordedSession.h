#pragma once

#include "SessionStore.h"

// A session's record held in memory: the store's rules (states, reading order, the answers'
// numbering, the figures) over a SessionRecord. Keeping it is left to a subclass (Keep
// writes nothing here), so a store that keeps its record as one document (a journal file)
// adds only the writing, and a session whose record need not outlive the run uses it as it
// is.
class RecordedSession : public SessionStore {
public:
    explicit RecordedSession(SessionRecord record);

    const SessionRecord& Record() const override { return m_record; }

    void PageRecognised(size_t position, const StoredFile& tsv, const StoredFile& hocr) override;
    void PageFailed(size_t position, const std::string& failure) override;
    bool TakePage(size_t position) override;
    void PageDone(size_t position) override;
    void ReopenPage(size_t position) override;
    void PageAudited(size_t position, const StoredAudit& audit) override;

    void ForgetAnswers(size_t position, const std::function<bool(const VerifiedWord&)>& forget) override;
    void RecordSkipped(size_t position, const VerifiedWord& word, const PageWords& readingOrder) override;
    AnswerFate RecordAnswer(size_t position, VerifiedWord& word, const PageWords& readingOrder) override;
    std::vector<VerifiedWord> DecisionsOfOthers() override { return {}; }
    std::vector<std::vector<VerifiedWord>> BatchAnswers() override;

    void Keep() override;
    void Finish() override;

protected:
    // Keeps the whole record; called by Keep, Finish and RecordAnswer with the figures up to
    // date. Throws when it cannot.
    virtual void Write(const SessionRecord& record);
    // The page at `position`, for a subclass that learns more of it than the session tells.
    StoredPage& Page(size_t position);

private:
    // Puts `word` in the page's reading order, in place of an earlier entry for the word.
    void Put(size_t position, const VerifiedWord& word, const PageWords& readingOrder);

    SessionRecord m_record;
};
