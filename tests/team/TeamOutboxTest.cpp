// Run by team-outbox-test, which stops this test's own server once the test has connected
// and starts it again once the test has kept what it could not send; not registered with
// ctest by itself.

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "OutboxSender.h"
#include "PageLeases.h"
#include "ServerRetry.h"
#include "SessionFailure.h"
#include "TeamAnswers.h"
#include "StationOptions.h"
#include "TeamBatches.h"
#include "TeamCommand.h"
#include "TeamOutbox.h"
#include "TeamSchema.h"
#include "TeamServer.h"
#include "TeamStore.h"
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
// and the answers stay in the outbox, where they went before they were sent. A server back
// within the time allowed gets the next answer through a new connection, and a report of the
// batch that waited for it as the store does. The next run sends the outbox first: each
// answer is recorded once, however often it is sent.
TEST(TeamOutbox, UnsentAnswersOutliveTheServerAndAreSentOnceOnTheNextRun)
{
    const wchar_t* signals = _wgetenv(L"TARSIL_TEST_SIGNALS");
    ASSERT_NE(nullptr, signals) << "run by team-outbox-test";
    const std::wstring outboxPath = std::wstring(signals) + L"/outbox.json";
    const std::wstring database = TeamTest::FreshDatabase();
    const TeamServer server(database, DatabaseConnection::Waits{3, 5, 30});
    std::vector<std::string> notices;
    const auto away = [&](const DatabaseError& failure, unsigned seconds) {
        notices.push_back("the server is away, retrying in " + std::to_string(seconds) + " s: " + failure.what());
    };
    ServerRetry brief(server, ServerRetry::Settings{3, 500, 1000}, away);
    const TeamStation station = TeamTest::Station("me");
    OutboxAddress here;
    brief.Run([&](DatabaseConnection& connection) {
        TeamSchema::Ensure(connection);
        const TeamBatch batch = TeamBatches::Open(connection, "job", TeamTest::Batch(connection, 2), station);
        PageLeases::Register(connection, batch.id, station);
        here = {TeamServer::Describe(connection), batch.id, "job", batch.createdAt};
    });
    const auto record = [&](ServerRetry& retry, const TeamAnswer& answer) {
        AnswerReceipt receipt;
        retry.Run(
            [&](DatabaseConnection& connection) { receipt = TeamAnswers::Record(connection, here.batch, answer); });
        return receipt;
    };
    EXPECT_EQ(AnswerFate::Recorded, record(brief, TeamTest::Answer(station, 1, 1, 1, "one")).fate);
    // A station that holds a page, whose answer below is in the outbox while its retries
    // wait: closing the station then loses nothing.
    TeamStore::Settings settings;
    settings.connection = database;
    settings.batch = here.batch;
    settings.batchName = here.batchName;
    settings.batchCreated = here.batchCreated;
    settings.server = here.server;
    settings.station = TeamTest::Station("store");
    settings.retry = ServerRetry::Settings{3, 500, 1000};
    settings.outbox = outboxPath;
    SessionRecord session;
    session.pages.resize(1);
    std::vector<size_t> keptWhileWaiting;
    TeamStore store(session, settings, [&](const std::string& line) {
        if (line.find("trying again") != std::string::npos) {
            keptWhileWaiting.push_back(TeamOutbox(outboxPath).Entries().size());
        }
    });
    ASSERT_TRUE(store.TakePage(0));
    ScriptSignals::Raise(signals, L"connected");
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::WaitFor(signals, L"stopped")) << "the server was not stopped";

    TeamOutbox outbox(outboxPath);
    const TeamAnswer kept = TeamTest::Answer(station, 2, 1, 2, "w\xC3\xB6rd", "word");
    const OutboxEntry entry{here, kept, ""};
    outbox.Keep(entry);
    try {
        outbox.Deliver(entry, [&] { return record(brief, kept); });
        ADD_FAILURE() << "an answer was recorded on a stopped server";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.ConnectionLost()) << error.what();
    }
    VerifiedWord word;
    word.index = 3;
    word.text = word.corrected = "three";
    word.outcome = WordOutcome::kOk;
    PageWords::Word shown;
    shown.index = word.index;
    EXPECT_THROW(store.RecordAnswer(0, word, PageWords({shown}, 1)), SessionFailure);
    ASSERT_FALSE(keptWhileWaiting.empty());
    EXPECT_EQ(2u, keptWhileWaiting.front());
    ASSERT_FALSE(notices.empty());
    std::printf("%s\n", notices.front().c_str());
    for (const std::string& notice : notices) {
        EXPECT_EQ(std::string::npos, notice.find(WideToUtf8(TestServer::Password()))) << notice;
    }
    ScriptSignals::Raise(signals, L"kept");

    // The server comes back while the next answer and --status wait for it.
    ServerRetry patient(server, ServerRetry::Settings{60, 500, 1000}, away);
    StationOptions report;
    report.team = database;
    report.batch = L"job";
    report.status = true;
    std::vector<std::string> printed;
    AnswerFate fourth = AnswerFate::AnsweredByAnother;
    TeamTest::AtOnce({[&] { fourth = record(patient, TeamTest::Answer(station, 4, 1, 4, "four")).fate; },
                      [&] { TeamCommand::Run(report, [&](const std::string& line) { printed.push_back(line); }); }});
    EXPECT_EQ(AnswerFate::Recorded, fourth);
    ASSERT_GE(printed.size(), 2u);
    EXPECT_NE(std::string::npos, printed.front().find("the team's server is away (")) << printed.front();
    EXPECT_EQ(0u, printed.back().find("the batch: ")) << printed.back();

    // The next run.
    TeamOutbox next(outboxPath);
    ASSERT_EQ(2u, next.Entries().size());
    EXPECT_EQ("w\xC3\xB6rd", next.Entries()[0].answer.text);
    OutboxSummary sent;
    patient.Run([&](DatabaseConnection& connection) { sent = OutboxSender::SendHere(connection, next, here); });
    ASSERT_EQ(2u, sent.sent.size());
    EXPECT_EQ(AnswerFate::Recorded, sent.sent[0].fate);
    EXPECT_EQ(AnswerFate::Recorded, sent.sent[1].fate);
    EXPECT_TRUE(TeamOutbox(outboxPath).Entries().empty());
    EXPECT_FALSE(Exists(outboxPath)); // gone with a station done with it
    EXPECT_EQ(AnswerFate::AlreadyRecorded, record(patient, kept).fate);
    patient.Run([&](DatabaseConnection& connection) {
        DatabaseStatement count(connection, L"SELECT count(*) FROM tarsil_answers");
        count.Execute();
        ASSERT_TRUE(count.Fetch());
        EXPECT_EQ(4, count.Integer(1));
        connection.Commit();
    });
}
