// The station on the user's machine: run from the folder the user is in, with what lies
// there, an output folder it may not write, and the user's console.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "OutputFolderLock.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "Utf8.h"
#include "support/ChildProcess.h"

namespace {

// The test process's current folder, changed for as long as this lives: the station run as
// a child starts in it.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder)
    {
        wchar_t previous[MAX_PATH];
        const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, previous);
        m_previous.assign(previous, length < MAX_PATH ? length : 0);
        m_changed = !m_previous.empty() && ::SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolder()
    {
        if (m_changed) {
            ::SetCurrentDirectoryW(m_previous.c_str());
        }
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

    bool Changed() const { return m_changed; }

private:
    std::wstring m_previous;
    bool m_changed = false;
};

} // namespace

// The README's batch command as a user types it, in the folder above the scans: the engine
// was given the output folder relative to the station's folder while it ran in the output
// folder, wrote nowhere, and every page failed. And a tesseract.exe lying in that folder (a
// downloaded archive, a shared scans folder) was found before the PATH's and run.
TEST(StationPlatform, TheBatchCommandRunsFromTheFolderAboveTheScansAndNeverRunsAnEngineLyingThere)
{
    ScratchFolder folder;
    ASSERT_TRUE(::CreateDirectoryW((folder / L"scans").c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW(StationData(L"page.png").c_str(), (folder / L"scans\\page.png").c_str(), FALSE));
    ASSERT_TRUE(WriteBytes(folder / L"tesseract.exe", "MZ planted, never to be run"));
    const CurrentFolder here(folder.Path());
    ASSERT_TRUE(here.Changed());

    const ChildProcess planted = ChildProcess::Run(L"tarsil_verify.exe", L"scans --press ok");
    EXPECT_EQ(planted.exitCode, 2u) << planted.output;
    EXPECT_NE(planted.output.find("tesseract.exe: the engine is needed"), std::string::npos) << planted.output;
    EXPECT_FALSE(Exists(folder / L"scans.verified"));

    const std::wstring relay = ChildProcess::ProgramFolder() + L"engine_relay.exe";
    const ChildProcess run =
        ChildProcess::Run(L"tarsil_verify.exe", L"scans --press ok --tesseract " + Quoted(relay), 120000);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("1 pages: 1 done, 0 failed"), std::string::npos) << run.output;
    EXPECT_NE(FileBytes(folder / L"scans.verified\\text.txt").find("markers"), std::string::npos) << run.output;
}

// An output folder whose lock file cannot be made is not "in use by another station": the
// user would wait for a station that does not exist. (Access is denied there by folder
// permissions or a read-only file on Windows; the tests run as root under Wine, which opens a
// read-only file for writing, so a folder of the lock file's name denies it here.)
TEST(StationPlatform, AnOutputFolderThatCannotBeWrittenIsNotReportedAsInUse)
{
    ScratchFolder folder;
    const std::wstring out = folder / L"out";
    ASSERT_TRUE(::CreateDirectoryW(out.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((out + L"\\" + OutputFolderLock::kFileName).c_str(), nullptr));
    const ChildProcess run = ChildProcess::Run(
        L"tarsil_verify.exe", L"--image " + Quoted(StationData(L"page.png")) + L" --ocr " +
                                  Quoted(StationData(L"page.tsv")) + L" --press ok --out " + Quoted(out));
    EXPECT_EQ(run.exitCode, 2u) << run.output;
    EXPECT_NE(run.output.find("the output folder cannot be written: access to session.lock there is denied"),
              std::string::npos)
        << run.output;
}

// The station prints UTF-8, and left the console it shares with the user's shell in UTF-8
// after it ended: what the shell and later programs printed came out garbled.
TEST(StationPlatform, TheConsoleHasItsOwnCodePageAgainOnceTheStationHasEnded)
{
    // The station shares this console, as it shares the shell's. Under Wine without a
    // terminal the test's console takes no code page: it gets a console of its own.
    if (::GetConsoleOutputCP() == 0) {
        ::FreeConsole();
        ASSERT_TRUE(::AllocConsole()) << ::GetLastError();
    }
    const UINT testsOwn = ::GetConsoleOutputCP();
    ASSERT_TRUE(::SetConsoleOutputCP(850)) << ::GetLastError();
    for (const wchar_t* arguments : {L"--help", L"--no-such-option"}) {
        const ChildProcess run = ChildProcess::Run(L"tarsil_verify.exe", arguments);
        EXPECT_NE(run.exitCode, 0xFFFFFFFFu) << run.output;
        EXPECT_EQ(::GetConsoleOutputCP(), 850u) << WideToUtf8(arguments);
    }
    ::SetConsoleOutputCP(testsOwn);
}
