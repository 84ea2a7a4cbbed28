#include "TeamStatusReport.h"

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"

namespace {

void CountState(TeamStatus& status, const TeamPageStatus& page)
{
    ++status.pages;
    switch (page.state) {
    case PageState::kWaiting:
        ++status.waiting;
        break;
    case PageState::kRecognised:
        ++status.recognised;
        break;
    case PageState::kInProgress:
        ++status.inProgress;
        break;
    case PageState::kDone:
        ++status.done;
        break;
    case PageState::kFailed:
        ++status.failed;
        break;
    }
    if (page.held) {
        ++status.held;
    }
}

} // namespace

TeamStatus TeamStatusReport::Read(DatabaseConnection& connection, std::int64_t batch, const std::string& name)
{
    TeamStatus status;
    status.batch = name;
    DatabaseTransaction transaction(connection);
    DatabaseStatement snapshot(connection, L"SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    snapshot.Execute();

    DatabaseStatement pages(connection,
                            L"SELECT position, name, state, failure, coalesce(lease_until > now(), false),"
                            L" coalesce(holder_operator, ''), coalesce(holder_computer, ''),"
                            L" coalesce(extract(epoch FROM lease_until), 0),"
                            L" coalesce(extract(epoch FROM lease_until - now()), 0)"
                            L" FROM tarsil_pages WHERE batch_id = ? ORDER BY position");
    pages.BindInteger(1, batch);
    pages.Execute();
    while (pages.Fetch()) {
        TeamPageStatus page;
        page.position = static_cast<int>(pages.Integer(1).value_or(0));
        page.name = pages.Utf8(2).value_or("");
        page.state = PageStateFromText(pages.Utf8(3).value_or("")).value_or(PageState::kWaiting);
        page.failure = pages.Utf8(4).value_or("");
        page.held = pages.Boolean(5).value_or(false);
        if (page.held) {
            page.holderOperator = pages.Utf8(6).value_or("");
            page.holderComputer = pages.Utf8(7).value_or("");
            page.leaseUntil = pages.Real(8).value_or(0);
            page.leaseSecondsLeft = pages.Real(9).value_or(0);
        }
        CountState(status, page);
        status.pageStates.push_back(std::move(page));
    }

    DatabaseStatement operators(connection,
                                L"SELECT operator, count(*) FILTER (WHERE outcome <> 'skipped'),"
                                L" count(*) FILTER (WHERE outcome = 'ok' AND changed),"
                                L" count(*) FILTER (WHERE outcome = 'ignore'),"
                                L" count(*) FILTER (WHERE outcome = 'skipped'),"
                                L" coalesce(sum(seconds) FILTER (WHERE outcome <> 'skipped'), 0)"
                                L" FROM tarsil_answers WHERE batch_id = ? GROUP BY operator ORDER BY operator");
    operators.BindInteger(1, batch);
    operators.Execute();
    while (operators.Fetch()) {
        TeamOperatorFigures figures;
        figures.operatorName = operators.Utf8(1).value_or("");
        figures.words = static_cast<int>(operators.Integer(2).value_or(0));
        figures.corrected = static_cast<int>(operators.Integer(3).value_or(0));
        figures.ignored = static_cast<int>(operators.Integer(4).value_or(0));
        figures.skipped = static_cast<int>(operators.Integer(5).value_or(0));
        figures.seconds = operators.Real(6).value_or(0);
        status.words += figures.words;
        status.operators.push_back(std::move(figures));
    }

    DatabaseStatement reasons(connection,
                              L"SELECT chosen_for, count(*) FROM tarsil_answers WHERE batch_id = ?"
                              L" AND outcome <> 'skipped' GROUP BY chosen_for");
    reasons.BindInteger(1, batch);
    reasons.Execute();
    while (reasons.Fetch()) {
        status.shownFor[reasons.Utf8(1).value_or("")] = static_cast<int>(reasons.Integer(2).value_or(0));
    }

    DatabaseStatement span(connection,
                           L"SELECT coalesce(extract(epoch FROM max(answered_at) - min(answered_at)), 0)"
                           L" FROM tarsil_answers WHERE batch_id = ? AND outcome <> 'skipped'");
    span.BindInteger(1, batch);
    span.Execute();
    if (span.Fetch()) {
        status.answeringSeconds = span.Real(1).value_or(0);
    }
    transaction.Rollback();
    return status;
}
