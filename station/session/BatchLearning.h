#pragma once

#include <memory>
#include <vector>

#include "LearnedErrorModel.h"
#include "PreparedSession.h"
#include "SessionRecord.h"
#include "SessionStore.h"
#include "WordSelection.h"

// The catch rule with the session's error models refitted on the batch's answers, made anew
// before each page is chosen: every word of the other pages answered OK is a label, wrong when
// the answer changed its text (as the audit counts it); Ignore and the unanswered are none.
// The words kept without what the models weigh (an older journal's) are none either.
class BatchLearning {
public:
    explicit BatchLearning(const PreparedSession& session);

    // The choice of the words of the page at `position`, from the answers of the batch's other
    // pages as the store has them (a team's: every station's): a resumed page is chosen as
    // when it began.
    std::unique_ptr<WordSelection> SelectionFor(SessionStore& store, size_t position) const;

    // The labels of the pages but `position` (each page's answers, in the batch's order);
    // `withSecond`: those of the words a second reading was weighed on, for the model with it.
    static std::vector<LearnedErrorModel::Label> Labels(const std::vector<std::vector<VerifiedWord>>& pages,
                                                        size_t position, bool withSecond);
    // The same of the record's pages.
    static std::vector<LearnedErrorModel::Label> Labels(const SessionRecord& record, size_t position, bool withSecond);

private:
    double m_goal;
    LearnedErrorModel m_engineAlone;
    std::unique_ptr<LearnedErrorModel> m_withSecondReading; // none without the model
};
