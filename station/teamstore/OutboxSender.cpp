#include "OutboxSender.h"

#include "TeamBatches.h"
#include "TeamRefusal.h"

OutboxSummary OutboxSender::SendHere(DatabaseConnection& connection, TeamOutbox& outbox, const OutboxAddress& here)
{
    OutboxSummary summary;
    for (const OutboxEntry& entry : outbox.Entries()) {
        const OutboxAddress& to = entry.address;
        // A file of an earlier version names the batch only: its answers go to the batch
        // the operator named on this server, and to no other.
        const bool earlier = to.server.empty();
        const bool held = earlier ? to.batchName == here.batchName
                                  : TeamBatches::Holds(connection, to.batch, to.batchName, to.batchCreated);
        if (!held && (earlier || to.server != here.server)) {
            summary.elsewhere.push_back(entry);
            continue;
        }
        const OutboxDelivery delivery = outbox.Deliver(entry, [&] {
            if (!held) {
                throw TeamRefusal(TeamRefusalKind::NoSuchBatch,
                                  "the batch \"" + to.batchName + "\" it answers (id " + std::to_string(to.batch) +
                                      ", created " + to.batchCreated + ") is no longer on " + here.server);
            }
            return TeamAnswers::Record(connection, earlier ? here.batch : to.batch, entry.answer);
        });
        if (delivery.refused) {
            summary.refused.push_back(entry);
            summary.refused.back().refusal = delivery.refusal;
        } else {
            summary.sent.push_back(delivery.receipt);
        }
    }
    return summary;
}
