#include "CorrectionProposals.h"

#include <algorithm>
#include <vector>

#include "SessionRecord.h"

void CorrectionProposals::LearnFrom(const SessionRecord& session)
{
    // In the order the answers were given, which is not the pages' order where a page failed
    // and a later run verified it after the pages behind it. Answers without an order (from
    // a journal that kept none) come first, in the pages' order.
    std::vector<const VerifiedWord*> answers;
    for (const StoredPage& page : session.pages) {
        for (const VerifiedWord& word : page.words) {
            answers.push_back(&word);
        }
    }
    std::stable_sort(answers.begin(), answers.end(),
                     [](const VerifiedWord* a, const VerifiedWord* b) { return a->order < b->order; });
    for (const VerifiedWord* word : answers) {
        Learn(*word);
    }
}

void CorrectionProposals::Learn(const VerifiedWord& word)
{
    // Only OK decides about the text; Ignore leaves it as it was, proposal and all.
    if (word.outcome != WordOutcome::kOk) {
        return;
    }
    if (word.changed) {
        m_corrected[word.text] = word.corrected;
    } else {
        m_corrected.erase(word.text); // kept as recognised: nothing to propose any more
    }
}

std::string CorrectionProposals::For(const std::string& recognised) const
{
    const auto found = m_corrected.find(recognised);
    return found == m_corrected.end() ? std::string() : found->second;
}

ProposalFate CorrectionProposals::Fate(const VerifiedWord& word)
{
    if (word.proposed.empty()) {
        return ProposalFate::kNone;
    }
    if (word.outcome == WordOutcome::kOk) {
        return word.corrected == word.proposed ? ProposalFate::kAccepted
               : !word.changed                 ? ProposalFate::kRejected
                                               : ProposalFate::kChanged;
    }
    return word.outcome == WordOutcome::kIgnore ? ProposalFate::kIgnored : ProposalFate::kNone;
}
