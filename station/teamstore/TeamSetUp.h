#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "PreparedSession.h"
#include "StationOptions.h"
#include "TeamRecords.h"

class DatabaseConnection;
class DocumentFolder;
struct OutboxAddress;

// A team's session set up before its first dialog: the team's database reached (its tables
// made or checked), the answers an earlier run could not send sent first, the batch created
// from the station's inputs or joined, and the session's pages made from the batch as the
// database holds it: each image where the batch recorded it (its content checked), each
// page's recogniser output written to the station's cache for the readers to read. No output
// folder: the batch's files are exported from the database.
class TeamSetUp {
public:
    using PrintFn = std::function<void(const std::string&)>;

    // `print` goes to the team's store too, which calls it from its lease thread as well.
    TeamSetUp(const StationOptions& options, PrintFn print);

    // The database's part is retried while the server is away, as the store's work is
    // (--retry-seconds). Throws InputError (an input, or an image that changed) and
    // TeamRefusal (exit 2: inputs other than the batch's, tables of a newer version, an
    // outbox that cannot be read), DatabaseError when the server fails or stays away.
    PreparedSession Prepare() const;

    // Where the answers the server could not take are kept when --outbox names no file.
    static std::wstring DefaultOutbox();

private:
    // The batch as the station's inputs give it.
    TeamBatchDefinition Definition(const BatchPlan& plan) const;
    // Sends the answers an earlier run kept in `outbox`, each to its batch on this server
    // (`here`), and says what became of them.
    void SendOutbox(DatabaseConnection& connection, const std::wstring& outbox, const OutboxAddress& here) const;
    // The session's plan and record from the batch, its documents written to `cache`.
    static void MakePlan(const TeamBatch& batch, const std::map<int, std::vector<TeamDocument>>& documents,
                         const DocumentFolder& cache, PreparedSession& session, SessionRecord& record);

    const StationOptions& m_options;
    PrintFn m_print;
};
