// A team's stations whose engines read a page differently: a station verifies the page's
// recogniser output the batch holds, whoever made it, and the batch's engine settings win
// over a joining station's.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "DatabaseConnection.h"
#include "ScratchFolder.h"
#include "TeamBatches.h"
#include "TeamPages.h"
#include "TeamServer.h"
#include "TeamTestSupport.h"
#include "support/ChildProcess.h"
#include "support/FileExists.h"

namespace {

using TeamTest::Count;
using TeamTest::Quoted;

std::wstring StationData(const std::wstring& name)
{
    return std::wstring(TARSIL_STATION_DATA) + L"/" + name;
}

// The committed scan's TSV with every word's text marked ("x" before it): what another
// station's engine made of the page, read otherwise than this station's reads it.
std::string MarkedWords(const std::string& tsv)
{
    std::string marked;
    size_t start = 0;
    while (start < tsv.size()) {
        const size_t end = std::min(tsv.find('\n', start), tsv.size());
        std::string row = tsv.substr(start, end - start);
        const size_t text = row.rfind('\t') + 1;
        if (row.compare(0, 2, "5\t") == 0 && text < row.size()) {
            row.insert(text, "x");
        }
        marked += row + (end < tsv.size() ? "\n" : "");
        start = end + 1;
    }
    return marked;
}

} // namespace

TEST(TeamEngine, AStationVerifiesTheOutputTheBatchHoldsAndAJoiningOneTakesTheBatchsSettings)
{
    const ScratchFolder folder;
    const std::wstring connection = TeamTest::FreshDatabase();
    const std::wstring scans = folder / L"scans";
    ::CreateDirectoryW(scans.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(StationData(L"page.png").c_str(), (scans + L"\\page1.png").c_str(), FALSE));
    const std::wstring station = L"--team " + Quoted(connection) + L" --batch scans --tesseract " +
                                 Quoted(ChildProcess::ProgramFolder() + L"engine_relay.exe");

    // The station creates the batch; its engine waits at the gate while another station's
    // output of the page is recorded first.
    const std::wstring gate = folder / L"gate";
    ::SetEnvironmentVariableW(L"TARSIL_ENGINE_RELAY_GATE", gate.c_str());
    ChildProcess first;
    TeamTest::AtOnce({[&] {
                          first = ChildProcess::Run(L"tarsil_verify.exe",
                                                    station + L" --outbox " + Quoted(folder / L"outbox1") +
                                                        L" --press ok " + Quoted(scans),
                                                    120000);
                      },
                      [&] {
                          for (int wait = 0; wait < 1200 && !Exists(gate + L".waiting"); ++wait) {
                              ::Sleep(50);
                          }
                          const std::unique_ptr<DatabaseConnection> other = TeamServer(connection).Connect();
                          const std::string tsv = MarkedWords(TeamTest::FileText(StationData(L"page.tsv")));
                          const TeamDocument document{"tsv", "", TeamTest::Sha256(*other, tsv), tsv};
                          const std::int64_t batch = TeamBatches::Find(*other, "scans").value();
                          EXPECT_EQ(RecognitionFate::Recorded,
                                    TeamPages::RecordRecognition(*other, batch, 1, {document}).fate);
                          ::CloseHandle(::CreateFileW(gate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
                      }});
    ::SetEnvironmentVariableW(L"TARSIL_ENGINE_RELAY_GATE", nullptr);
    ASSERT_EQ(first.exitCode, 0U) << first.output;

    // Every answer names a word of the output the batch holds: the 7 uncertain words of the
    // committed TSV, as it reads them.
    const std::unique_ptr<DatabaseConnection> database = TeamServer(connection).Connect();
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_answers"), 7) << first.output;
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE text LIKE 'x%'"), 7) << first.output;
    EXPECT_EQ(Count(*database, L"SELECT count(*) FROM tarsil_pages WHERE state = 'done'"), 1);

    // A station joining with other engine settings is told that the batch's win.
    const ChildProcess joining = ChildProcess::Run(
        L"tarsil_verify.exe", station + L" --psm 4 --outbox " + Quoted(folder / L"outbox2") + L" --press ok", 60000);
    EXPECT_EQ(joining.exitCode, 0U) << joining.output;
    EXPECT_NE(joining.output.find("the batch's engine settings win over this station's: the engine's defaults, not "
                                  "--psm 4"),
              std::string::npos)
        << joining.output;
}
