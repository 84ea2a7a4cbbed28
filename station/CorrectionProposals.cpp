#include "CorrectionProposals.h"

#include "SessionJournal.h"

void CorrectionProposals::LearnFrom(const SessionJournal& journal)
{
    for (const JournalPage& page : journal.pages) {
        for (const VerifiedWord& word : page.words) {
            Learn(word);
        }
    }
}

void CorrectionProposals::Learn(const VerifiedWord& word)
{
    if (word.outcome == "ok" && word.changed) {
        m_corrected[word.text] = word.corrected;
    }
}

std::string CorrectionProposals::For(const std::string& recognised) const
{
    const auto found = m_corrected.find(recognised);
    return found == m_corrected.end() ? std::string() : found->second;
}

std::string CorrectionProposals::Fate(const VerifiedWord& word)
{
    if (word.proposed.empty()) {
        return {};
    }
    if (word.outcome == "ok") {
        return word.corrected == word.proposed ? "accepted" : "changed";
    }
    return word.outcome == "ignore" ? "ignored" : std::string();
}
