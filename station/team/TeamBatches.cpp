#include "TeamBatches.h"

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"
#include "SingleStatement.h"
#include "TeamRefusal.h"
#include "TeamRows.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace {

// A batch made before its engine settings were recorded takes those of the station that
// opens it next.
void FixEngine(DatabaseConnection& connection, std::int64_t batch, const TeamBatchDefinition& inputs)
{
    DatabaseStatement fix(connection,
                          L"UPDATE tarsil_batches SET engine_lang = coalesce(engine_lang, ?),"
                          L" engine_psm = coalesce(engine_psm, ?)"
                          L" WHERE id = ? AND (engine_lang IS NULL OR engine_psm IS NULL)");
    fix.BindUtf8(1, inputs.lang);
    fix.BindUtf8(2, inputs.psm);
    fix.BindInteger(3, batch);
    fix.Execute();
}

// A batch's creation time as text, the same on every client.
const wchar_t kCreatedAt[] = L"to_char(created_at AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.US\"Z\"')";

// The batch's id and creation time.
std::optional<std::pair<std::int64_t, std::string>> FindBatch(DatabaseConnection& connection, const std::string& name)
{
    DatabaseStatement select(connection,
                             std::wstring(L"SELECT id, ") + kCreatedAt + L" FROM tarsil_batches WHERE name = ?");
    select.BindUtf8(1, name);
    select.Execute();
    if (!select.Fetch()) {
        return std::nullopt;
    }
    return std::make_pair(select.Integer(1).value_or(0), select.Utf8(2).value_or(""));
}

} // namespace

std::optional<std::int64_t> TeamBatches::Find(DatabaseConnection& connection, const std::string& name)
{
    DatabaseTransaction transaction(connection);
    const auto found = FindBatch(connection, name);
    transaction.Rollback();
    return found ? std::optional<std::int64_t>(found->first) : std::nullopt;
}

bool TeamBatches::Holds(DatabaseConnection& connection, std::int64_t id, const std::string& name,
                        const std::string& createdAt)
{
    return SingleStatement::Query(
        connection,
        std::wstring(L"SELECT count(*) FROM tarsil_batches WHERE id = ? AND name = ? AND ") + kCreatedAt + L" = ?",
        {id, name, createdAt},
        [](DatabaseStatement& select) { return select.Fetch() && select.Integer(1).value_or(0) == 1; });
}

TeamBatchDefinition TeamBatches::ReadDefinition(DatabaseConnection& connection, std::int64_t batch, bool withPages)
{
    TeamBatchDefinition definition;
    DatabaseStatement settings(connection,
                               L"SELECT below, char_below, engine_lang, engine_psm, catch_percent FROM tarsil_batches"
                               L" WHERE id = ?");
    settings.BindInteger(1, batch);
    settings.Execute();
    if (settings.Fetch()) {
        definition.below = settings.Real(1).value_or(0);
        definition.charBelow = settings.Real(2).value_or(0);
        definition.lang = settings.Utf8(3).value_or("");
        definition.psm = settings.Utf8(4).value_or("");
        definition.catchPercent = settings.Real(5).value_or(0);
    }
    DatabaseStatement inputs(connection, L"SELECT path FROM tarsil_inputs WHERE batch_id = ? ORDER BY position");
    inputs.BindInteger(1, batch);
    inputs.Execute();
    while (inputs.Fetch()) {
        definition.inputs.push_back(inputs.Utf8(1).value_or(""));
    }
    if (!withPages) {
        return definition;
    }
    DatabaseStatement pages(connection, std::wstring(L"SELECT ") + TeamRows::kPageColumns +
                                            L" FROM tarsil_pages WHERE batch_id = ? ORDER BY position");
    pages.BindInteger(1, batch);
    pages.Execute();
    while (pages.Fetch()) {
        definition.pages.push_back(TeamRows::ReadPage(pages, 1));
    }
    std::map<int, std::vector<TeamDocument>> documents = TeamRows::ReadDocuments(connection, batch, 0, true);
    for (TeamPageSource& page : definition.pages) {
        page.documents = std::move(documents[page.position]);
    }
    return definition;
}

