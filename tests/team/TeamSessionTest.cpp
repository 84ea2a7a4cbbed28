// Stations sharing one batch through the build tree's PostgreSQL server: real stations
// (tarsil_verify answering every dialog by itself), their answers checked in the database.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "PageLeases.h"
#include "ScratchFolder.h"
#include "TeamBatches.h"
#include "TeamServer.h"
#include "TeamTestSupport.h"
#include "TestServer.h"
#include "Utf8.h"
#include "support/ChildProcess.h"
#include "support/StartedChild.h"

namespace {

using TeamTest::Count;
using TeamTest::Occurrences;
using TeamTest::Quoted;

std::wstring StationData(const std::wstring& name)
{
    return std::wstring(TARSIL_STATION_DATA) + L"/" + name;
}

// `pages` copies of the committed scan, each with Tesseract's TSV beside it, in a folder.
std::wstring Scans(const ScratchFolder& folder, const std::wstring& name, int pages)
{
    const std::wstring scans = folder / name;
    ::CreateDirectoryW(scans.c_str(), nullptr);
    for (int page = 1; page <= pages; ++page) {
        const std::wstring base = scans + L"\\page" + std::to_wstring(page);
        EXPECT_TRUE(::CopyFileW(StationData(L"page.png").c_str(), (base + L".png").c_str(), FALSE));
        EXPECT_TRUE(::CopyFileW(StationData(L"page.tsv").c_str(), (base + L".tsv").c_str(), FALSE));
    }
    return scans;
}

// The command line of a station on the batch "scans" of `connection`, with an outbox of its own.
std::wstring Station(const std::wstring& connection, const std::wstring& outbox, const std::wstring& more)
{
    return L"--team " + Quoted(connection) + L" --batch scans --outbox " + Quoted(outbox) + L" " + more;
}

// One number the database gives.

constexpr int kUncertainWords = 7; // of the committed scan's 33, below 90

} // namespace

TEST(TeamSession, ThreeStationsAtOnceAnswerEveryWordOnceAndAJoinWithOtherInputsIsRefused)
{
    const ScratchFolder folder;
    const std::wstring connection = TeamTest::FreshDatabase();
    const std::wstring scans = Scans(folder, L"scans", 3);
    std::vector<ChildProcess> runs(3);
    std::vector<std::function<void()>> stations;
    for (size_t i = 0; i < runs.size(); ++i) {
        stations.push_back([&, i] {
            runs[i] = ChildProcess::Run(L"tarsil_verify.exe",
                                        Station(connection, folder / (L"outbox" + std::to_wstring(i)),
                                                L"--press ok " + Quoted(scans)),
                                        120000);
        });
    }
    TeamTest::AtOnce(stations);

    const std::unique_ptr<DatabaseConnection> database = TeamServer(connection).Connect();
    size_t shown = 0;
    for (const ChildProcess& run : runs) {
        EXPECT_EQ(run.exitCode, 0U) << run.output;
        EXPECT_EQ(Occurrences(run.output, "answered by another station"), 0U) << run.output;
        shown += Occurrences(run.output, " ok \"");
    }
    // Every word once: the dialogs shown across the stations are the answers kept.
    EXPECT_EQ(shown, 3U * kUncertainWords);
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE outcome = 'ok'"), 3 * kUncertainWords);
    EXPECT_EQ(Count(*database, L"SELECT count(DISTINCT (position, word_index)) FROM tarsil_answers"),
              3 * kUncertainWords);
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_pages WHERE state = 'done'"), 3);

    // A station joining with a page of other content is refused, naming its file.
    const std::wstring other = Scans(folder, L"other", 3);
    HANDLE file = ::CreateFileW((other + L"\\page2.tsv").c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, "\n", 1, &written, nullptr);
    ::CloseHandle(file);
    const ChildProcess refused =
        ChildProcess::Run(L"tarsil_verify.exe", Station(connection, folder / L"outbox", L"--press ok " + Quoted(other)));
    EXPECT_EQ(refused.exitCode, 2U) << refused.output;
    EXPECT_NE(refused.output.find("page2.tsv"), std::string::npos) << refused.output;

    // A database that cannot be reached is named, without the password, once the time the
    // server may stay away has run out.
    std::wstring wrong = connection;
    wrong.replace(wrong.find(L"Database="), 9, L"Database=nosuch");
    const ChildProcess unreachable = ChildProcess::Run(
        L"tarsil_verify.exe", Station(wrong, folder / L"outbox", L"--retry-seconds 1 --press ok " + Quoted(scans)));
    EXPECT_EQ(unreachable.exitCode, 1U) << unreachable.output;
    EXPECT_NE(unreachable.output.find("nosuch"), std::string::npos) << unreachable.output;

    const std::string password = WideToUtf8(TestServer::Password());
    const std::initializer_list<const ChildProcess*> all = {&runs[0], &runs[1], &runs[2], &refused, &unreachable};
    for (const ChildProcess* run : all) {
        EXPECT_EQ(run->output.find(password), std::string::npos) << run->output;
    }
}

