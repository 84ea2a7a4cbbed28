// Pages shared by stations: each page taken by one station at a time, a lease that runs out
// taken over and resumed at the first unanswered word, a lease kept alive from another
// thread while the operator's thread waits.

#include "DatabaseConnection.h"
#include "LeaseRenewer.h"
#include "PageLeases.h"
#include "TeamAnswers.h"
#include "TeamBatches.h"
#include "TeamPages.h"
#include "TeamSchema.h"
#include "TeamServer.h"
#include "TeamTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

struct TeamFixture {
    std::wstring database;
    std::int64_t batch = 0;
};

TeamFixture MakeBatch(int pages)
{
    TeamFixture team;
    team.database = TeamTest::FreshDatabase();
    DatabaseConnection connection(team.database);
    TeamSchema::Ensure(connection);
    team.batch = TeamBatches::Open(connection, "job", TeamTest::Batch(connection, pages), TeamTest::Station("first")).id;
    return team;
}

// A station as the session uses it: its identity, registered with the batch.
TeamStation Registered(DatabaseConnection& connection, const TeamFixture& team, const std::string& operatorName)
{
    TeamStation station = TeamTest::Station(operatorName);
    PageLeases::Register(connection, team.batch, station);
    return station;
}

} // namespace

// Three stations take pages as fast as they can until none is left: every page is taken,
// each by one station only.
TEST(PageLeases, StationsTakingAtOnceTakeEachPageOnce)
{
    const TeamFixture team = MakeBatch(12);
    std::vector<int> taken[3];
    double takeMilliseconds[3] = {};
    std::vector<std::function<void()>> stations;
    for (int s = 0; s < 3; ++s) {
        stations.push_back([&, s] {
            DatabaseConnection connection(team.database);
            const TeamStation station = Registered(connection, team, "operator" + std::to_string(s));
            LARGE_INTEGER frequency, started, ended;
            ::QueryPerformanceFrequency(&frequency);
            for (;;) {
                ::QueryPerformanceCounter(&started);
                const std::optional<TeamLease> lease = PageLeases::TakeNext(connection, team.batch, station, 120);
                ::QueryPerformanceCounter(&ended);
                if (!lease) {
                    break;
                }
                takeMilliseconds[s] += 1000.0 * static_cast<double>(ended.QuadPart - started.QuadPart) /
                                       static_cast<double>(frequency.QuadPart);
                taken[s].push_back(lease->position);
            }
        });
    }
    TeamTest::AtOnce(stations);
    std::map<int, int> takes;
    for (const std::vector<int>& pages : taken) {
        for (const int page : pages) {
            ++takes[page];
        }
        // Each station takes in the batch's order.
        EXPECT_TRUE(std::is_sorted(pages.begin(), pages.end()));
    }
    ASSERT_EQ(12u, takes.size());
    for (const auto& [page, count] : takes) {
        EXPECT_EQ(1, count) << "page " << page;
    }
    std::printf("pages taken by the three stations: %zu, %zu, %zu; a take %.1f ms on average\n", taken[0].size(),
                taken[1].size(), taken[2].size(),
                (takeMilliseconds[0] + takeMilliseconds[1] + takeMilliseconds[2]) / 12);
}

// A station that stopped renewing (it died, or lost the server) loses its page when the lease
// runs out: the next station takes it and resumes at the first word nobody answered. The
// first station, back, learns that it lost the page; its answer to a word answered since is
// not recorded.
TEST(PageLeases, AnExpiredLeaseIsTakenOverAndResumedAtTheFirstUnansweredWord)
{
    const TeamFixture team = MakeBatch(3);
    DatabaseConnection first(team.database);
    DatabaseConnection second(team.database);
    const TeamStation away = Registered(first, team, "away");
    const TeamStation next = Registered(second, team, "next");

    const TeamLease lease = PageLeases::TakeNext(first, team.batch, away, 1).value();
    EXPECT_EQ(1, lease.position);
    EXPECT_EQ(AnswerFate::Recorded, TeamAnswers::Record(first, team.batch, TeamTest::Answer(away, 1, 1, 1, "a")).fate);
    EXPECT_EQ(AnswerFate::Recorded, TeamAnswers::Record(first, team.batch, TeamTest::Answer(away, 2, 1, 2, "b")).fate);
    // Held: the other station gets the next page.
    const TeamLease other = PageLeases::TakeNext(second, team.batch, next, 120).value();
    EXPECT_EQ(2, other.position);

    ::Sleep(1500);
    const TeamLease takenOver = PageLeases::TakeNext(second, team.batch, next, 120).value();
    EXPECT_EQ(1, takenOver.position);
    const TeamPage page = TeamPages::Load(second, team.batch, 1);
    EXPECT_EQ(PageState::kInProgress, page.state);
    ASSERT_EQ(2u, page.answers.size());
    EXPECT_EQ(1, page.answers[0].index);
    EXPECT_EQ(2, page.answers[1].index); // the new holder resumes at word 3
    const AnswerReceipt resumed =
        TeamAnswers::RecordHeld(second, team.batch, takenOver, TeamTest::Answer(next, 1, 1, 3, "c"));
    EXPECT_EQ(AnswerFate::Recorded, resumed.fate);
    EXPECT_TRUE(resumed.pageHeld);

    EXPECT_FALSE(PageLeases::Renew(first, team.batch, away, lease, 120));
    const AnswerReceipt late = TeamAnswers::RecordHeld(first, team.batch, lease, TeamTest::Answer(away, 3, 1, 3, "c"));
    EXPECT_EQ(AnswerFate::AnsweredByAnother, late.fate);
    EXPECT_FALSE(late.pageHeld);
    EXPECT_EQ(resumed.order, late.order);
    // Failing the page it lost changes nothing.
    EXPECT_FALSE(TeamPages::MarkFailed(first, team.batch, away, lease, "engine failed"));
    EXPECT_EQ(PageState::kInProgress, TeamPages::Load(second, team.batch, 1).state);
}

