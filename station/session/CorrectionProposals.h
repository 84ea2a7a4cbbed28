#pragma once

#include <map>
#include <string>

#include "ProposalFate.h"

struct SessionRecord;
struct VerifiedWord;

// The corrections the operator has made, offered again: once recognised text X has been
// corrected to Y, every later word recognised as exactly X opens with Y in the text field.
// The operator still checks it against the word's own picture. The latest decision on X is
// the one offered: a later correction replaces Y, and OK on X as recognised (the proposal
// typed over with X) withdraws it; Ignore decides nothing. Learnt again from the session in
// the order of the answers, so a resumed batch offers what the uninterrupted one would.
class CorrectionProposals {
public:
    // Every answer the session holds, in the order the session gave them.
    void LearnFrom(const SessionRecord& session);
    // One answer: OK on a corrected word teaches its correction, OK on the recognised text
    // forgets the text's correction.
    void Learn(const VerifiedWord& word);

    // The text offered for a word recognised as `recognised` (UTF-8), or empty.
    std::string For(const std::string& recognised) const;

    // What the operator made of the text offered to `word`: accepted (OK on it), rejected
    // (OK on the recognised text), changed (OK on another text), ignored (Ignore); none when
    // none was offered or the word has no answer for good.
    static ProposalFate Fate(const VerifiedWord& word);

private:
    std::map<std::string, std::string> m_corrected; // recognised -> the latest correction
};
