#pragma once

#include "TeamRecords.h"

#include <cstdint>
#include <vector>

class DatabaseConnection;

// The team's decisions about recognised text, for the proposals every station offers: a
// correction committed by any station is proposed to the same recognised text on every
// station from then on.
class TeamProposals {
public:
    // The decisions of the batch's answers numbered after `after`, in the order they were
    // committed: every OK (a corrected one proposes its text, one with the recognised text
    // withdraws the proposal); Ignore decides nothing and is left out. A station polls with
    // the number of the last decision it has seen: answers are numbered in commit order
    // without gaps, so none is missed. Ends the transaction.
    static std::vector<TeamDecision> After(DatabaseConnection& connection, std::int64_t batch, std::int64_t after);
};
