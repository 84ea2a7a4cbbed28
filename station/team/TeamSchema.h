#pragma once

#include <string>
#include <vector>

class DatabaseConnection;

// The team store's tables and their version. The first station on a database makes them,
// in one transaction; a database of an older version is upgraded in one transaction, one of
// a newer version refused. Once they exist, a station needs only SELECT, INSERT and UPDATE
// on them: it never deletes a row nor changes a table.
//
//   tarsil_schema     its one row: the tables' version
//   tarsil_batches    a batch by its unique name: its rule and thresholds, the engine's
//                     settings and version, and its answers' count, which numbers them in
//                     the order they commit
//   tarsil_inputs     the batch's inputs as its first station gave them
//   tarsil_pages      each page (batch, position): source, image's SHA-256, state, failure,
//                     and the lease: holder, its end by the server's clock, the take's serial
//   tarsil_documents  each page's recogniser outputs (batch, position, kind): the bytes and
//                     their SHA-256, whether given with the page or made by a station
//   tarsil_stations   each run of a station (its instance id): operator, computer, start
//   tarsil_answers    each word's answer (batch, position, word index: unique, the first
//                     committed stands) under the station's id for it (unique: sent twice,
//                     kept once), with why it was shown, what the error model weighs of it,
//                     its commit number and the server's time
class TeamSchema {
public:
    static constexpr int kVersion = 3;

    // Makes the tables when there are none, upgrades them when older, and commits. Throws
    // TeamRefusal for a newer version, for an older one that cannot be upgraded, and when
    // the tables are missing or old and the role may not change them (saying how to go on);
    // DatabaseError when the server fails.
    static void Ensure(DatabaseConnection& connection);

    // The version the tables record, 0 when there are none. Ends the transaction.
    static int RecordedVersion(DatabaseConnection& connection);

    // Every table's name: what a station's role is granted SELECT, INSERT and UPDATE on.
    static const std::vector<std::wstring>& Tables();
};
