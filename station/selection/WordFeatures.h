#pragma once

#include "PageWords.h"

// What the engine says of a word, as the numbers the error model weighs (README.md beside this
// file defines them; scripts/lib/word_errors/features.py computes them the same way for the fit).
struct WordFeatures {
    double wordDoubt = 0; // ln(101 - the word's confidence)
    double charDoubt = 0; // ln(101 - its least sure character's), the word's own without characters
    bool secondDiffers = false; // the second reading's word over it reads otherwise, or there is none

    // `secondReading` may be null: then `secondDiffers` stays false.
    static WordFeatures Of(const PageWords::Word& word, const PageWords* secondReading);
    // From the confidences as the journal keeps them.
    static WordFeatures FromConfidences(double confidence, double leastCharConfidence, bool secondDiffers);
    // The least confidence among the word's characters, its own when it has none.
    static double LeastCharConfidence(const PageWords::Word& word);
};
