#include "TeamAnswers.h"

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"
#include "PageLeases.h"
#include "SingleStatement.h"
#include "TeamRows.h"

#include <stdexcept>

namespace {

bool Shown(const TeamAnswer& answer)
{
    return answer.outcome != WordOutcome::kSkipped;
}

// The batch's next answer number, its row locked until the transaction ends.
std::int64_t NextOrder(DatabaseConnection& connection, std::int64_t batch)
{
    DatabaseStatement next(connection, L"UPDATE tarsil_batches SET answers = answers + 1 WHERE id = ? RETURNING answers");
    next.BindInteger(1, batch);
    next.Execute();
    return next.Fetch() ? next.Integer(1).value_or(0) : 0;
}

// Inserts the answer while the page lets it in: held by the station under `lease`, or not
// done when there is none. The page's row is locked with the check, as the page's state is
// changed after it: no take commits between the check and the insert, and two answers to
// one page wait for each other rather than each for the other's lock. A kept answer for a
// page the batch does not have goes on to the insert, whose foreign key refuses it: such an
// answer belongs nowhere, and is kept apart rather than taken for one the page let out.
bool Insert(DatabaseConnection& connection, std::int64_t batch, const TeamLease* lease, const TeamAnswer& answer,
            std::int64_t order)
{
    DatabaseStatement insert(connection,
                             std::wstring(L"INSERT INTO tarsil_answers (answer_id, batch_id, position, word_index,"
                                          L" place, box_left, box_top, box_width, box_height, text, confidence,"
                                          L" outcome, reason, corrected, changed, proposed, proposal, train, size,"
                                          L" orientation, seconds, answer_order, operator, computer, instance,"
                                          L" chosen_for, least_char_confidence, second_differs)"
                                          L" SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                                          L" ?, ?, ?, ?, ?, ? WHERE EXISTS (SELECT 1 FROM tarsil_pages WHERE ") +
                                 (lease != nullptr ? PageLeases::kHeld
                                                   : L"batch_id = ? AND position = ? AND state <> 'done'"
                                                     L" FOR NO KEY UPDATE) OR NOT EXISTS (SELECT 1 FROM tarsil_pages"
                                                     L" WHERE batch_id = ? AND position = ?") +
                                 L" FOR NO KEY UPDATE) ON CONFLICT DO NOTHING");
    int column = 1;
    insert.BindUtf8(column++, answer.answerId);
    insert.BindInteger(column++, batch);
    for (const int value : {answer.page, answer.index, answer.place, answer.box.left, answer.box.top, answer.box.width,
                            answer.box.height}) {
        insert.BindInteger(column++, value);
    }
    insert.BindUtf8(column++, answer.text);
    insert.BindReal(column++, answer.confidence);
    insert.BindUtf8(column++, WordOutcomeText(answer.outcome));
    insert.BindUtf8(column++, answer.reason);
    insert.BindUtf8(column++, answer.corrected);
    insert.BindBoolean(column++, answer.changed);
    insert.BindUtf8(column++, answer.proposed);
    insert.BindUtf8(column++, ProposalFateText(answer.proposal));
    insert.BindBoolean(column++, answer.train);
    insert.BindReal(column++, answer.size);
    insert.BindReal(column++, answer.orientation);
    insert.BindReal(column++, answer.seconds);
    if (order > 0) {
        insert.BindInteger(column++, order);
    } else {
        insert.BindNull(column++);
    }
    insert.BindUtf8(column++, answer.operatorName);
    insert.BindUtf8(column++, answer.computer);
    insert.BindUtf8(column++, answer.instance);
    insert.BindUtf8(column++, answer.chosenFor);
    if (answer.leastCharConfidence >= 0) {
        insert.BindReal(column++, answer.leastCharConfidence);
    } else {
        insert.BindNull(column++);
    }
    if (answer.secondDiffers >= 0) {
        insert.BindBoolean(column++, answer.secondDiffers == 1);
    } else {
        insert.BindNull(column++);
    }
    if (lease != nullptr) {
        SingleStatement::Bind(insert, column, PageLeases::Held(batch, answer.instance, *lease));
    } else {
        for (int pair = 0; pair < 2; ++pair) {
            insert.BindInteger(column++, batch);
            insert.BindInteger(column++, answer.page);
        }
    }
    insert.Execute();
    return insert.RowCount() == 1;
}

bool PageHeld(DatabaseConnection& connection, std::int64_t batch, const TeamLease* lease, const TeamAnswer& answer)
{
    if (lease == nullptr) {
        return false;
    }
    DatabaseStatement held(connection,
                           std::wstring(L"SELECT EXISTS (SELECT 1 FROM tarsil_pages WHERE ") + PageLeases::kHeld + L")");
    SingleStatement::Bind(held, 1, PageLeases::Held(batch, answer.instance, *lease));
    held.Execute();
    return held.Fetch() && held.Boolean(1).value_or(false);
}

// Why an answer was not recorded: the same one was, or another to its word, or neither and
// the page did not let it in.
AnswerReceipt Standing(DatabaseConnection& connection, std::int64_t batch, const TeamAnswer& answer)
{
    DatabaseStatement standing(connection,
                               L"SELECT answer_id = ?, coalesce(answer_order, 0) FROM tarsil_answers"
                               L" WHERE answer_id = ? OR (batch_id = ? AND position = ? AND word_index = ?)"
                               L" ORDER BY answer_id = ? DESC LIMIT 1");
    standing.BindUtf8(1, answer.answerId);
    standing.BindUtf8(2, answer.answerId);
    standing.BindInteger(3, batch);
    standing.BindInteger(4, answer.page);
    standing.BindInteger(5, answer.index);
    standing.BindUtf8(6, answer.answerId);
    standing.Execute();
    AnswerReceipt receipt;
    receipt.fate = AnswerFate::PageLost;
    if (standing.Fetch()) {
        receipt.fate = standing.Boolean(1).value_or(false) ? AnswerFate::AlreadyRecorded : AnswerFate::AnsweredByAnother;
        receipt.order = standing.Integer(2).value_or(0);
    }
    return receipt;
}


// Records the answer under `lease`, or without one (null).
AnswerReceipt Send(DatabaseConnection& connection, std::int64_t batch, const TeamLease* lease,
                   const TeamAnswer& answer)
{
    if (answer.outcome == WordOutcome::kCancel) {
        throw std::invalid_argument(std::string("an answer's outcome is ok, ignore or skipped, not \"") +
                                    WordOutcomeText(answer.outcome) + "\"");
    }
    {
        DatabaseTransaction transaction(connection);
        const std::int64_t order = Shown(answer) ? NextOrder(connection, batch) : 0;
        if (Insert(connection, batch, lease, answer, order)) {
            DatabaseStatement started(connection,
                                      L"UPDATE tarsil_pages SET state = 'in progress' WHERE batch_id = ? AND position = ?"
                                      L" AND state IN ('waiting', 'recognised')");
            started.BindInteger(1, batch);
            started.BindInteger(2, answer.page);
            started.Execute();
            AnswerReceipt receipt;
            receipt.order = order;
            receipt.pageHeld = PageHeld(connection, batch, lease, answer);
            transaction.Commit();
            return receipt;
        }
        // Not recorded: the number goes back with the rollback.
    }
    DatabaseTransaction transaction(connection);
    AnswerReceipt receipt = Standing(connection, batch, answer);
    receipt.pageHeld = PageHeld(connection, batch, lease, answer);
    transaction.Rollback();
    return receipt;
}

} // namespace

AnswerReceipt TeamAnswers::RecordHeld(DatabaseConnection& connection, std::int64_t batch, const TeamLease& lease,
                                      const TeamAnswer& answer)
{
    return Send(connection, batch, &lease, answer);
}

AnswerReceipt TeamAnswers::Record(DatabaseConnection& connection, std::int64_t batch, const TeamAnswer& answer)
{
    return Send(connection, batch, nullptr, answer);
}

std::vector<TeamAnswer> TeamAnswers::Learnable(DatabaseConnection& connection, std::int64_t batch)
{
    return SingleStatement::Query(connection,
                                  std::wstring(L"SELECT ") + TeamRows::kAnswerColumns +
                                      L" FROM tarsil_answers WHERE batch_id = ? AND outcome = 'ok'"
                                      L" AND least_char_confidence IS NOT NULL ORDER BY position, word_index",
                                  {batch}, [](DatabaseStatement& select) {
                                      std::vector<TeamAnswer> answers;
                                      while (select.Fetch()) {
                                          answers.push_back(TeamRows::ReadAnswer(select, 1));
                                      }
                                      return answers;
                                  });
}
