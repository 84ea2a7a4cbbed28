#include "TeamPages.h"

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"
#include "PageLeases.h"
#include "SingleStatement.h"
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
        page.state = PageStateFromText(pages.Utf8(8).value_or("")).value_or(PageState::kWaiting);
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

// The engine an hOCR document names in its head (Tesseract writes "<meta name='ocr-system'
// content='tesseract 5.3.0' />"); empty when it names none.
std::string EngineOf(const std::vector<TeamDocument>& documents)
{
    constexpr size_t kHead = 4096;
    constexpr size_t kLongest = 200;
    for (const TeamDocument& document : documents) {
        if (document.kind != "hocr") {
            continue;
        }
        const std::string head = document.content.substr(0, kHead);
        const size_t system = head.find("ocr-system");
        const size_t open = head.rfind('<', system);
        const size_t end = head.find('>', system);
        if (system == std::string::npos || open == std::string::npos || end == std::string::npos) {
            return {};
        }
        const std::string element = head.substr(open, end - open);
        const size_t content = element.find("content=");
        if (content == std::string::npos || content + 9 >= element.size()) {
            return {};
        }
        const char quote = element[content + 8];
        const size_t closing = element.find(quote, content + 9);
        if ((quote != '\'' && quote != '"') || closing == std::string::npos || closing - content - 9 > kLongest) {
            return {};
        }
        return element.substr(content + 9, closing - content - 9);
    }
    return {};
}

} // namespace

RecognitionReceipt TeamPages::RecordRecognition(DatabaseConnection& connection, std::int64_t batch, int position,
                                                const std::vector<TeamDocument>& documents)
{
    RecognitionReceipt receipt;
    receipt.engine = EngineOf(documents);
    DatabaseTransaction transaction(connection);
    DatabaseStatement insert(connection,
                             L"INSERT INTO tarsil_documents (batch_id, position, kind, by_station, path, sha256, content)"
                             L" VALUES (?, ?, ?, true, ?, ?, ?) ON CONFLICT (batch_id, position, kind) DO NOTHING");
    for (const TeamDocument& document : documents) {
        TeamRows::BindDocument(insert, batch, position, document);
        insert.Execute();
        if (insert.RowCount() != 1) {
            receipt.fate = RecognitionFate::AnotherStands; // rolled back
            return receipt;
        }
    }
    if (!receipt.engine.empty()) {
        // The batch's first output names the batch's engine. The batch's row is locked only
        // then, and before the page's row is (as an answer locks them).
        DatabaseStatement first(connection,
                                L"UPDATE tarsil_batches SET engine_version = ? WHERE id = ? AND engine_version IS NULL");
        first.BindUtf8(1, receipt.engine);
        first.BindInteger(2, batch);
        first.Execute();
        DatabaseStatement engine(connection, L"SELECT engine_version FROM tarsil_batches WHERE id = ?");
        engine.BindInteger(1, batch);
        engine.Execute();
        receipt.batchEngine = engine.Fetch() ? engine.Utf8(1).value_or("") : "";
        if (receipt.batchEngine != receipt.engine) {
            receipt.fate = RecognitionFate::OtherEngine; // rolled back
            return receipt;
        }
    }
    DatabaseStatement recognised(connection,
                                 L"UPDATE tarsil_pages SET state = 'recognised', failure = ''"
                                 L" WHERE batch_id = ? AND position = ? AND state IN ('waiting', 'failed')");
    recognised.BindInteger(1, batch);
    recognised.BindInteger(2, position);
    recognised.Execute();
    transaction.Commit();
    return receipt;
}

bool TeamPages::MarkDone(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                         const TeamLease& lease)
{
    return SingleStatement::Commit(connection,
                                   std::wstring(L"UPDATE tarsil_pages SET state = 'done', failure = '', ") +
                                       PageLeases::kNotHeld + L" WHERE " + PageLeases::kHeld,
                                   PageLeases::Held(batch, station.instance, lease),
                                   [](DatabaseStatement& done) { return done.RowCount() == 1; });
}

bool TeamPages::MarkFailed(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                           const TeamLease& lease, const std::string& failure)
{
    return SingleStatement::Commit(connection,
                                   std::wstring(L"UPDATE tarsil_pages SET state = 'failed', failure = ?,"
                                                L" failed_at = now(), ") +
                                       PageLeases::kNotHeld + L" WHERE " + PageLeases::kHeld,
                                   PageLeases::Held(batch, station.instance, lease, {failure}),
                                   [](DatabaseStatement& failed) { return failed.RowCount() == 1; });
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