// Every write a station makes to a page checks, in its own statement, that the station
// still holds it: the lease's serial is the page's latest take. A lease that ran out with
// nobody taking the page is still the station's (a zero-second lease runs out at once);
// once another took it, the station can neither answer, finish nor renew it. Answers kept
// by an earlier run (no lease) are recorded while the page is not done.
TEST(PageLeases, EveryWriteChecksTheLeaseAndOneNobodyTookOverIsStillTheStations)
{
    const TeamFixture team = MakeBatch(1);
    DatabaseConnection first(team.database);
    DatabaseConnection second(team.database);
    const TeamStation away = Registered(first, team, "away");
    const TeamStation next = Registered(second, team, "next");

    const TeamLease lease = PageLeases::Take(first, team.batch, away, 1, 0).value();
    const AnswerReceipt back = TeamAnswers::RecordHeld(first, team.batch, lease, TeamTest::Answer(away, 1, 1, 1, "a"));
    EXPECT_EQ(AnswerFate::Recorded, back.fate);
    EXPECT_TRUE(back.pageHeld);

    const TeamLease taken = PageLeases::Take(second, team.batch, next, 1, 120).value();
    const AnswerReceipt late = TeamAnswers::RecordHeld(first, team.batch, lease, TeamTest::Answer(away, 2, 1, 2, "b"));
    EXPECT_EQ(AnswerFate::PageLost, late.fate);
    EXPECT_FALSE(late.pageHeld);
    EXPECT_FALSE(TeamPages::MarkDone(first, team.batch, away, lease));
    EXPECT_FALSE(PageLeases::Renew(first, team.batch, away, lease, 120));
    const TeamPage page = TeamPages::Load(second, team.batch, 1);
    EXPECT_EQ(PageState::kInProgress, page.state);
    EXPECT_EQ(1u, page.answers.size());

    EXPECT_EQ(AnswerFate::Recorded, TeamAnswers::Record(first, team.batch, TeamTest::Answer(away, 3, 1, 3, "c")).fate);
    EXPECT_TRUE(TeamPages::MarkDone(second, team.batch, next, taken));
    EXPECT_EQ(AnswerFate::PageLost, TeamAnswers::Record(first, team.batch, TeamTest::Answer(away, 4, 1, 4, "d")).fate);
    EXPECT_EQ(2u, TeamPages::Load(second, team.batch, 1).answers.size());
}

// A take whose acknowledgement was lost (committed, the answer lost on the way) is run
// again: the station gets the page it took, not nothing, and it stays the station's.
TEST(PageLeases, ATakeRetriedAfterItsAcknowledgementWasLostGetsThePage)
{
    const TeamFixture team = MakeBatch(2);
    DatabaseConnection first(team.database);
    DatabaseConnection second(team.database);
    const TeamStation station = Registered(first, team, "station");
    const TeamStation other = Registered(second, team, "other");

    PageLeases::Take(first, team.batch, station, 2, 120).value(); // its acknowledgement lost
    const std::optional<TeamLease> retried = PageLeases::Take(first, team.batch, station, 2, 120);
    ASSERT_TRUE(retried.has_value());
    EXPECT_EQ(2, retried->position);
    EXPECT_TRUE(PageLeases::Renew(first, team.batch, station, *retried, 120));
    EXPECT_FALSE(PageLeases::Take(second, team.batch, other, 2, 120).has_value());
}

// The operator's thread waits in a dialog far longer than the lease while another thread
// renews it on a connection of its own: no other station takes the page. A page another
// station took after the lease ran out is reported lost.
TEST(LeaseRenewer, KeepsTheLeasesWhileTheOperatorWaitsAndReportsOneLost)
{
    const TeamFixture team = MakeBatch(3);
    DatabaseConnection operatorThread(team.database);
    DatabaseConnection otherStation(team.database);
    const TeamStation station = Registered(operatorThread, team, "slow");
    const TeamStation other = Registered(otherStation, team, "other");
    const TeamServer server(team.database);

    const TeamLease first = PageLeases::TakeNext(operatorThread, team.batch, station, 2).value();
    const TeamLease second = PageLeases::TakeNext(operatorThread, team.batch, station, 1).value();
    LeaseRenewer renewer(server, team.batch, station, 2, 300);
    renewer.Hold(first);
    ::Sleep(1500); // the second page's lease runs out, not renewed
    EXPECT_EQ(2, PageLeases::TakeNext(otherStation, team.batch, other, 120).value().position);
    EXPECT_EQ(3, PageLeases::TakeNext(otherStation, team.batch, other, 120).value().position);
    renewer.Hold(second);
    ::Sleep(2500); // the dialog: longer than the lease
    EXPECT_FALSE(PageLeases::TakeNext(otherStation, team.batch, other, 120).has_value());
    EXPECT_FALSE(renewer.Lost(first.position));
    EXPECT_TRUE(renewer.Lost(second.position));
    EXPECT_EQ("", renewer.Failure());
}
