#pragma once

#include <map>
#include <string>
#include <vector>

#include "PageState.h"

// How far a team's batch is, as the database knows it at one moment.

// A page: its state, and who holds it until when.
struct TeamPageStatus {
    int position = 0;
    std::string name;
    PageState state = PageState::kWaiting;
    std::string failure;
    bool held = false; // under a lease that has not run out
    std::string holderOperator;
    std::string holderComputer;
    double leaseUntil = 0;       // seconds since 1970, UTC, by the server's clock
    double leaseSecondsLeft = 0; // from the moment of the status
};

// One operator's work on the batch, from every station and run of theirs.
struct TeamOperatorFigures {
    std::string operatorName;
    int words = 0; // answered in a dialog: OK or Ignore
    int corrected = 0;
    int ignored = 0;
    int skipped = 0;
    double seconds = 0; // dialog shown to answer, summed over the words

    double SecondsAWord() const { return words > 0 ? seconds / words : 0; }
    double WordsAnHour() const { return seconds > 0 ? words * 3600.0 / seconds : 0; }
};

struct TeamStatus {
    std::string batch;
    int pages = 0;
    int waiting = 0;
    int recognised = 0;
    int inProgress = 0;
    int done = 0;
    int failed = 0;
    int held = 0;
    std::vector<TeamPageStatus> pageStates; // every page, in the batch's order
    std::vector<TeamOperatorFigures> operators; // by name
    int words = 0; // answered in a dialog, by the whole team
    // Those words by why they were shown ("chosen", "audit", ...; "" for the answers of
    // stations that kept no reason).
    std::map<std::string, int> shownFor;
    // From the team's first answer to its latest, by the server's clock.
    double answeringSeconds = 0;

    // The team's pace over that time; 0 before two answers.
    double WordsAnHour() const { return answeringSeconds > 0 ? words * 3600.0 / answeringSeconds : 0; }
};
