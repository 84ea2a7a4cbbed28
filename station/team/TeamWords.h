#pragma once

#include "TeamRecords.h"
#include "TeamStation.h"
#include "VerifiedWord.h"

// A word's answer as a session records it and as the team's database keeps it: the one
// translation, for the team's sessions and for the export.
class TeamWords {
public:
    // The answer to word `word` of the batch's page `page` (from 1), at `place` in the page's
    // reading order, given by `station`.
    static TeamAnswer ToTeam(const VerifiedWord& word, int page, int place, const TeamStation& station);
    static VerifiedWord FromTeam(const TeamAnswer& answer);
};
