#pragma once

#include <string>
#include <vector>

#include "Box.h"

// An operator's correction as the words it makes on the page. A correction with blanks
// ("New York" for "NewYork") becomes several words; each gets its share of the recognised
// word's width by characters, the blanks between them included, so that the gaps fall where
// the blanks would.
class CorrectedWords {
public:
    struct Piece {
        std::string text; // UTF-8, no blanks
        double from = 0;  // where it begins and ends, as fractions of the word's width
        double to = 1;
    };

    explicit CorrectedWords(const std::string& corrected);

    // At least one piece: a correction of blanks only is one empty word.
    const std::vector<Piece>& Pieces() const { return m_pieces; }
    bool Split() const { return m_pieces.size() > 1; }

    // The whole-unit edge at `fraction` of the span [left, left + width).
    static long long Edge(long long left, long long width, double fraction);
    // The columns of `box` from `from` to `to` of its width, at whole-unit edges.
    static Box Share(const Box& box, double from, double to);

private:
    std::vector<Piece> m_pieces;
};
