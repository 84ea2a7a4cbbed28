#pragma once

#include <string>
#include <vector>

#include "SessionRecord.h"

// session.json: the inputs, the thresholds, every page with its words shown or skipped (in
// reading order), and the summary. A later run reads it back to go on where the session
// stopped.
class SessionJournal {
public:
    static constexpr int kFormat = 2;

    static std::string ToJson(const SessionRecord& session);
    // False, with the reason in `error`, when the text is not a session of this program.
    static bool FromJson(const std::string& json, SessionRecord& session, std::string& error);
};
