#include "VerifiedTexts.h"

void VerifiedTexts::Add(const PageWords& words, const std::vector<VerifiedWord>& answers)
{
    // A word answered again keeps its last answer.
    std::map<int, std::string> page;
    for (const VerifiedWord& answer : answers) {
        if (answer.outcome == WordOutcome::kOk) {
            page[answer.index] = answer.corrected;
            m_byIndex[answer.index] = answer.corrected;
        }
    }
    for (const PageWords::Word& word : words.Words()) {
        const auto found = page.find(word.index);
        if (found != page.end() && word.position > 0) {
            m_byPosition.emplace(word.position, found->second);
        }
    }
}
