// --export and --status run by tarsil_verify against the test server: a team's answers give
// the files a one-station session writes with the same answers, byte for byte; the figures
// are printed; no output holds the connection's password.

#include "BatchPlan.h"
#include "DatabaseConnection.h"
#include "FolderEntries.h"
#include "PageLeases.h"
#include "RunFolder.h"
#include "ScratchFolder.h"
#include "Sha256.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "TeamAnswers.h"
#include "TeamBatches.h"
#include "TeamPages.h"
#include "TeamSchema.h"
#include "TeamTestSupport.h"
#include "TeamWords.h"
#include "TestServer.h"
#include "Utf8.h"
#include "VerificationSession.h"
#include "dialog/ControlIds.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>

namespace {

// Every file under `folder`, by its name relative to it, with its bytes.
void CollectFiles(const std::wstring& folder, const std::wstring& prefix, std::map<std::wstring, std::string>& files)
{
    for (const FolderEntry& entry : FolderEntries(folder)) {
        if (entry.folder) {
            CollectFiles(folder + L"\\" + entry.name, prefix + entry.name + L"\\", files);
        } else {
            files[prefix + entry.name] = FileBytes(folder + L"\\" + entry.name);
        }
    }
}

// What a one-station session and an export share: pages, train and text.txt.
std::map<std::wstring, std::string> SessionFiles(const std::wstring& folder)
{
    std::map<std::wstring, std::string> files;
    CollectFiles(folder + L"\\pages", L"pages\\", files);
    CollectFiles(folder + L"\\train", L"train\\", files);
    files[L"text.txt"] = FileBytes(folder + L"\\text.txt");
    return files;
}

TeamDocument Document(const char* kind, const std::wstring& path)
{
    const std::string content = FileBytes(path);
    return TeamDocument{kind, WideToUtf8(path), Sha256::OfFile(path), content};
}

// The batch as its first station gives it: the plan's pages, inputs and thresholds.
TeamBatchDefinition Definition(const StationOptions& options)
{
    const BatchPlan plan = BatchPlan::Make(options);
    TeamBatchDefinition definition;
    for (const std::wstring& input : plan.inputs) {
        definition.inputs.push_back(WideToUtf8(input));
    }
    definition.below = options.below;
    definition.charBelow = options.charBelow;
    for (size_t i = 0; i < plan.pages.size(); ++i) {
        const PlannedPage& planned = plan.pages[i];
        TeamPageSource page;
        page.position = static_cast<int>(i) + 1;
        page.name = WideToUtf8(planned.stem);
        page.imagePath = WideToUtf8(planned.image);
        page.imageSha256 = Sha256::OfFile(planned.image);
        page.frame = static_cast<int>(planned.frame) + 1;
        page.ocrPage = planned.ocrPage;
        if (!planned.tsv.empty()) {
            page.documents.push_back(Document("tsv", planned.tsv));
        }
        if (!planned.hocr.empty()) {
            page.documents.push_back(Document("hocr", planned.hocr));
        }
        definition.pages.push_back(page);
    }
    return definition;
}

TeamAnswer AsTeamAnswer(const VerifiedWord& word, const TeamStation& station, std::int64_t sequence, int page,
                        int place)
{
    TeamAnswer answer = TeamWords::ToTeam(word, page, place, station);
    answer.answerId = station.AnswerId(sequence);
    return answer;
}

void AnswerInBatch(DialogDriver& driver, int page, int ordinal, const std::function<void(DialogDriver&)>& answer)
{
    const std::wstring caption = L"Word Verification \u2013 page " + std::to_wstring(page) + L" of 2 \u2013 word " +
                                std::to_wstring(ordinal) + L" of 2";
    driver.WaitUntil(
        [caption](DialogDriver& d) { return DialogDriver::WindowText(d.Dialog()).rfind(caption, 0) == 0; });
    answer(driver);
}

std::wstring TeamArguments(const std::wstring& connection, const std::wstring& batch)
{
    return L"--team " + Quoted(connection) + L" --batch " + batch;
}

} // namespace

