#pragma once

#include "TeamRecords.h"
#include "TeamStation.h"

#include <cstdint>
#include <vector>

class DatabaseConnection;

// A page's life in the database besides its lease and answers: the recogniser output a
// station made for it, the page done or failed, and all that is known of it read back.
// Each call that changes something commits.
class TeamPages {
public:
    // The recogniser output a station made for a page that came without one (its TSV and
    // hOCR), and the page now recognised. The first station's output stands: false when
    // another's was recorded first, which Load then gives (its word indices are the ones
    // the answers name).
    static bool RecordRecognition(DatabaseConnection& connection, std::int64_t batch, int position,
                                  const std::vector<TeamDocument>& documents);

    // The page done: every word to verify answered or skipped. Its lease, if the station
    // still holds it, is given up.
    static void MarkDone(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                         const TeamLease& lease);

    // The page failed (the engine failed on it, or its output was unusable), with why;
    // its lease given up. Recorded only while the station holds the page and it is not
    // done: false otherwise (another station has it now).
    static bool MarkFailed(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                           const TeamLease& lease, const std::string& failure);

    // Everything the database holds of the page: its source and every recogniser output,
    // its state, and its answers in reading order. Ends the transaction.
    static TeamPage Load(DatabaseConnection& connection, std::int64_t batch, int position);

    // The same for every page of the batch in one of `states`, in the batch's order, read
    // in the open transaction.
    static std::vector<TeamPage> LoadAll(DatabaseConnection& connection, std::int64_t batch,
                                         const std::vector<std::string>& states);
};
