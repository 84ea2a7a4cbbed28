#pragma once

#include <memory>
#include <vector>

#include "LearnedErrorModel.h"
#include "PreparedSession.h"
#include "SessionRecord.h"
#include "WordSelection.h"

// The catch rule with the session's error models refitted on the batch's answers, made anew
// before each page is chosen: every word of the other pages answered OK is a label, wrong when
// the answer changed its text (as the audit counts it); Ignore and the unanswered are none.
// The words kept without what the models weigh (an older journal's) are none either.
class BatchLearning {
public:
    explicit BatchLearning(const PreparedSession& session);

    // The choice of the words of the page at `position`, from the answers of the record's other
    // pages: a resumed page is chosen as when it began.
    std::unique_ptr<WordSelection> SelectionFor(const SessionRecord& record, size_t position) const;

    // The labels of the record's pages but `position`; `withSecond`: those of the words a second
    // reading was weighed on, for the model with it.
    static std::vector<LearnedErrorModel::Label> Labels(const SessionRecord& record, size_t position, bool withSecond);

private:
    double m_goal;
    LearnedErrorModel m_engineAlone;
    std::unique_ptr<LearnedErrorModel> m_withSecondReading; // none without the model
};
