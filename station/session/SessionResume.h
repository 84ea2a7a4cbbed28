#pragma once

#include <string>

#include "SessionState.h"

// A session resumed from an earlier run's journal: the same inputs, unchanged, page by page;
// the earlier threshold, answers and page states kept, and the engine output it kept reused.
class SessionResume {
public:
    explicit SessionResume(SessionState& state);

    // Throws InputError when the earlier session was for other or changed inputs.
    void From(const SessionRecord& earlier, const std::wstring& journalPath);

private:
    SessionState& m_state;
};
