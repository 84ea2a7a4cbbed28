#pragma once

#include <string>
#include <vector>

#include "TeamStatus.h"

// A team's batch as --status prints it: its pages by state, the pages held and by whom, the
// failed ones and why, each operator's words, corrections and pace, the words shown by why
// they were shown, and the batch's pace.
class TeamStatusText {
public:
    static std::vector<std::string> Lines(const TeamStatus& status);
};
