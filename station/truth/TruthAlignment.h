#pragma once

#include <map>
#include <string>

#include "PageWords.h"
#include "TruthPage.h"

// Which of the engine's words read which word of the truth, one to one; the words the engine
// merged, split, added or missed are counted apart. By box where the truth has word boxes,
// else the engine's lines matched to the truth's by box and their words aligned by sequence.
class TruthAlignment {
public:
    struct Counts {
        int merged = 0; // engine words that read two or more truth words
        int split = 0;  // truth words the engine read as two or more
        int added = 0;  // engine words with no truth word
        int missed = 0; // truth words with no engine word
    };

    static TruthAlignment Match(const PageWords& engine, const TruthPage& truth);

    // The truth's text of each engine word read one to one, by the word's index.
    const std::map<int, std::string>& Pairs() const { return m_pairs; }
    const Counts& Apart() const { return m_counts; }

    // Above one half, so that a word and a missed neighbour is not taken for a merge.
    static constexpr double kMergePenalty = 0.6;

private:
    void ByBoxes(const PageWords& engine, const TruthPage& truth);
    void ByLines(const PageWords& engine, const TruthPage& truth);
    void BySequence(const std::vector<const PageWords::Word*>& engine, const std::vector<std::string>& truth);

    std::map<int, std::string> m_pairs;
    Counts m_counts;
};
