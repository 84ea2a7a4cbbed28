#pragma once

#include <functional>
#include <string>

#include "AuditEstimate.h"
#include "PreparedSession.h"
#include "SessionSummary.h"
#include "StationOptions.h"

// The report at a session's end: this run's words and pages, and in a batch the whole batch
// as the store counts it, every run included, with the operator's pace.
class SessionReport {
public:
    using PrintFn = std::function<void(const std::string&)>;

    SessionReport(const StationOptions& options, const PreparedSession& session, PrintFn print);

    void Print(const SessionSummary& summary) const;

private:
    // The audit's answers and what they say of the words not shown, for the console.
    std::string AuditLine(const AuditEstimate& estimate) const;

    const StationOptions& m_options;
    const PreparedSession& m_session;
    PrintFn m_print;
};
