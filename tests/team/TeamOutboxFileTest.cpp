#include "DatabaseConnection.h"
#include "OutboxSender.h"
#include "ScratchFolder.h"
#include "TeamBatches.h"
#include "TeamOutbox.h"
#include "TeamSchema.h"
#include "TeamServer.h"
#include "TeamTestSupport.h"
#include "support/FileExists.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

std::set<std::string> Ids(const std::vector<OutboxEntry>& entries)
{
    std::set<std::string> ids;
    for (const OutboxEntry& entry : entries) {
        ids.insert(entry.answer.answerId);
    }
    return ids;
}

OutboxEntry Entry(const OutboxAddress& address, const TeamAnswer& answer)
{
    return OutboxEntry{address, answer, ""};
}

} // namespace

// Two stations on one Windows account share the outbox: each change is made to what the file
// holds at that moment, under its lock, so neither undoes the other's, one after the other
// or at once.
TEST(TeamOutboxFile, TwoStationsSharingTheFileLoseNoAnswer)
{
    const ScratchFolder folder;
    const std::wstring path = folder / L"outbox.json";
    const OutboxAddress address{"db:5432/tarsil", 1, "job", "2024-05-01T09:30:00.000000Z"};
    const TeamStation one = TeamTest::Station("one");
    const TeamStation two = TeamTest::Station("two");
    const auto sent = [] { return AnswerReceipt{}; };

    auto first = std::make_unique<TeamOutbox>(path);
    TeamOutbox second(path);
    const OutboxEntry mine = Entry(address, TeamTest::Answer(one, 1, 1, 1, "mine"));
    const OutboxEntry theirs = Entry(address, TeamTest::Answer(two, 1, 1, 2, "theirs"));
    first->Keep(mine);
    second.Keep(theirs);
    EXPECT_FALSE(first->Deliver(mine, sent).refused);
    EXPECT_EQ(std::set<std::string>{theirs.answer.answerId}, Ids(TeamOutbox(path).Entries()));

    std::set<std::string> left = {theirs.answer.answerId};
    const auto station = [&](const TeamStation& who) {
        TeamOutbox own(path);
        for (int sequence = 2; sequence <= 21; ++sequence) {
            const OutboxEntry entry = Entry(address, TeamTest::Answer(who, sequence, 1, sequence, "w"));
            own.Keep(entry);
            if (sequence % 2 == 0) {
                own.Deliver(entry, sent);
            }
        }
    };
    TeamTest::AtOnce({[&] { station(one); }, [&] { station(two); }});
    for (const TeamStation* who : {&one, &two}) {
        for (int sequence = 3; sequence <= 21; sequence += 2) {
            left.insert(who->AnswerId(sequence));
        }
    }
    const std::vector<OutboxEntry> kept = TeamOutbox(path).Entries();
    EXPECT_EQ(left.size(), kept.size());
    EXPECT_EQ(left, Ids(kept));
    for (const OutboxEntry& entry : kept) {
        first->Deliver(entry, sent);
    }
    EXPECT_TRUE(second.Entries().empty());
    first.reset(); // done with it, and it is empty: gone
    EXPECT_FALSE(Exists(path));
}

// A station's start sends each kept answer to its own batch only: an answer the server
// refuses, or whose batch it no longer has, is kept apart and holds up no start; one for a
// batch of that name on another server stays for a run against that server.
TEST(TeamOutboxFile, RefusedAnswersAndThoseOfAnotherServerHoldUpNoStart)
{
    const std::unique_ptr<DatabaseConnection> connection = TeamServer(TeamTest::FreshDatabase()).Connect();
    TeamSchema::Ensure(*connection);
    const TeamStation station = TeamTest::Station("me");
    const TeamBatch batch = TeamBatches::Open(*connection, "job", TeamTest::Batch(*connection, 2), station);
    const OutboxAddress here{TeamServer::Describe(*connection), batch.id, "job", batch.createdAt};
    OutboxAddress elsewhere = here;
    elsewhere.server = "db.example.org:5432/tarsil";
    elsewhere.batchCreated = "2001-01-01T00:00:00.000000Z";
    OutboxAddress madeAgain = here;
    madeAgain.batchCreated = elsewhere.batchCreated;

    const ScratchFolder folder;
    TeamOutbox outbox(folder / L"outbox.json");
    const OutboxEntry good = Entry(here, TeamTest::Answer(station, 1, 1, 1, "one"));
    const OutboxEntry noSuchPage = Entry(here, TeamTest::Answer(station, 2, 99, 1, "two"));
    const OutboxEntry farAway = Entry(elsewhere, TeamTest::Answer(station, 3, 1, 2, "three"));
    const OutboxEntry ofAnother = Entry(madeAgain, TeamTest::Answer(station, 4, 1, 3, "four"));
    for (const OutboxEntry& entry : {good, noSuchPage, farAway, ofAnother}) {
        outbox.Keep(entry);
    }

    for (int start = 1; start <= 2; ++start) {
        const OutboxSummary summary = OutboxSender::SendHere(*connection, outbox, here);
        EXPECT_EQ(start == 1 ? 1u : 0u, summary.sent.size()) << start;
        EXPECT_EQ(start == 1 ? 2u : 0u, summary.refused.size()) << start;
        EXPECT_EQ(std::set<std::string>{farAway.answer.answerId}, Ids(summary.elsewhere)) << start;
    }
    EXPECT_EQ(std::set<std::string>{farAway.answer.answerId}, Ids(outbox.Entries()));
    const std::vector<OutboxEntry> refused = outbox.Refused();
    EXPECT_EQ((std::set<std::string>{noSuchPage.answer.answerId, ofAnother.answer.answerId}), Ids(refused));
    for (const OutboxEntry& entry : refused) {
        EXPECT_NE(std::string::npos, entry.refusal.find(entry.answer.page == 99 ? "23503" : "no longer on"))
            << entry.refusal;
    }
    EXPECT_EQ(1, TeamTest::Count(*connection, L"SELECT count(*) FROM tarsil_answers"));
    EXPECT_EQ(1, TeamTest::Count(*connection, L"SELECT count(*) FROM tarsil_answers WHERE text = 'one'"));
}
