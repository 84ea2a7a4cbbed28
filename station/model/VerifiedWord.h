#pragma once

#include <string>

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
    std::string proposed;  // the earlier correction the text field opened with, or empty
    std::string proposal;  // what became of it: "accepted", "changed", "ignored" or empty
    bool changed = false;
    bool train = false;
    double size = 0;
    double orientation = 0;
    double seconds = 0; // from the dialog's call to the operator's answer
    int order = 0; // the answer's place among the session's answers, from 1; 0: skipped, or not kept

    // Answered for good: a later run does not show it again.
    bool Answered() const { return outcome == "ok" || outcome == "ignore"; }
};
