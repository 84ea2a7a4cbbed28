#include "ConfidenceSelection.h"

#include <cstdio>

ConfidenceSelection::ConfidenceSelection(double below)
    : m_below(below)
{
    char threshold[32];
    static_cast<void>(std::snprintf(threshold, sizeof threshold, "%g", below));
    m_reason = std::string("confidence below ") + threshold;
}

std::vector<SelectedWord> ConfidenceSelection::Choose(const PageWords& words, const PageWords*) const
{
    std::vector<SelectedWord> chosen;
    for (const PageWords::Word& word : words.Words()) {
        if (word.confidence < m_below) {
            chosen.push_back({&word, m_reason});
        }
    }
    return chosen;
}
