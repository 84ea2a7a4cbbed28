// Answers: sent twice, recorded once; the first answer committed to a word stands; numbered
// in commit order without gaps; every station's decisions proposed to every other.

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "PageLeases.h"
#include "TeamAnswers.h"
#include "TeamBatches.h"
#include "TeamPages.h"
#include "TeamProposals.h"
#include "TeamSchema.h"
#include "TeamServer.h"
#include "TeamTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

namespace {

std::int64_t MakeBatch(const std::wstring& database, int pages)
{
    DatabaseConnection connection(database);
    TeamSchema::Ensure(connection);
    return TeamBatches::Open(connection, "job", TeamTest::Batch(connection, pages), TeamTest::Station("first")).id;
}

} // namespace

TEST(TeamAnswers, SentTwiceRecordedOnceTheFirstStandsAndAllNumberedInCommitOrder)
{
    const std::wstring database = TeamTest::FreshDatabase();
    const std::int64_t batch = MakeBatch(database, 2);
    DatabaseConnection first(database);
    DatabaseConnection second(database);
    const TeamStation one = TeamTest::Station("one");
    const TeamStation two = TeamTest::Station("two");
    PageLeases::Register(first, batch, one);
    const TeamLease lease = PageLeases::TakeNext(first, batch, one, 120).value();

    const TeamAnswer answer = TeamTest::Answer(one, 1, 1, 4, "teh", "the");
    const AnswerReceipt recorded = TeamAnswers::RecordHeld(first, batch, lease, answer);
    EXPECT_EQ(AnswerFate::Recorded, recorded.fate);
    EXPECT_EQ(1, recorded.order);
    EXPECT_TRUE(recorded.pageHeld);
    // Its commit lost on the way back, the station sends it again.
    const AnswerReceipt again = TeamAnswers::Record(second, batch, answer);
    EXPECT_EQ(AnswerFate::AlreadyRecorded, again.fate);
    EXPECT_EQ(1, again.order);
    const AnswerReceipt another = TeamAnswers::Record(second, batch, TeamTest::Answer(two, 1, 1, 4, "teh", "ten"));
    EXPECT_EQ(AnswerFate::AnsweredByAnother, another.fate);
    EXPECT_EQ(1, another.order);
    EXPECT_FALSE(another.pageHeld);
    TeamAnswer skipped = TeamTest::Answer(one, 2, 1, 5, "overlong");
    skipped.outcome = WordOutcome::kSkipped;
    skipped.reason = "longer than 83 characters";
    EXPECT_EQ(0, TeamAnswers::Record(first, batch, skipped).order);
    TeamAnswer cancelled = TeamTest::Answer(one, 3, 1, 6, "x");
    cancelled.outcome = WordOutcome::kCancel;
    EXPECT_THROW(TeamAnswers::Record(first, batch, cancelled), std::invalid_argument);

    // Three stations answering at once: one number each, 2 to 61, none twice, none missing.
    std::vector<std::int64_t> orders[3];
    double milliseconds = 0;
    std::vector<std::function<void()>> stations;
    for (int s = 0; s < 3; ++s) {
        stations.push_back([&, s] {
            DatabaseConnection connection(database);
            const TeamStation station = TeamTest::Station("busy" + std::to_string(s));
            LARGE_INTEGER frequency, started, ended;
            ::QueryPerformanceFrequency(&frequency);
            ::QueryPerformanceCounter(&started);
            for (int word = 0; word < 20; ++word) {
                const TeamAnswer mine = TeamTest::Answer(station, word, 2, s * 100 + word, "w");
                orders[s].push_back(TeamAnswers::Record(connection, batch, mine).order);
            }
            ::QueryPerformanceCounter(&ended);
            if (s == 0) {
                milliseconds = 1000.0 * static_cast<double>(ended.QuadPart - started.QuadPart) /
                               static_cast<double>(frequency.QuadPart) / 20;
            }
        });
    }
    TeamTest::AtOnce(stations);
    std::vector<std::int64_t> all;
    for (const std::vector<std::int64_t>& mine : orders) {
        EXPECT_TRUE(std::is_sorted(mine.begin(), mine.end()));
        all.insert(all.end(), mine.begin(), mine.end());
    }
    std::sort(all.begin(), all.end());
    ASSERT_EQ(60u, all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(static_cast<std::int64_t>(i) + 2, all[i]);
    }
    std::printf("an answer's commit: %.1f ms, three stations answering at once\n", milliseconds);

    TeamPages::MarkDone(first, batch, one, lease);
    const TeamPage page = TeamPages::Load(second, batch, 1);
    EXPECT_EQ(PageState::kDone, page.state);
    ASSERT_EQ(2u, page.answers.size()); // one per word: the skipped one too
    const TeamAnswer& kept = page.answers[0];
    EXPECT_EQ(answer.answerId, kept.answerId);
    EXPECT_EQ("the", kept.corrected);
    EXPECT_TRUE(kept.changed);
    EXPECT_EQ(40, kept.box.left);
    EXPECT_EQ(2.5, kept.seconds);
    EXPECT_EQ("one", kept.operatorName);
    EXPECT_GT(kept.answeredAt, 1.7e9); // the server's time, seconds since 1970
    EXPECT_EQ(WordOutcome::kSkipped, page.answers[1].outcome);
    EXPECT_EQ("longer than 83 characters", page.answers[1].reason);
}

