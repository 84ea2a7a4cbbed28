#pragma once

#include "SessionState.h"

// A session set up before its first dialog: every input read and checked, the journal's
// pages with their files' hashes, an earlier session resumed or forgotten (--restart), the
// engine when a page needs it, and the output folder taken for this station with its files
// tried.
class SessionSetUp {
public:
    explicit SessionSetUp(SessionState& state);

    // Throws InputError, with nothing written (the folders are made only to try the files,
    // and removed again when that fails).
    void Prepare();

private:
    SessionState& m_state;
};
