#pragma once

#include <algorithm>
#include <vector>

#include "Box.h"

// One character as the recogniser saw it: where it stands on the page and how sure the
// recogniser was of it (0 to 100). Shared by every reader and by the page's words.
struct RecognisedCharacter {
    Box box;
    double confidence = 0;

    // What vouches for a word that states no confidence of its own: its least sure
    // character; nothing (0) when it has no characters.
    static double LeastConfidence(const std::vector<RecognisedCharacter>& characters)
    {
        if (characters.empty()) {
            return 0;
        }
        return std::min_element(characters.begin(), characters.end(),
                                [](const RecognisedCharacter& a, const RecognisedCharacter& b) {
                                    return a.confidence < b.confidence;
                                })
            ->confidence;
    }
};