// Two pages of the committed scan (one with its TSV and hOCR, one with its TSV alone), their
// two words below 60 each: a typed correction for training, Ignore, the proposal accepted
// with Train No, and OK for training.
TEST(TeamExport, TheTeamsAnswersGiveTheFilesOfAOneStationSessionByteForByte)
{
    ScratchFolder folder;
    for (const auto& [from, to] : {std::pair{L"page.png", L"a.png"}, std::pair{L"page.tsv", L"a.tsv"},
                                   std::pair{L"page.hocr", L"a.hocr"}, std::pair{L"page.png", L"b.png"},
                                   std::pair{L"page.tsv", L"b.tsv"}}) {
        ASSERT_TRUE(WriteBytes(folder / to, FileBytes(StationData(from))));
    }
    StationOptions options;
    options.inputs = {folder / L"a.png", folder / L"b.png"};
    options.below = 60;
    options.out = folder / L"session";
    SessionRecord record;
    {
        DialogDriver driver(60000);
        AnswerInBatch(driver, 1, 1, [](DialogDriver& d) { d.Type(IDC_TEXT, L"Region-based").Click(IDOK); });
        AnswerInBatch(driver, 1, 2, [](DialogDriver& d) { d.Click(IDC_IGNORE); });
        AnswerInBatch(driver, 2, 1, [](DialogDriver& d) { d.Click(IDC_NO).Click(IDOK); });
        AnswerInBatch(driver, 2, 2, [](DialogDriver& d) { d.Click(IDOK); });
        VerificationSession session(options, &RastStartDialog, [](const std::string&) {});
        session.Prepare();
        session.Run();
        record = session.Record();
        EXPECT_TRUE(driver.Finished());
        EXPECT_FALSE(driver.TimedOut());
    }
    ASSERT_TRUE(record.finished);

    // The same answers, given through the team's database by one station.
    const std::wstring connection = TeamTest::FreshDatabase();
    DatabaseConnection database(connection);
    TeamSchema::Ensure(database);
    const TeamStation station = TeamTest::Station("ann");
    const std::int64_t batch = TeamBatches::Open(database, "export", Definition(options), station).id;
    PageLeases::Register(database, batch, station);
    std::int64_t sequence = 0;
    for (size_t page = 0; page < record.pages.size(); ++page) {
        const TeamLease lease = PageLeases::TakeNext(database, batch, station, 120).value();
        ASSERT_EQ(static_cast<int>(page) + 1, lease.position);
        const std::vector<VerifiedWord>& words = record.pages[page].words;
        for (size_t place = 0; place < words.size(); ++place) {
            const AnswerReceipt receipt = TeamAnswers::Record(
                database, batch,
                AsTeamAnswer(words[place], station, ++sequence, lease.position, static_cast<int>(place) + 1));
            EXPECT_EQ(AnswerFate::Recorded, receipt.fate);
        }
        TeamPages::MarkDone(database, batch, station, lease);
    }

    const ChildProcess exported = ChildProcess::Run(
        L"tarsil_verify.exe", TeamArguments(connection, L"export") + L" --export " + Quoted(folder / L"export"), 60000);
    ASSERT_EQ(0u, exported.exitCode) << exported.output;
    const std::map<std::wstring, std::string> expected = SessionFiles(options.out);
    const std::map<std::wstring, std::string> written = SessionFiles(folder / L"export");
    // Two pages' .tsv and .txt, the first's .hocr, two training pairs and text.txt.
    EXPECT_EQ(10u, expected.size());
    ASSERT_EQ(expected.size(), written.size());
    for (const auto& [name, bytes] : expected) {
        SCOPED_TRACE(WideToUtf8(name));
        ASSERT_EQ(1u, written.count(name));
        EXPECT_TRUE(written.at(name) == bytes); // not printed: images among them
    }
    EXPECT_NE(std::string::npos, expected.at(L"pages\\0001-a.tsv").find("\t100\tRegion-based\n"));
    // Nothing of the export, printed or written, holds the password.
    const std::string password = WideToUtf8(TestServer::Password());
    ASSERT_FALSE(password.empty());
    EXPECT_EQ(std::string::npos, exported.output.find(password));
    std::map<std::wstring, std::string> everything;
    CollectFiles(folder / L"export", L"", everything);
    for (const auto& [name, bytes] : everything) {
        EXPECT_EQ(std::string::npos, bytes.find(password)) << WideToUtf8(name);
    }
}

// --status prints the batch's pages and figures; a batch the database lacks is refused with
// status 2, a server that cannot be reached ends with status 1 naming what failed: none of
// them prints the password.
TEST(TeamReport, StatusPrintsTheBatchAndNoOutputHoldsThePassword)
{
    const std::wstring connection = TeamTest::FreshDatabase();
    DatabaseConnection database(connection);
    TeamSchema::Ensure(database);
    const TeamStation station = TeamTest::Station("ann");
    const std::int64_t batch = TeamBatches::Open(database, "job", TeamTest::Batch(database, 3), station).id;
    PageLeases::Register(database, batch, station);
    const TeamLease lease = PageLeases::TakeNext(database, batch, station, 120).value();
    TeamAnswer below = TeamTest::Answer(station, 1, lease.position, 1, "teh", "the");
    below.chosenFor = "confidence below 90";
    TeamAnswers::Record(database, batch, below);
    // The page's other word, shown by another station for another reason.
    const TeamStation bob = TeamTest::Station("bob");
    TeamAnswer recurring = TeamTest::Answer(bob, 1, lease.position, 2, "teh", "the");
    recurring.chosenFor = "recurring";
    TeamAnswers::Record(database, batch, recurring);

    const ChildProcess status =
        ChildProcess::Run(L"tarsil_verify.exe", TeamArguments(connection, L"job") + L" --status");
    EXPECT_EQ(0u, status.exitCode) << status.output;
    EXPECT_NE(std::string::npos, status.output.find("batch \"job\": 3 pages: 2 waiting, 0 recognised, 1 in progress "
                                                    "(1 held), 0 done, 0 failed"))
        << status.output;
    EXPECT_NE(std::string::npos, status.output.find("  page 1 (0001-page1): in progress, held by ann on " +
                                                    station.computer))
        << status.output;
    EXPECT_NE(std::string::npos, status.output.find("operator ann: 1 word (1 corrected, 0 ignored), 0 skipped; 2.5 s a "
                                                    "word, 1440 words an hour"))
        << status.output;
    EXPECT_NE(std::string::npos, status.output.find("shown: 1 for confidence below 90, 1 for recurring"))
        << status.output;

    const ChildProcess missing = ChildProcess::Run(L"tarsil_verify.exe",
                                                   TeamArguments(connection, L"nosuch") + L" --status");
    EXPECT_EQ(2u, missing.exitCode) << missing.output;
    EXPECT_NE(std::string::npos, missing.output.find("no batch \"nosuch\"")) << missing.output;

    std::wstring away = connection;
    const size_t port = away.find(L"Port=");
    away.replace(port, away.find(L';', port) - port, L"Port=1");
    const ChildProcess unreachable =
        ChildProcess::Run(L"tarsil_verify.exe", TeamArguments(away, L"job") + L" --status --retry-seconds 1");
    EXPECT_EQ(1u, unreachable.exitCode) << unreachable.output;
    EXPECT_NE(std::string::npos, unreachable.output.find("Port=1")) << unreachable.output;

    const std::string password = WideToUtf8(TestServer::Password());
    for (const ChildProcess* run : {&status, &missing, &unreachable}) {
        EXPECT_EQ(std::string::npos, run->output.find(password)) << run->output;
    }
}

