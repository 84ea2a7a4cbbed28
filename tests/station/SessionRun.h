#pragma once

#include <string>
#include <vector>

#include "VerificationSession.h"

// A session run in the test's own process through the real dialog, unattended or driven
// by a DialogDriver: what it printed, its summary and journal, and the captions it showed.
struct SessionRun {
    VerificationSession::Summary summary;
    std::vector<std::string> printed;
    SessionRecord journal;
    // The captions of the dialogs shown, as the host's text lookup gives them.
    std::vector<std::wstring> captions;

    // The words of the first page.
    const std::vector<VerifiedWord>& Words() const { return journal.pages.at(0).words; }
    // Whether a printed line holds `part`.
    bool Printed(const std::string& part) const;
};

// Prepares and runs a session with these options.
SessionRun RunSession(const StationOptions& options);
