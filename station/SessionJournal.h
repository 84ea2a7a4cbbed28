#pragma once

#include <string>
#include <vector>

#include "Box.h"

// What became of one word of the session.
struct VerifiedWord {
    int index = 0;
    Box box;
    std::string text; // as recognised, UTF-8
    double confidence = 0;
    std::string outcome; // "ok", "ignore", "cancel" or "skipped"
    std::string reason;  // why it was skipped
    std::string corrected; // the operator's text (outcome "ok")
    bool changed = false;
    bool train = false;
    double size = 0;
    double orientation = 0;

    // Answered for good: a later run does not show it again.
    bool Answered() const { return outcome == "ok" || outcome == "ignore"; }
};

// session.json: the inputs, the thresholds and every word shown or skipped, in reading
// order. A later run reads it back to go on where the session stopped.
class SessionJournal {
public:
    std::string image; // the inputs' full paths, UTF-8; empty when not given
    std::string tsv;
    std::string hocr;
    std::string xml; // an ALTO or PAGE document
    double below = 0;
    double charBelow = 0;
    double dpi = 0;
    bool finished = false; // every word to verify was answered or skipped
    std::vector<VerifiedWord> words;

    std::string ToJson() const;
    // False, with the reason in `error`, when the text is not a session of this program.
    static bool FromJson(const std::string& json, SessionJournal& journal, std::string& error);
};