namespace {

// Creates the batch; false when another station created one of that name meanwhile.
bool Create(DatabaseConnection& connection, const std::string& name, const TeamBatchDefinition& inputs,
            const TeamStation& station)
{
    DatabaseTransaction transaction(connection);
    std::int64_t batch = 0;
    try {
        DatabaseStatement insert(connection,
                                 L"INSERT INTO tarsil_batches (name, below, char_below, engine_lang, engine_psm,"
                                 L" created_by, catch_percent) VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING id");
        insert.BindUtf8(1, name);
        insert.BindReal(2, inputs.below);
        insert.BindReal(3, inputs.charBelow);
        insert.BindUtf8(4, inputs.lang);
        insert.BindUtf8(5, inputs.psm);
        insert.BindUtf8(6, station.operatorName + " on " + station.computer);
        insert.BindReal(7, inputs.catchPercent);
        insert.Execute();
        insert.Fetch();
        batch = insert.Integer(1).value_or(0);
    } catch (const DatabaseError& error) {
        if (error.Failure() == DatabaseFailure::UniqueViolation) {
            return false; // waited for the other station's commit: join its batch
        }
        throw;
    }
    DatabaseStatement input(connection, L"INSERT INTO tarsil_inputs (batch_id, position, path) VALUES (?, ?, ?)");
    for (size_t i = 0; i < inputs.inputs.size(); ++i) {
        input.BindInteger(1, batch);
        input.BindInteger(2, static_cast<std::int64_t>(i) + 1);
        input.BindUtf8(3, inputs.inputs[i]);
        input.Execute();
    }
    DatabaseStatement page(connection,
                           L"INSERT INTO tarsil_pages (batch_id, position, name, image_path, image_sha256, frame,"
                           L" ocr_page, by_station) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    DatabaseStatement document(connection,
                               L"INSERT INTO tarsil_documents (batch_id, position, kind, by_station, path, sha256,"
                               L" content) VALUES (?, ?, ?, false, ?, ?, ?)");
    for (const TeamPageSource& source : inputs.pages) {
        page.BindInteger(1, batch);
        page.BindInteger(2, source.position);
        page.BindUtf8(3, source.name);
        page.BindUtf8(4, source.imagePath);
        page.BindUtf8(5, source.imageSha256);
        page.BindInteger(6, source.frame);
        page.BindInteger(7, source.ocrPage);
        page.BindBoolean(8, source.byStation);
        page.Execute();
        for (const TeamDocument& given : source.documents) {
            TeamRows::BindDocument(document, batch, source.position, given);
            document.Execute();
        }
    }
    transaction.Commit();
    return true;
}

const TeamDocument* FindKind(const std::vector<TeamDocument>& documents, const std::string& kind)
{
    const auto found = std::find_if(documents.begin(), documents.end(),
                                    [&](const TeamDocument& document) { return document.kind == kind; });
    return found == documents.end() ? nullptr : &*found;
}

// Where the given page's content is not the stored one's: the file that differs, and how;
// empty when the two agree.
std::string PageDifference(const TeamPageSource& given, const TeamPageSource& stored)
{
    if (given.imageSha256 != stored.imageSha256) {
        return given.imagePath + ": its content is not that of the batch's page";
    }
    // Whether the page came with a recogniser output is told by the documents below.
    if (given.frame != stored.frame || given.ocrPage != stored.ocrPage) {
        return given.imagePath + ": its frame " + std::to_string(given.frame) + " (page number " +
               std::to_string(given.ocrPage) + ") is not the batch's page, frame " + std::to_string(stored.frame) +
               " (page number " + std::to_string(stored.ocrPage) + ")";
    }
    for (const std::vector<TeamDocument>* side : {&given.documents, &stored.documents}) {
        for (const TeamDocument& document : *side) {
            const TeamDocument* mine = FindKind(given.documents, document.kind);
            const TeamDocument* theirs = FindKind(stored.documents, document.kind);
            if (mine == nullptr) {
                return given.imagePath + ": the batch's page has a recogniser output (" + document.kind +
                       ") that the inputs given lack";
            }
            if (theirs == nullptr || mine->sha256 != theirs->sha256) {
                return mine->path + ": its content is not that of the batch's recogniser output for the page";
            }
        }
    }
    return {};
}

void RefuseOtherInputs(const std::string& name, const TeamBatchDefinition& given, const TeamBatchDefinition& stored)
{
    const size_t pages = std::max(given.pages.size(), stored.pages.size());
    for (size_t i = 0; i < pages; ++i) {
        std::string difference;
        if (i >= stored.pages.size()) {
            difference = given.pages[i].imagePath + ": not part of the batch, which has " +
                         std::to_string(stored.pages.size()) + " pages";
        } else if (i >= given.pages.size()) {
            difference = stored.pages[i].imagePath + ": the batch's page " + std::to_string(i + 1) +
                         " is missing from the inputs given, which have " + std::to_string(given.pages.size());
        } else {
            difference = PageDifference(given.pages[i], stored.pages[i]);
        }
        if (!difference.empty()) {
            difference += " (page " + std::to_string(i + 1) + " of the team's batch \"";
            difference += name;
            difference += "\"): join the batch with its own inputs, or with none";
            throw TeamRefusal(TeamRefusalKind::InputsDiffer, difference);
        }
    }
}

} // namespace

TeamBatch TeamBatches::Open(DatabaseConnection& connection, const std::string& name, const TeamBatchDefinition& inputs,
                            const TeamStation& station)
{
    TeamBatch batch;
    batch.name = name;
    for (;;) {
        {
            DatabaseTransaction transaction(connection);
            const auto found = FindBatch(connection, name);
            if (found) {
                batch.id = found->first;
                batch.createdAt = found->second;
                FixEngine(connection, batch.id, inputs);
                batch.definition = ReadDefinition(connection, batch.id, true);
                transaction.Commit();
                break;
            }
            transaction.Rollback();
        }
        if (inputs.pages.empty()) {
            throw TeamRefusal(TeamRefusalKind::NoSuchBatch,
                              "the team database has no batch \"" + name +
                                  "\": the first station of a batch gives its inputs");
        }
        if (Create(connection, name, inputs, station)) {
            batch.created = true;
        }
        // Read back as any joining station reads it (or the other station's, which won).
    }
    if (!batch.created && !inputs.pages.empty()) {
        RefuseOtherInputs(name, inputs, batch.definition);
    }
    return batch;
}
