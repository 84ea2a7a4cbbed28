#pragma once

#include <cstdint>
#include <string>

// Who a station is: the Windows user at it, its computer, and this run of it (a random id
// of its own, so that two runs, or two stations of one operator, are told apart).
struct TeamStation {
    std::string operatorName;
    std::string computer;
    std::string instance;

    // Windows' user and computer names and a new random instance id. Throws
    // std::runtime_error when the system gives none of them.
    static TeamStation ThisStation();
    // An id for this station's answer number `sequence` of this run: unique among every
    // station's answers, so that an answer sent twice is recorded once.
    std::string AnswerId(std::int64_t sequence) const;
};
