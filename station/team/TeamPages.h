#pragma once

#include "TeamRecords.h"
#include "TeamStation.h"

#include <cstdint>
#include <string>
#include <vector>

class DatabaseConnection;

// What became of a recogniser output a station sent.
enum class RecognitionFate {
    Recorded,
    AnotherStands, // another station's output was recorded first, and stands
    OtherEngine,   // made by an engine other than the batch's: not recorded
};

struct RecognitionReceipt {
    RecognitionFate fate = RecognitionFate::Recorded;
    std::string engine;      // as the output's hOCR names it ("tesseract 5.3.0"); empty when it names none
    std::string batchEngine; // the batch's, as its first output named it
};

// A page's life in the database besides its lease and answers: the recogniser output a
// station made for it, the page done or failed, and all that is known of it read back.
// Each call that changes something commits.
class TeamPages {
public:
    // The recogniser output a station made for a page that came without one (its TSV and
    // hOCR), and the page now recognised. The first station's output stands: another's
    // recorded first is what every station verifies (its word indices are the ones the
    // answers name), read with Load. The batch's pages are recognised by one engine: the
    // batch's first output records the engine its hOCR names (ocr-system), and an output
    // whose hOCR names another is not recorded (one that names none is not checked).
    static RecognitionReceipt RecordRecognition(DatabaseConnection& connection, std::int64_t batch, int position,
                                         const std::vector<TeamDocument>& documents);

    // The page done: every word to verify answered or skipped; its lease given up. Recorded
    // only while the station holds the page (PageLeases::kHeld): false otherwise (another
    // station has it now).
    static bool MarkDone(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                         const TeamLease& lease);

    // The page failed (the engine failed on it, or its output was unusable), with why;
    // its lease given up. Recorded only while the station holds the page: false otherwise.
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
