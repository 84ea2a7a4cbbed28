#include "TeamPages.h"

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"
#include "PageLeases.h"
#include "TeamRows.h"

#include <map>

namespace {

// The pages of the batch (one, at `position`, or all for 0) whose state is one of `states`
// (all for none), with their documents and answers, in the open transaction.
std::vector<TeamPage> ReadPages(DatabaseConnection& connection, std::int64_t batch, int position,
                                const std::vector<std::string>& states)
{
    std::string stateList; // the states apart by "|", bound as one value
    for (const std::string& state : states) {
        stateList += (stateList.empty() ? "" : "|") + state;
    }
    DatabaseStatement pages(connection, std::wstring(L"SELECT ") + TeamRows::kPageColumns +
                                            L", state, failure FROM tarsil_pages WHERE batch_id = ?"
                                            L" AND (? = 0 OR position = ?)"
                                            L" AND (? = '' OR state = ANY (string_to_array(?, '|')))"
                                            L" ORDER BY position");
    pages.BindInteger(1, batch);
    pages.BindInteger(2, position);
    pages.BindInteger(3, position);
    pages.BindUtf8(4, stateList);
    pages.BindUtf8(5, stateList);
    pages.Execute();
    std::vector<TeamPage> read;
    std::map<int, size_t> byPosition;
    while (pages.Fetch()) {
        TeamPage page;
        page.source = TeamRows::ReadPage(pages, 1);
        page.state = pages.Utf8(8).value_or("");
        page.failure = pages.Utf8(9).value_or("");
        byPosition[page.source.position] = read.size();
        read.push_back(std::move(page));
    }
    if (read.empty()) {
        return read;
    }
    for (auto& [at, documents] : TeamRows::ReadDocuments(connection, batch, position, false)) {
        const auto found = byPosition.find(at);
        if (found != byPosition.end()) {
            read[found->second].source.documents = std::move(documents);
        }
    }
    DatabaseStatement answers(connection, std::wstring(L"SELECT ") + TeamRows::kAnswerColumns +
                                              L" FROM tarsil_answers WHERE batch_id = ? AND (? = 0 OR position = ?)"
                                              L" ORDER BY position, place, word_index");
    answers.BindInteger(1, batch);
    answers.BindInteger(2, position);
    answers.BindInteger(3, position);
    answers.Execute();
    while (answers.Fetch()) {
        TeamAnswer answer = TeamRows::ReadAnswer(answers, 1);
        const auto found = byPosition.find(answer.page);
        if (found != byPosition.end()) {
            read[found->second].answers.push_back(std::move(answer));
        }
    }
    return read;
}

} // namespace

bool TeamPages::RecordRecognition(DatabaseConnection& connection, std::int64_t batch, int position,
                                  const std::vector<TeamDocument>& documents)
{
    DatabaseTransaction transaction(connection);
    DatabaseStatement insert(connection,
                             L"INSERT INTO tarsil_documents (batch_id, position, kind, by_station, path, sha256, content)"
                             L" VALUES (?, ?, ?, true, ?, ?, ?) ON CONFLICT (batch_id, position, kind) DO NOTHING");
    for (const TeamDocument& document : documents) {
        TeamRows::BindDocument(insert, batch, position, document);
        insert.Execute();
        if (insert.RowCount() != 1) {
            return false; // rolled back: another station's output stands
        }
    }
    DatabaseStatement recognised(connection,
                                 L"UPDATE tarsil_pages SET state = 'recognised', failure = ''"
                                 L" WHERE batch_id = ? AND position = ? AND state IN ('waiting', 'failed')");
    recognised.BindInteger(1, batch);
    recognised.BindInteger(2, position);
    recognised.Execute();
    transaction.Commit();
    return true;
}

void TeamPages::MarkDone(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                         const TeamLease& lease)
{
    DatabaseTransaction transaction(connection);
    DatabaseStatement done(connection,
                           L"UPDATE tarsil_pages SET state = 'done', failure = '' WHERE batch_id = ? AND position = ?");
    done.BindInteger(1, batch);
    done.BindInteger(2, lease.position);
    done.Execute();
    PageLeases::GiveUp(connection, batch, station, lease);
    transaction.Commit();
}

bool TeamPages::MarkFailed(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                           const TeamLease& lease, const std::string& failure)
{
    DatabaseTransaction transaction(connection);
    DatabaseStatement failed(connection,
                             L"UPDATE tarsil_pages SET state = 'failed', failure = ?, failed_at = now(),"
                             L" holder_operator = NULL, holder_computer = NULL, holder_instance = NULL,"
                             L" lease_until = NULL"
                             L" WHERE batch_id = ? AND position = ? AND holder_instance = ? AND lease_serial = ?"
                             L" AND state <> 'done'");
    failed.BindUtf8(1, failure);
    failed.BindInteger(2, batch);
    failed.BindInteger(3, lease.position);
    failed.BindUtf8(4, station.instance);
    failed.BindInteger(5, lease.serial);
    failed.Execute();
    const bool recorded = failed.RowCount() == 1;
    transaction.Commit();
    return recorded;
}

TeamPage TeamPages::Load(DatabaseConnection& connection, std::int64_t batch, int position)
{
    DatabaseTransaction transaction(connection);
    std::vector<TeamPage> pages = ReadPages(connection, batch, position, {});
    transaction.Rollback();
    if (pages.empty()) {
        throw DatabaseError("Reading page " + std::to_string(position) + " of the batch failed: it has no such page", "",
                            DatabaseFailure::Other);
    }
    return std::move(pages.front());
}

std::vector<TeamPage> TeamPages::LoadAll(DatabaseConnection& connection, std::int64_t batch,
                                         const std::vector<std::string>& states)
{
    return ReadPages(connection, batch, 0, states);
}
