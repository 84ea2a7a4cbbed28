#pragma once

#include "SessionState.h"
#include "SessionSummary.h"

// The report at a session's end: this run's words and pages, and in a batch the whole batch
// as the store counts it, every run included, with the operator's pace.
class SessionReport {
public:
    explicit SessionReport(SessionState& state);

    void Print(const SessionSummary& summary) const;

private:
    SessionState& m_state;
};
