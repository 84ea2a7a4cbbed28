#include "TeamProposals.h"

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "SingleStatement.h"

std::vector<TeamDecision> TeamProposals::After(DatabaseConnection& connection, std::int64_t batch, std::int64_t after)
{
    return SingleStatement::Query(
        connection,
        L"SELECT answer_order, text, changed, corrected FROM tarsil_answers"
        L" WHERE batch_id = ? AND answer_order > ? AND outcome = 'ok' ORDER BY answer_order",
        {batch, after}, [](DatabaseStatement& select) {
            std::vector<TeamDecision> decisions;
            while (select.Fetch()) {
                TeamDecision decision;
                decision.order = select.Integer(1).value_or(0);
                decision.recognised = select.Utf8(2).value_or("");
                decision.changed = select.Boolean(3).value_or(false);
                decision.corrected = select.Utf8(4).value_or("");
                decisions.push_back(std::move(decision));
            }
            return decisions;
        });
}
