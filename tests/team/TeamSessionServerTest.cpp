// Run by team-session-server-test, which stops this test's own server once the station has
// answered a few words and starts it again once the station has stopped; not registered with
// ctest by itself.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "ScratchFolder.h"
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

// The answers kept so far, -1 while the server or the tables are not there.
long long Answers(const std::wstring& connection)
{
    try {
        const std::unique_ptr<DatabaseConnection> database = TeamServer(connection).Connect();
        return Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE outcome = 'ok'");
    } catch (const std::exception&) {
        return -1;
    }
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Signal(const std::wstring& signals, const wchar_t* name)
{
    const HANDLE marker =
        ::CreateFileW((signals + L"/" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, marker);
    ::CloseHandle(marker);
}

} // namespace

// The server stops under a station in the middle of a page: the station retries, then stops
// with exit 1 keeping the answer it could not send. Its next run, once the server is back,
// sends it first and finishes the page: no answer lost, none twice.
TEST(TeamSessionServer, AServerStoppedMidSessionLosesNoAnswerAndTheNextRunSendsWhatWasKept)
{
    const char* signalsVariable = std::getenv("TARSIL_TEST_SIGNALS");
    ASSERT_NE(nullptr, signalsVariable) << "run by team-session-server-test";
    const std::wstring signals(signalsVariable, signalsVariable + std::strlen(signalsVariable));
    const ScratchFolder folder;
    const std::wstring connection = TeamTest::FreshDatabase();
    ::CreateDirectoryW((folder / L"scans").c_str(), nullptr);
    const std::wstring data = std::wstring(TARSIL_STATION_DATA) + L"/page.";
    ASSERT_TRUE(::CopyFileW((data + L"png").c_str(), (folder / L"scans\\page.png").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((data + L"tsv").c_str(), (folder / L"scans\\page.tsv").c_str(), FALSE));
    const std::wstring outbox = folder / L"outbox.json";
    const std::wstring station = L"--team " + Quoted(connection) + L" --batch scans --outbox " + Quoted(outbox) +
                                 L" --press ok " + Quoted(folder / L"scans");

    const StartedChild first(L"tarsil_verify.exe", station + L" --below 101 --lease-seconds 3 --retry-seconds 2", false);
    ASSERT_TRUE(first.Started()) << first.Failure();
    long long before = 0;
    for (int waited = 0; before < 3; waited += 50) {
        ASSERT_LT(waited, 60000) << "the station answered nothing";
        ::Sleep(50);
        before = Answers(connection);
    }
    Signal(signals, L"connected");
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(first.Process(), 60000)) << "the station did not stop";
    DWORD exitCode = 0;
    ::GetExitCodeProcess(first.Process(), &exitCode);
    EXPECT_EQ(1U, exitCode);
    std::string kept(4096, '\0');
    if (std::FILE* file = ::_wfopen(outbox.c_str(), L"rb")) {
        kept.resize(std::fread(&kept[0], 1, kept.size(), file));
        std::fclose(file);
    }
    EXPECT_NE(std::string::npos, kept.find("\"answers\"")) << "no answer kept in the outbox";
    EXPECT_EQ(std::string::npos, kept.find(WideToUtf8(TestServer::Password())));
    Signal(signals, L"kept");

    for (int waited = 0; (before = Answers(connection)) < 0; waited += 200) {
        ASSERT_LT(waited, 60000) << "the server did not come back";
        ::Sleep(200);
    }
    ::Sleep(3500); // the stopped station's lease runs out
    const ChildProcess second = ChildProcess::Run(L"tarsil_verify.exe", station, 120000);
    EXPECT_EQ(0U, second.exitCode) << second.output;
    EXPECT_NE(std::string::npos, second.output.find("1 answers kept by an earlier run sent")) << second.output;
    EXPECT_FALSE(Exists(outbox));
    const std::unique_ptr<DatabaseConnection> database = TeamServer(connection).Connect();
    EXPECT_EQ(1, Count(*database, L"SELECT count(*) FROM tarsil_pages WHERE state = 'done'"));
    EXPECT_EQ(before + 1 + static_cast<long long>(Occurrences(second.output, " ok \"")),
              Count(*database, L"SELECT count(*) FROM tarsil_answers WHERE outcome = 'ok'"))
        << second.output;
}
