#pragma once

#include <optional>
#include <string>

#include "BatchPlan.h"
#include "SessionRecord.h"
#include "TruthOperator.h"

// What the choice of words caught, counted over the words the engine read one to one with a
// word of the truth, on the pages the session finished: how many were wrong, shown by the
// choice, shown by it and wrong (caught), shown for the audit (apart), and the true share of
// wrong words among those not shown at all beside the station's own estimate of it.
struct TruthYield {
    int pages = 0;
    int words = 0;
    int wrong = 0;
    int longS = 0; // of the wrong, those wrong only by ſ against s
    int shown = 0;
    int caught = 0;
    int auditShown = 0;
    int auditWrong = 0;
    std::optional<double> leftTrue; // of the words not chosen, audit's included; none when all were
    // The station's estimate of that share with its 95 % interval, from the audit's answers.
    std::optional<double> leftEstimate;
    std::optional<double> leftLow;
    std::optional<double> leftHigh;
    TruthAlignment::Counts apart;
    int shownUnmatched = 0;

    // Counts the done pages of `record` (the plan's, in order) against the operator's truths.
    // Throws InputError when a page's recogniser output can no longer be read.
    static TruthYield Count(const BatchPlan& plan, const SessionRecord& record, const TruthOperator& truths);

    // The counts as one JSON object, the file yield.json holds.
    std::string Json() const;
    // One line for the console.
    std::string Line() const;
};
