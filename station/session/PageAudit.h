#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "AuditDraw.h"
#include "AuditEstimate.h"
#include "PageWords.h"
#include "PreparedSession.h"
#include "SelectedWord.h"

// The audit's words of each page put among its chosen ones, drawn from the page's words not
// chosen that can be shown: as many as the session's rate gives, more while the batch has
// drawn fewer than AuditDraw::kBatchLeast, and on a page drawn before the same as then.
class PageAudit {
public:
    using ShowableFn = std::function<bool(const PageWords::Word&)>;

    explicit PageAudit(const PreparedSession& session);

    // The page's words to show: `chosen` with the audit's among them. The draw is recorded with
    // the store the first time.
    std::vector<SelectedWord> Add(size_t position, const PageWords& words, std::vector<SelectedWord> chosen,
                                  const ShowableFn& showable) const;

    // What the audit's answers say, over the record's pages done that were audited: an OK
    // answer is a label, wrong when it changed the text (Ignore says nothing of the text).
    static AuditEstimate Estimate(const SessionRecord& record);

private:
    const PreparedSession& m_session;
    std::optional<AuditDraw> m_draw; // none without an audit
};
