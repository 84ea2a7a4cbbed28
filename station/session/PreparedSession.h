#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BatchPlan.h"
#include "OutputFolderLock.h"
#include "PageFiles.h"
#include "PageOutputs.h"
#include "SessionStore.h"
#include "TesseractEngine.h"
#include "TypedAnswers.h"
#include "ErrorModel.h"
#include "WordSelection.h"

// What a session runs with, made once by its set-up (SessionSetUp, or a team's) before the
// first dialog and only read from then on: the pages, the thresholds, the engine, the answers
// to type, what writes the pages' files, the store that keeps the record, and what the set-up
// has to say once the session is sure to run. What changes as the pages are gone through (the
// proposals, the engine's output of this run) is the page loop's own.
struct PreparedSession {
    BatchPlan plan;
    double below = 0;     // the words below it are verified: the session's own, kept from its start
    double charBelow = 0; // the characters below it are drawn as uncertain
    // Above 0: the words shown are those that catch this share of a page's expected wrong
    // words (--catch, as a share), weighed by these models; 0: those below `below`.
    double catchGoal = 0;
    std::shared_ptr<const ErrorModel> errorModel;             // the engine alone
    std::shared_ptr<const ErrorModel> errorModelWithSecond;   // with a second reading
    // With a catch goal, the models are refitted on the batch's answers before each page
    // (BatchLearning); false: they keep their shipped weights (--fixed-model).
    bool learnsModel = false;
    // Of a page's words not chosen, the percentage also shown for the audit, drawn from the
    // seed; 0: none. The session's own, kept from its start.
    double auditPercent = 0;
    int auditSeed = 0;
    std::shared_ptr<const TesseractEngine> engine; // none when no page needs it
    // The engine's output a page had before this run (an earlier run's, another station's), by
    // page: it is not recognised again.
    std::map<size_t, std::pair<std::wstring, std::wstring>> recognised;
    TypedAnswers answers;
    std::unique_ptr<OutputFolderLock> lock; // none for a session with no output folder of its own
    std::unique_ptr<PageOutputs> outputs; // the folder the engine's output and the journal go to
    std::unique_ptr<PageFiles> files;     // what makes the pages' files: goes before the outputs it writes
    std::unique_ptr<SessionStore> store; // goes before the outputs, which a journal's store writes through
    std::vector<std::string> notes;      // what a resumed session does otherwise than asked

    // The weights of the probability of error, read from beside the program for a session
    // that chooses by it and has none yet. Throws InputError naming the file when they cannot
    // be used: called by the set-up, so that such weights stop the start.
    void LoadErrorModels();
    // The choice of the words each page shows, by the session's rule.
    std::unique_ptr<WordSelection> Selection() const;
    // The rule as the console says it: "below 90", "chosen to catch 95 %".
    std::string RuleText() const;
    // The rule as the command line gives it: "--catch 95" (a percentage above 0), "--below 90".
    static std::string RuleOption(double catchPercent, double below);
    // "page 3 of 40 (scan.tif)", for the console.
    std::string PageLine(size_t position) const;
    // A threshold or other number as the operator typed it: "90", "72.5".
    static std::string Number(double value);
};
