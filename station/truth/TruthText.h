#pragma once

#include <string>

// When a transcribed word and the engine's reading count as the same word, and how far apart
// two readings are: the conventions of a transcription of historic print folded to one form.
class TruthText {
public:
    // The text compared (UTF-8 in and out): composed (NFC); a, o, u with a small e above as
    // the umlauts; typographic quotes as " and ', dashes as -, a last = or ¬ as -; and, when
    // `longSAsS`, ſ as s.
    static std::string Fold(const std::string& text, bool longSAsS);
    // True when the engine's reading is wrong against the transcription (ſ and s differ).
    static bool Wrong(const std::string& engine, const std::string& truth);
    // 0 (the same) to 1 (nothing in common): the edit distance of the code points over the
    // longer length.
    static double Distance(const std::string& a, const std::string& b);
};
