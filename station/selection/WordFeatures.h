#pragma once

#include <string>

#include "PageWords.h"

// What the engine says of a word, as the numbers the error model weighs (README.md beside this
// file defines them; scripts/lib/word_errors/features.py computes them the same way for the fit).
struct WordFeatures {
    double wordDoubt = 0; // ln(101 - the word's confidence)
    double charDoubt = 0; // ln(101 - its least sure character's), the word's own without characters
    bool secondDiffers = false; // the second reading's word over it reads otherwise, or there is none

    // `secondReading` may be null: then `secondDiffers` stays false.
    static WordFeatures Of(const PageWords::Word& word, const PageWords* secondReading);
    // The second reading's word whose box shares the most area with `word`'s (the first among
    // equals); null when none shares any.
    static const PageWords::Word* Overlapping(const PageWords::Word& word, const PageWords& secondReading);
    // The text as two readings are compared: long s as s, typographic quotes and dashes as the
    // plain ones, a line-end hyphen (= or ¬ last, in two characters or more) as '-'.
    static std::wstring Folded(const std::string& utf8);
};
