// Run by team-outbox-test, which stops this test's own server once the test has connected
// and starts it again once the test has kept what it could not send; not registered with
// ctest by itself.

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "PageLeases.h"
#include "ServerRetry.h"
#include "TeamAnswers.h"
#include "TeamBatches.h"
#include "TeamOutbox.h"
#include "TeamSchema.h"
#include "TeamServer.h"
#include "TeamTestSupport.h"
#include "TestServer.h"
#include "Utf8.h"
#include "support/FileExists.h"
#include "support/ScriptSignals.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// The server stops under a station: its retries say so and give up after the time allowed,
// and the answers go to the outbox. A server back within the time allowed gets the next
// answer through a new connection. The next run sends the outbox first: each answer is
// recorded once, however often it is sent.
TEST(TeamOutbox, UnsentAnswersOutliveTheServerAndAreSentOnceOnTheNextRun)
{
    const wchar_t* signals = _wgetenv(L"TARSIL_TEST_SIGNALS");
    ASSERT_NE(nullptr, signals) << "run by team-outbox-test";
    const std::wstring outboxPath = std::wstring(signals) + L"/outbox.json";
    const TeamServer server(TeamTest::FreshDatabase(), DatabaseConnection::Waits{3, 5, 30});
    std::vector<std::string> notices;
    const auto away = [&](const DatabaseError& failure, unsigned seconds) {
        notices.push_back("the server is away, retrying in " + std::to_string(seconds) + " s: " + failure.what());
    };
    ServerRetry brief(server, ServerRetry::Settings{3, 500, 1000}, away);
    const TeamStation station = TeamTest::Station("me");
    std::int64_t batch = 0;
    brief.Run([&](DatabaseConnection& connection) {
        TeamSchema::Ensure(connection);
        batch = TeamBatches::Open(connection, "job", TeamTest::Batch(connection, 2), station).id;
        PageLeases::Register(connection, batch, station);
    });
    const auto record = [&](ServerRetry& retry, const TeamAnswer& answer) {
        AnswerReceipt receipt;
        retry.Run([&](DatabaseConnection& connection) { receipt = TeamAnswers::Record(connection, batch, answer); });
        return receipt;
    };
    EXPECT_EQ(AnswerFate::Recorded, record(brief, TeamTest::Answer(station, 1, 1, 1, "one")).fate);
    ScriptSignals::Raise(signals, L"connected");
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::WaitFor(signals, L"stopped")) << "the server was not stopped";

    TeamOutbox outbox(outboxPath);
    outbox.Load();
    const TeamAnswer kept = TeamTest::Answer(station, 2, 1, 2, "w\xC3\xB6rd", "word");
    for (const TeamAnswer& answer : {kept, TeamTest::Answer(station, 3, 1, 3, "three")}) {
        try {
            record(brief, answer);
            ADD_FAILURE() << "an answer was recorded on a stopped server";
        } catch (const DatabaseError& error) {
            EXPECT_TRUE(error.ConnectionLost()) << error.what();
            outbox.Add("job", answer);
        }
    }
    ASSERT_FALSE(notices.empty());
    std::printf("%s\n", notices.front().c_str());
    for (const std::string& notice : notices) {
        EXPECT_EQ(std::string::npos, notice.find(WideToUtf8(TestServer::Password()))) << notice;
    }
    ScriptSignals::Raise(signals, L"kept");

    // The server comes back while the next answer waits for it.
    ServerRetry patient(server, ServerRetry::Settings{60, 500, 1000}, away);
    EXPECT_EQ(AnswerFate::Recorded, record(patient, TeamTest::Answer(station, 4, 1, 4, "four")).fate);

    // The next run.
    TeamOutbox next(outboxPath);
    next.Load();
    ASSERT_EQ(2u, next.Entries().size());
    EXPECT_EQ("w\xC3\xB6rd", next.Entries()[0].answer.text);
    const std::vector<AnswerReceipt> receipts =
        next.Send([&](const OutboxEntry& entry) { return record(patient, entry.answer); });
    ASSERT_EQ(2u, receipts.size());
    EXPECT_EQ(AnswerFate::Recorded, receipts[0].fate);
    EXPECT_EQ(AnswerFate::Recorded, receipts[1].fate);
    EXPECT_FALSE(Exists(outboxPath));
    TeamOutbox after(outboxPath);
    after.Load();
    EXPECT_TRUE(after.Entries().empty());
    EXPECT_EQ(AnswerFate::AlreadyRecorded, record(patient, kept).fate);
    patient.Run([&](DatabaseConnection& connection) {
        DatabaseStatement count(connection, L"SELECT count(*) FROM tarsil_answers");
        count.Execute();
        ASSERT_TRUE(count.Fetch());
        EXPECT_EQ(4, count.Integer(1));
        connection.Commit();
    });
}