TEST(TeamSession, AStationKilledMidPageLeavesItToAnotherWhichProposesItsCorrection)
{
    const ScratchFolder folder;
    const std::wstring connection = TeamTest::FreshDatabase();
    const std::wstring scans = Scans(folder, L"scans", 2);
    const std::wstring answers = folder / L"answers.txt";
    TeamTest::WriteText(answers, "\xE2\x80\x9C" "based\tbased\n");

    // Every word of the page shown, so that the station is killed in the middle of it, once
    // its correction is committed.
    long long before = 0;
    {
        const StartedChild first(L"tarsil_verify.exe",
                                 Station(connection, folder / L"outbox1",
                                         L"--below 101 --lease-seconds 3 --press ok --answers " + Quoted(answers) +
                                             L" " + Quoted(scans)),
                                 false);
        ASSERT_TRUE(first.Started()) << first.Failure();
        std::unique_ptr<DatabaseConnection> database;
        for (int wait = 0; wait < 1200 && before < 6; ++wait) {
            ::Sleep(50);
            try {
                database = database ? std::move(database) : TeamServer(connection).Connect();
                before = Count(*database, L"SELECT count(*) FROM tarsil_answers");
            } catch (const std::exception&) {
                before = 0; // the tables are not made yet
                database.reset();
            }
        }
        first.EndAll(1);
        ASSERT_EQ(::WaitForSingleObject(first.Process(), 60000), WAIT_OBJECT_0) << "the killed station is still running";
    }
    const std::unique_ptr<DatabaseConnection> database = TeamServer(connection).Connect();
    before = Count(*database, L"SELECT count(*) FROM tarsil_answers");
    ASSERT_GE(before, 6);
    ASSERT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_pages WHERE state = 'done'"), 0)
        << "the first station finished its page before it was killed";
    ASSERT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE outcome <> 'ok'"), 0);
    ASSERT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE corrected = 'based' AND changed"), 1);

    // The killed station's lease runs out by the server's clock.
    long long held = 0;
    for (int wait = 0; wait < 600; ++wait) {
        held = Count(*database, L"SELECT count(*) FROM tarsil_pages WHERE lease_until > now()");
        if (held == 0) {
            break;
        }
        ::Sleep(100);
    }
    ASSERT_EQ(held, 0) << "the killed station's lease did not run out";
    const ChildProcess second = ChildProcess::Run(
        L"tarsil_verify.exe", Station(connection, folder / L"outbox2", L"--press ok " + Quoted(scans)), 120000);
    EXPECT_EQ(second.exitCode, 0U) << second.output;
    // The killed station's answers stand, and its page is finished from its first unanswered
    // word: every word of both pages answered once, none shown twice.
    const long long firstPage = Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE position = 1");
    EXPECT_EQ(firstPage, Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE position = 2"));
    EXPECT_GT(firstPage, before);
    EXPECT_EQ(static_cast<long long>(Occurrences(second.output, " ok \"")),
              Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE outcome = 'ok'") - before)
        << second.output;
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_pages WHERE state = 'done'"), 2);
    // The first station's correction, proposed to the second on the other page, and taken.
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE position = 2 AND proposed = 'based'"
                               L" AND proposal = 'accepted' AND corrected = 'based'"),
              1)
        << second.output;
}

// The first station fixes the batch's rule, --catch here; a station joining with another is
// told so, and chooses by the batch's. Its model learns from every station's answers: the
// same page is chosen otherwise after another station corrected every word of its twin than
// with no answers.
TEST(TeamSession, TheFirstStationsCatchRuleIsTheBatchsAndLearnsFromEveryStationsAnswers)
{
    const ScratchFolder folder;
    const std::wstring connection = TeamTest::FreshDatabase();
    const std::wstring scans = Scans(folder, L"scans", 2);
    // It makes the batch, and stops at its first dialog.
    const ChildProcess first = ChildProcess::Run(
        L"tarsil_verify.exe", Station(connection, folder / L"outbox1", L"--catch 95 --press cancel " + Quoted(scans)),
        120000);
    ASSERT_EQ(first.exitCode, 0U) << first.output;
    const std::unique_ptr<DatabaseConnection> database = TeamServer(connection).Connect();
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_batches WHERE catch_percent = 95"), 1);

    // Page 1 held meanwhile, so that the joining station answers page 2 alone, correcting
    // every word it is shown.
    const std::int64_t batch = TeamBatches::Find(*database, "scans").value_or(0);
    const TeamStation holder = TeamTest::Station("holder");
    PageLeases::Register(*database, batch, holder);
    const std::optional<TeamLease> held = PageLeases::TakeNext(*database, batch, holder, 600);
    ASSERT_TRUE(held && held->position == 1);
    std::set<std::string> texts;
    std::istringstream rows(TeamTest::FileText(StationData(L"page.tsv")));
    for (std::string row; std::getline(rows, row);) {
        if (row.compare(0, 2, "5\t") == 0) {
            texts.insert(row.substr(row.rfind('\t') + 1));
        }
    }
    std::string corrections;
    for (const std::string& text : texts) {
        corrections += text + "\t" + text + "x\n";
    }
    const std::wstring answers = folder / L"answers.txt";
    TeamTest::WriteText(answers, corrections);
    const ChildProcess joining = ChildProcess::Run(
        L"tarsil_verify.exe",
        Station(connection, folder / L"outbox2", L"--below 80 --press ok --answers " + Quoted(answers)), 120000);
    EXPECT_EQ(joining.exitCode, 0U) << joining.output;
    EXPECT_NE(joining.output.find("the batch's rule wins over this station's: --catch 95, not --below 80"),
              std::string::npos)
        << joining.output;
    PageLeases::Release(*database, batch, holder, *held);
    const ChildProcess last =
        ChildProcess::Run(L"tarsil_verify.exe", Station(connection, folder / L"outbox3", L"--press ok"), 120000);
    EXPECT_EQ(last.exitCode, 0U) << last.output;

    const long long shown = Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE outcome = 'ok'");
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE chosen_for = 'chosen'"), shown);
    const long long beforeAnswers = Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE position = 2");
    EXPECT_GT(beforeAnswers, 0) << joining.output;
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE position = 2 AND changed"), beforeAnswers);
    EXPECT_NE(Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE position = 1"), beforeAnswers)
        << last.output;
}