// A station whose network goes silent in the middle of an answer's transaction holds the
// lock that numbers the batch's answers: the server ends its session after a few idle
// seconds, and the other stations' answers go through well before their statements' time
// limit. The silent station finds its connection lost (and sends its answer again).
TEST(TeamAnswers, AStationSilentInsideItsCommitHoldsTheOthersForSecondsOnly)
{
    const std::wstring database = TeamTest::FreshDatabase();
    const std::int64_t batch = MakeBatch(database, 1);
    const TeamServer server(database, DatabaseConnection::Waits{10, 20, 30}, 2);
    const std::unique_ptr<DatabaseConnection> silent = server.Connect();
    const std::unique_ptr<DatabaseConnection> other = server.Connect();
    {
        DatabaseStatement numbered(*silent, L"UPDATE tarsil_batches SET answers = answers + 1 WHERE id = ?");
        numbered.BindInteger(1, batch);
        numbered.Execute(); // and nothing after it
    }
    const ULONGLONG started = ::GetTickCount64();
    const TeamAnswer answer = TeamTest::Answer(TeamTest::Station("other"), 1, 1, 1, "a");
    EXPECT_EQ(AnswerFate::Recorded, TeamAnswers::Record(*other, batch, answer).fate);
    EXPECT_LT(::GetTickCount64() - started, 10000u);
    try {
        silent->Commit();
        ADD_FAILURE() << "a transaction the server ended was committed";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.ConnectionLost()) << error.what();
    }
}

// A correction committed on one station is a decision every other station learns by asking
// for those after the last it saw: OK on the recognised text withdraws it, Ignore decides
// nothing.
TEST(TeamProposals, EveryStationsDecisionsInCommitOrder)
{
    const std::wstring database = TeamTest::FreshDatabase();
    const std::int64_t batch = MakeBatch(database, 1);
    DatabaseConnection first(database);
    DatabaseConnection second(database);
    const TeamStation one = TeamTest::Station("one");
    const TeamStation two = TeamTest::Station("two");

    TeamAnswers::Record(first, batch, TeamTest::Answer(one, 1, 1, 1, "teh", "the"));
    TeamAnswer ignored = TeamTest::Answer(one, 2, 1, 2, "teh");
    ignored.outcome = WordOutcome::kIgnore;
    TeamAnswers::Record(first, batch, ignored);
    std::vector<TeamDecision> seen = TeamProposals::After(second, batch, 0);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("teh", seen[0].recognised);
    EXPECT_TRUE(seen[0].changed);
    EXPECT_EQ("the", seen[0].corrected);

    // The second station types the recognised text back over the proposal.
    TeamAnswers::Record(second, batch, TeamTest::Answer(two, 1, 1, 3, "teh"));
    TeamAnswers::Record(second, batch, TeamTest::Answer(two, 2, 1, 4, "wrod", "word"));
    seen = TeamProposals::After(first, batch, seen.back().order);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("teh", seen[0].recognised);
    EXPECT_FALSE(seen[0].changed);
    EXPECT_EQ("wrod", seen[1].recognised);
    EXPECT_EQ("word", seen[1].corrected);
    EXPECT_TRUE(TeamProposals::After(first, batch, seen.back().order).empty());
}
