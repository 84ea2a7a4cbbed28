#pragma once

#include <string>

#include "PreparedSession.h"
#include "StationOptions.h"

// A session resumed from an earlier run's journal: the same inputs, unchanged, page by page;
// the earlier threshold, answers and page states kept, and the engine output it kept reused.
class SessionResume {
public:
    // Goes on in `session` and its `record`, as its set-up has made them so far.
    SessionResume(const StationOptions& options, PreparedSession& session, SessionRecord& record);

    // Throws InputError when the earlier session was for other or changed inputs.
    void From(const SessionRecord& earlier, const std::wstring& journalPath);

private:
    const StationOptions& m_options;
    PreparedSession& m_session;
    SessionRecord& m_record;
};
