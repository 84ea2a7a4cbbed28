#include "RecurringCorrections.h"

#include <unordered_set>

void RecurringCorrections::Learn(size_t page, const VerifiedWord& answer)
{
    if (answer.Corrected()) {
        m_correctedOn[answer.text].insert(page);
    }
}

bool RecurringCorrections::CorrectedElsewhere(const std::string& recognised, size_t page) const
{
    const auto found = m_correctedOn.find(recognised);
    return found != m_correctedOn.end() &&
           (found->second.size() > 1 || found->second.count(page) == 0);
}

void RecurringCorrections::AddTo(size_t page, const PageWords& words, std::vector<SelectedWord>& chosen) const
{
    if (m_correctedOn.empty()) {
        return;
    }
    std::unordered_set<const PageWords::Word*> shown;
    for (const SelectedWord& word : chosen) {
        shown.insert(word.word);
    }
    for (const PageWords::Word& word : words.Words()) {
        if (shown.count(&word) == 0 && CorrectedElsewhere(word.text, page)) {
            SelectedWord recurring;
            recurring.word = &word;
            recurring.reason = kReason;
            chosen.push_back(recurring);
        }
    }
}
