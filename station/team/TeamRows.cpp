#include "TeamRows.h"

#include "DatabaseStatement.h"

#include <algorithm>

const wchar_t TeamRows::kPageColumns[] = L"position, name, image_path, image_sha256, frame, ocr_page, by_station";

const wchar_t TeamRows::kAnswerColumns[] =
    L"answer_id, position, word_index, place, box_left, box_top, box_width, box_height, text, confidence, outcome, "
    L"reason, corrected, changed, proposed, proposal, train, size, orientation, seconds, operator, computer, "
    L"instance, coalesce(answer_order, 0), extract(epoch FROM answered_at), chosen_for,"
    L" coalesce(least_char_confidence, -1), coalesce(second_differs::integer, -1)";

TeamPageSource TeamRows::ReadPage(DatabaseStatement& row, int first)
{
    TeamPageSource page;
    page.position = static_cast<int>(row.Integer(first).value_or(0));
    page.name = row.Utf8(first + 1).value_or("");
    page.imagePath = row.Utf8(first + 2).value_or("");
    page.imageSha256 = row.Utf8(first + 3).value_or("");
    page.frame = static_cast<int>(row.Integer(first + 4).value_or(1));
    page.ocrPage = static_cast<int>(row.Integer(first + 5).value_or(1));
    page.byStation = row.Boolean(first + 6).value_or(false);
    return page;
}

TeamAnswer TeamRows::ReadAnswer(DatabaseStatement& row, int first)
{
    TeamAnswer answer;
    int column = first;
    const auto integer = [&] { return static_cast<int>(row.Integer(column++).value_or(0)); };
    const auto text = [&] { return row.Utf8(column++).value_or(""); };
    const auto real = [&] { return row.Real(column++).value_or(0); };
    const auto boolean = [&] { return row.Boolean(column++).value_or(false); };
    answer.answerId = text();
    answer.page = integer();
    answer.index = integer();
    answer.place = integer();
    answer.box.left = integer();
    answer.box.top = integer();
    answer.box.width = integer();
    answer.box.height = integer();
    answer.text = text();
    answer.confidence = real();
    // The table holds only the words it checks: another is no answer.
    answer.outcome = WordOutcomeFromText(text()).value_or(WordOutcome::kCancel);
    answer.reason = text();
    answer.corrected = text();
    answer.changed = boolean();
    answer.proposed = text();
    answer.proposal = ProposalFateFromText(text()).value_or(ProposalFate::kNone);
    answer.train = boolean();
    answer.size = real();
    answer.orientation = real();
    answer.seconds = real();
    answer.operatorName = text();
    answer.computer = text();
    answer.instance = text();
    answer.order = row.Integer(column++).value_or(0);
    answer.answeredAt = real();
    answer.chosenFor = text();
    // Within the engine's range where kept, as a journal's is read: any station may write the
    // table, and the learning needs finite features.
    const double leastCharConfidence = real();
    answer.leastCharConfidence = leastCharConfidence < 0 ? -1 : std::min(leastCharConfidence, 100.0);
    answer.secondDiffers = integer();
    return answer;
}

std::map<int, std::vector<TeamDocument>> TeamRows::ReadDocuments(DatabaseConnection& connection, std::int64_t batch,
                                                                 int position, bool givenOnly)
{
    DatabaseStatement select(connection,
                             L"SELECT position, kind, path, sha256, content FROM tarsil_documents"
                             L" WHERE batch_id = ? AND (? = 0 OR position = ?) AND (NOT ? OR NOT by_station)"
                             L" ORDER BY position, kind");
    select.BindInteger(1, batch);
    select.BindInteger(2, position);
    select.BindInteger(3, position);
    select.BindBoolean(4, givenOnly);
    select.Execute();
    std::map<int, std::vector<TeamDocument>> documents;
    while (select.Fetch()) {
        const int at = static_cast<int>(select.Integer(1).value_or(0));
        TeamDocument document;
        document.kind = select.Utf8(2).value_or("");
        document.path = select.Utf8(3).value_or("");
        document.sha256 = select.Utf8(4).value_or("");
        const std::vector<unsigned char> content = select.Bytes(5).value_or(std::vector<unsigned char>());
        document.content.assign(content.begin(), content.end());
        documents[at].push_back(std::move(document));
    }
    return documents;
}

std::vector<unsigned char> TeamRows::Bytes(const std::string& content)
{
    return std::vector<unsigned char>(content.begin(), content.end());
}

void TeamRows::BindDocument(DatabaseStatement& insert, std::int64_t batch, int position, const TeamDocument& document)
{
    insert.BindInteger(1, batch);
    insert.BindInteger(2, position);
    insert.BindUtf8(3, document.kind);
    insert.BindUtf8(4, document.path);
    insert.BindUtf8(5, document.sha256);
    insert.BindBytes(6, Bytes(document.content));
}
