#include "SessionRecord.h"

#include <algorithm>

StoredSummary SessionRecord::Count() const
{
    StoredSummary counted;
    counted.pages = static_cast<int>(pages.size());
    for (const StoredPage& page : pages) {
        counted.pagesDone += page.state == PageState::kDone ? 1 : 0;
        if (page.state == PageState::kFailed) {
            ++counted.pagesFailed;
            counted.failedPages.push_back(page.image.path + (page.frame > 1 ? " frame " + std::to_string(page.frame) : ""));
        }
        for (const VerifiedWord& word : page.words) {
            counted.skipped += word.outcome == WordOutcome::kSkipped ? 1 : 0;
            counted.ignored += word.outcome == WordOutcome::kIgnore ? 1 : 0;
            counted.corrected += word.Corrected() ? 1 : 0;
            if (word.Answered()) {
                ++counted.shown;
                counted.operatorSeconds += word.seconds;
            }
        }
    }
    return counted;
}

int SessionRecord::LastOrder() const
{
    int last = 0;
    for (const StoredPage& page : pages) {
        for (const VerifiedWord& word : page.words) {
            last = std::max(last, word.order);
        }
    }
    return last;
}
