#include "TeamCommand.h"

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "ServerRetry.h"
#include "TeamBatches.h"
#include "TeamExport.h"
#include "TeamExportFiles.h"
#include "TeamRefusal.h"
#include "TeamSchema.h"
#include "TeamServer.h"
#include "TeamStatusReport.h"
#include "TeamStatusText.h"
#include "Utf8.h"

#include <optional>

namespace {

// The batch's id; refused when the database has none of that name, or tables of another
// version than this station reads. Looks only: a report never makes tables.
std::int64_t FindBatch(DatabaseConnection& connection, const std::string& name)
{
    const int version = TeamSchema::RecordedVersion(connection);
    if (version == 0) {
        throw TeamRefusal(TeamRefusalKind::NoSuchBatch,
                          "the team database has no batch \"" + name + "\": it has no tables yet");
    }
    if (version != TeamSchema::kVersion) {
        throw TeamRefusal(version > TeamSchema::kVersion ? TeamRefusalKind::NewerSchema : TeamRefusalKind::OlderSchema,
                          "the team database's tables are of version " + std::to_string(version) +
                              ", this station reads version " + std::to_string(TeamSchema::kVersion) +
                              ": use a station of the version the other stations use");
    }
    const std::optional<std::int64_t> batch = TeamBatches::Find(connection, name);
    if (!batch) {
        throw TeamRefusal(TeamRefusalKind::NoSuchBatch, "the team database has no batch \"" + name + "\"");
    }
    return *batch;
}

} // namespace

void TeamCommand::Run(const StationOptions& options, const std::function<void(const std::string&)>& print)
{
    const std::string name = WideToUtf8(options.batch);
    const TeamServer server(options.team);
    ServerRetry::Settings retrying;
    retrying.totalSeconds = static_cast<unsigned>(options.retrySeconds);
    ServerRetry retry(server, retrying, [&](const DatabaseError& failure, unsigned waitSeconds) {
        print(ServerRetry::Notice(failure, waitSeconds));
    });
    // Read whole again on a new connection when the server went away meanwhile.
    std::optional<TeamStatus> status;
    std::optional<TeamExportData> data;
    retry.Run([&](DatabaseConnection& connection) {
        const std::int64_t batch = FindBatch(connection, name);
        if (options.status) {
            status = TeamStatusReport::Read(connection, batch, name);
        } else {
            data = TeamExport::Read(connection, batch);
        }
    });
    if (status) {
        for (const std::string& line : TeamStatusText::Lines(*status)) {
            print(line);
        }
        return;
    }
    const size_t pages = TeamExportFiles::Write(*data, options.exportFolder);
    print("batch \"" + name + "\": " + std::to_string(pages) + (pages == 1 ? " page" : " pages") +
          " done so far, exported to " + WideToUtf8(options.exportFolder));
}
