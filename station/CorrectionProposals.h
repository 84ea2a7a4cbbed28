#pragma once

#include <map>
#include <string>

class SessionJournal;
struct VerifiedWord;

// The corrections the operator has made, offered again: once recognised text X has been
// corrected to Y, every later word recognised as exactly X opens with Y in the text field.
// The operator still checks it against the word's own picture; the latest correction of X
// is the one offered. Learnt again from the journal, so a resumed batch offers the same.
class CorrectionProposals {
public:
    // Every answer the journal holds, in the order the session gave them.
    void LearnFrom(const SessionJournal& journal);
    // One answer: a word corrected with OK teaches its correction.
    void Learn(const VerifiedWord& word);

    // The text offered for a word recognised as `recognised` (UTF-8), or empty.
    std::string For(const std::string& recognised) const;

    // What the operator made of the text offered to `word`: "accepted" (OK on it),
    // "changed" (OK on another text), "ignored" (Ignore); empty when none was offered or
    // the word has no answer for good.
    static std::string Fate(const VerifiedWord& word);

private:
    std::map<std::string, std::string> m_corrected; // recognised -> the latest correction
};
