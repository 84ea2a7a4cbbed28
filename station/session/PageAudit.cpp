#include "PageAudit.h"

#include <algorithm>
#include <set>

PageAudit::PageAudit(const PreparedSession& session)
    : m_session(session)
{
    if (session.auditPercent > 0) {
        m_draw.emplace(session.auditPercent, static_cast<uint64_t>(session.auditSeed));
    }
}

std::vector<SelectedWord> PageAudit::Add(size_t position, const PageWords& words, std::vector<SelectedWord> chosen,
                                         const ShowableFn& showable) const
{
    if (!m_draw) {
        return chosen;
    }
    std::set<const PageWords::Word*> taken;
    for (const SelectedWord& word : chosen) {
        taken.insert(word.word);
    }
    std::vector<const PageWords::Word*> candidates;
    for (const PageWords::Word& word : words.Words()) {
        if (taken.count(&word) == 0 && showable(word)) {
            candidates.push_back(&word);
        }
    }
    const std::vector<StoredPage>& pages = m_session.store->Record().pages;
    const StoredAudit& earlier = pages[position].audit;
    AuditDraw::Draw draw;
    if (earlier.candidates == static_cast<int>(candidates.size())) {
        draw = m_draw->Again(position, candidates.size(), earlier.drawn);
    } else {
        // The batch's least is drawn on its first pages, as far as their words go.
        int drawnElsewhere = 0;
        for (size_t other = 0; other < pages.size(); ++other) {
            drawnElsewhere += other != position && pages[other].audit.candidates >= 0 ? pages[other].audit.drawn : 0;
        }
        draw = m_draw->Of(position, candidates.size(), std::max(0, AuditDraw::kBatchLeast - drawnElsewhere));
        m_session.store->PageAudited(position,
                                     {static_cast<int>(candidates.size()), static_cast<int>(draw.drawn.size()),
                                      draw.toppedUp});
    }
    std::vector<SelectedWord> audit;
    for (size_t drawn : draw.drawn) {
        audit.push_back({candidates[drawn], AuditDraw::kReason});
    }
    return m_draw->Mix(position, std::move(chosen), audit);
}

AuditEstimate PageAudit::Estimate(const SessionRecord& record)
{
    AuditEstimate estimate;
    if (record.auditPercent <= 0) {
        return estimate;
    }
    const AuditDraw draw(record.auditPercent, static_cast<uint64_t>(record.auditSeed));
    for (const StoredPage& page : record.pages) {
        if (page.state != PageState::kDone || page.audit.candidates < 0) {
            continue;
        }
        int answered = 0;
        int wrong = 0;
        int corrected = 0;
        for (const VerifiedWord& word : page.words) {
            const bool changed = word.Corrected();
            if (word.chosenFor == AuditDraw::kReason) {
                answered += word.outcome == WordOutcome::kOk ? 1 : 0;
                wrong += changed ? 1 : 0;
            } else {
                corrected += changed ? 1 : 0;
            }
        }
        estimate.AddPage(page.audit.candidates, answered, wrong,
                         draw.Weight(static_cast<size_t>(page.audit.candidates), page.audit.drawn, page.audit.toppedUp),
                         corrected);
    }
    return estimate;
}
