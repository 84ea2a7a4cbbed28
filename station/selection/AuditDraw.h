#pragma once

#include <cstdint>
#include <vector>

#include "SelectedWord.h"

// The audit of a page: a random sample of its words not chosen, shown among the chosen ones
// (reason "audit") so that the operator cannot tell them apart, from which the share of wrong
// words among the words not shown is estimated (AuditEstimate). README.md beside this file
// says how many are drawn and why.
//
// Every draw comes from the session's seed and the page's position alone, so that a page
// drawn again (a resumed session) shows the same words in the same places.
class AuditDraw {
public:
    // The reason its words are shown for, as the journal keeps it.
    static constexpr const char* kReason = "audit";
    // The least number of audit words a batch draws, while its pages have words enough.
    static constexpr int kBatchLeast = 20;

    struct Draw {
        std::vector<size_t> drawn; // positions among the candidates, in falling order of the draw
        bool toppedUp = false;     // more than the rate gives, towards the batch's least
    };

    // `percent` above 0.
    AuditDraw(double percent, uint64_t seed);

    // The page's draw from `candidates` words: `percent` of them (the fraction by chance),
    // or `needed` where that is more (as many as there are at the most).
    Draw Of(size_t page, size_t candidates, int needed) const;
    // The draw of `drawn` words a page recorded, again.
    Draw Again(size_t page, size_t candidates, int drawn) const;
    // `chosen` with the drawn `audit` words put among them, each at a place drawn for it.
    std::vector<SelectedWord> Mix(size_t page, std::vector<SelectedWord> chosen,
                                  const std::vector<SelectedWord>& audit) const;
    // Each drawn word's weight, one over its chance of being drawn: the draw's share of the
    // page's candidates when topped up, else the rate's.
    double Weight(size_t candidates, int drawn, bool toppedUp) const;

private:
    // Numbers drawn for one page and one use of it.
    class Stream {
    public:
        Stream(uint64_t seed, size_t page, uint64_t use);
        uint64_t Next();
        double Unit(); // [0, 1)
        size_t Below(size_t n); // [0, n)

    private:
        uint64_t m_state;
    };

    Draw Take(Stream& stream, size_t candidates, size_t count, bool toppedUp) const;

    double m_share;
    uint64_t m_seed;
};
