#pragma once

#include <string>

#include "PageWords.h"

// A page read by a second model beside the first: which of its words is a word of the first
// reading, by box overlap, and whether it reads that word otherwise. The first reading's word
// differs when no word of the second shares any area with it, or when the one sharing the most
// reads another text once both texts are folded.
class SecondReading {
public:
    // The word of `second` whose box shares the largest area with `word`'s box, the first in
    // `second`'s order among equal areas; null when none shares any.
    static const PageWords::Word* Match(const PageWords::Word& word, const PageWords& second);
    static bool Differs(const PageWords::Word& word, const PageWords& second);
    // The text (UTF-8) as two readings are compared: the long s as s, the typographic quotes
    // as " and ', the dashes and minus as -, and a last = or ¬ of a text of two code points or
    // more as -. Nothing else: the engine's text is composed already.
    static std::string Folded(const std::string& text);
};