// Every station writes the database, so a page's name is checked as any input is before it
// names files: one that reaches outside the folder, or names a device, is refused by the
// export with nothing written, and by a station that joins the batch.
TEST(TeamExport, APageNamedOutsideTheFolderOrForADeviceIsRefusedByTheExportAndTheStations)
{
    ScratchFolder folder;
    const std::wstring connection = TeamTest::FreshDatabase();
    DatabaseConnection database(connection);
    TeamSchema::Ensure(database);
    const TeamStation station = TeamTest::Station("ann");
    const std::vector<std::string> names = {"..\\..\\escaped", "NUL", "com1.scan", "con .scan"};
    for (size_t i = 0; i < names.size(); ++i) {
        const std::wstring batchName = L"job" + std::to_wstring(i);
        TeamBatchDefinition definition = TeamTest::Batch(database, 1);
        definition.pages[0].name = names[i];
        const std::int64_t batch = TeamBatches::Open(database, WideToUtf8(batchName), definition, station).id;
        PageLeases::Register(database, batch, station);
        TeamPages::MarkDone(database, batch, station, PageLeases::TakeNext(database, batch, station, 120).value());

        const ChildProcess exported = ChildProcess::Run(
            L"tarsil_verify.exe", TeamArguments(connection, batchName) + L" --export " + Quoted(folder / L"export"));
        EXPECT_EQ(2u, exported.exitCode) << names[i] << exported.output;
        EXPECT_NE(std::string::npos, exported.output.find("which is no file name")) << exported.output;
        EXPECT_TRUE(FolderEntries(folder.Path()).empty()); // not even the export's folder

        const ChildProcess joined = ChildProcess::Run(
            L"tarsil_verify.exe", TeamArguments(connection, batchName) + L" --press ok --outbox " +
                                      Quoted(folder.Path() + L"-outbox.json"));
        EXPECT_EQ(2u, joined.exitCode) << names[i] << joined.output;
        EXPECT_NE(std::string::npos, joined.output.find("which is no file name")) << joined.output;
    }
}

// A killed run cannot remove its folder of the database's documents: the next run removes
// every such folder that no live run holds, and leaves a live run's alone; its own it removes
// as it ends, also when its set-up is refused.
TEST(TeamExport, TheFoldersOfKilledRunsAreRemovedByTheNextAndALiveRunsStays)
{
    const std::wstring caches = RunFolder::StationFolder() + L"\\team-cache";
    const std::wstring killed = caches + L"\\a-killed-run";
    ::CreateDirectoryW(caches.c_str(), nullptr);
    ::CreateDirectoryW(killed.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(killed + L"\\page.tsv", "left behind\n"));
    const RunFolder live(caches, L"a-live-run");

    ScratchFolder folder;
    const std::wstring connection = TeamTest::FreshDatabase();
    DatabaseConnection database(connection);
    TeamSchema::Ensure(database);
    TeamBatches::Open(database, "job", TeamTest::Batch(database, 1), TeamTest::Station("ann"));
    // The batch's image is made up: the station's set-up refuses it after making its cache.
    const ChildProcess joined = ChildProcess::Run(
        L"tarsil_verify.exe", TeamArguments(connection, L"job") + L" --press ok --outbox " + Quoted(folder / L"outbox"));
    EXPECT_EQ(2u, joined.exitCode) << joined.output;

    std::vector<std::wstring> left;
    for (const FolderEntry& entry : FolderEntries(caches)) {
        left.push_back(entry.name);
    }
    EXPECT_EQ(left, std::vector<std::wstring>{L"a-live-run"});
}
