#pragma once

#include <string>
#include <vector>

#include "BenchRow.h"
#include "MeasuredDialog.h"
#include "StationOptions.h"
#include "VerificationSession.h"

// A verification session: from one word's return to the next dialog's first complete paint,
// the host's own work included, against the bare dialog shown after each word.
class SessionBench {
public:
    // Every word of the committed scan in `data` verified with OK (training pairs included),
    // `sessions` times over, each a fresh session; the page is decoded before the first word.
    // With `team` (a connection string) the same again as a team's session, each on a new
    // batch of the team's database: every answer committed before the next dialog.
    static void Run(const MeasuredDialog& dialog, const std::wstring& data, const std::wstring& team, int sessions,
                    std::vector<BenchRow>& rows);

    // Fresh sessions with the options, every dialog through `show`; `fresh` runs before each.
    static void RunSessions(const StationOptions& options, VerificationSession::DialogFn show, int sessions,
                            void (*fresh)());
};
