#pragma once

#include <string>

#include "Box.h"
#include "ProposalFate.h"
#include "WordOutcome.h"

// What became of one word of the session.
struct VerifiedWord {
    int index = 0;
    Box box;
    std::string text; // as recognised, UTF-8
    double confidence = 0;
    WordOutcome outcome = WordOutcome::kCancel; // no answer until one is given
    std::string chosenFor; // why the session's selection chose it to be shown
    std::string reason;  // why it was skipped
    std::string corrected; // the operator's text (outcome OK)
    std::string proposed;  // the earlier correction the text field opened with, or empty
    ProposalFate proposal = ProposalFate::kNone; // what became of it
    bool changed = false;
    bool train = false;
    double size = 0;
    double orientation = 0;
    double seconds = 0; // from the dialog's call to the operator's answer
    int order = 0; // the answer's place among the session's answers, from 1; 0: skipped, or not kept
    // What the error model weighs of the word beside its confidence, kept so that its answer
    // teaches the model in a later run too: the least confidence among its characters (its own
    // without characters; below 0: not kept), and whether the page's second reading read it
    // otherwise (-1: the page had none).
    double leastCharConfidence = -1;
    int secondDiffers = -1;

    // Answered for good: a later run does not show it again.
    bool Answered() const { return outcome == WordOutcome::kOk || outcome == WordOutcome::kIgnore; }
    // Answered OK with a text other than the recognised one: a correction.
    bool Corrected() const { return outcome == WordOutcome::kOk && changed; }
};
