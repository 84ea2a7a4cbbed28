#pragma once

#include <string>

// How large the station must draw a word for its doubtful characters to stay readable,
// measured on the real scans of the station's test data. A doubtful character counts as
// readable at an x-height (in picture pixels) when its picture, made as the station makes
// it, has as many separate marks (ink components: a letter, its accent, a dot) and as many
// enclosed counters (the holes of "e", "a", "o") in its box as the page has at its own
// resolution: an accent that merges with its letter, or an "e" whose eye fills in, is where
// "é" and "ć", or "e" and "c", can no longer be told apart.
class Readability {
public:
    // Prints, per scan, its x-height as a share of its lines' median word height and, for
    // x-heights from 4 to 40 picture pixels, the share of the characters of its doubtful
    // words whose marks the picture keeps.
    static void Print(const std::wstring& stationData);
};
