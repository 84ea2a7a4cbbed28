// The engine run by the station (Debian's Tesseract through the relay): pages it fails on are
// skipped, listed and recognised by a later run, and a run with such pages says so in its
// exit status.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "BatchScans.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "SessionRun.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "Utf8.h"
#include "dialog/ControlIds.h"
#include "support/ChildProcess.h"

// The engine run by the station, one run per frame of a two-page TIFF: it fails on both pages
// (held at the relay's gate past its time limit), the batch goes on and lists them; the next run tries
// them again and keeps their output in the session's folder, so that a third run does not
// recognise them again.
TEST(StationBatch, PagesTheEngineFailsOnAreSkippedListedAndRecognisedByALaterRun)
{
    ScratchFolder folder;
    for (const wchar_t* name : {L"page.png", L"page.tsv", L"page.hocr"}) {
        Copy(StationData(name), folder / name);
    }
    ::CreateDirectoryW((folder / L"scans").c_str(), nullptr);
    // Frames of different pages: the engine's output for the wrong frame would be refused.
    WriteTiff({FrameOf(PageImage::Read(Scan(L"phototest.tif"))), FrameOf(PageImage::Read(StationData(L"page.png")))},
              folder / L"scans\\mixed.tif");
    StationOptions options;
    options.inputs = {folder / L"page.png", folder / L"scans"};
    options.out = folder / L"out";
    options.below = 95;
    options.tesseract = Relay();
    options.engineSeconds = 1;
    options.press = L"ok";
    ::SetEnvironmentVariableW(L"TARSIL_ENGINE_RELAY_GATE", (folder / L"never").c_str());
    const SessionRun first = RunSession(options);
    ::SetEnvironmentVariableW(L"TARSIL_ENGINE_RELAY_GATE", nullptr);
    ASSERT_EQ(first.journal.pages.size(), 3u);
    EXPECT_EQ(first.journal.pages[0].state, PageState::kDone);
    for (size_t page = 1; page < 3; ++page) {
        EXPECT_EQ(first.journal.pages[page].state, PageState::kFailed);
        EXPECT_NE(first.journal.pages[page].failure.find("the engine did not finish within 1 s"), std::string::npos)
            << first.journal.pages[page].failure;
    }
    EXPECT_EQ(first.summary.pagesFailed, 2);
    EXPECT_TRUE(first.Printed("3 pages: 1 done, 2 failed")) << first.printed.back();
    EXPECT_TRUE(first.Printed("failed: " + WideToUtf8(folder / L"scans\\mixed.tif") + " frame 2"));
    EXPECT_FALSE(first.journal.finished);

    // Tried again: recognised, the first frame's uncertain words shown; cancelled at the second.
    options.engineSeconds = 600;
    options.press.clear();
    {
        DialogDriver driver(120000);
        for (const wchar_t* word : {L"word 1 of ", L"word 2 of "}) {
            const std::wstring caption = std::wstring(L"Word Verification \u2013 page 2 of 3 \u2013 ") + word;
            driver.WaitUntil(
                [caption](DialogDriver& d) { return DialogDriver::WindowText(d.Dialog()).rfind(caption, 0) == 0; });
            if (word[5] == L'1') {
                driver.Type(IDC_TEXT, L"corrected").Click(IDOK);
            } else {
                driver.Click(IDCANCEL);
            }
        }
        const SessionRun second = RunSession(options);
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(second.journal.pages[1].state, PageState::kInProgress);
        EXPECT_TRUE(second.journal.pages[1].ocrByStation);
        EXPECT_EQ(second.journal.pages[1].tsv.sha256.size(), 64u);
    }
    const std::wstring kept = folder / L"out\\ocr\\0002-mixed-frame1.tsv";
    const FILETIME recognised = LastWritten(kept);
    ::Sleep(50);
    // The batch goes on at page 2's second word, with the page's output as it was kept.
    options.press = L"ignore";
    const SessionRun third = RunSession(options);
    const FILETIME afterwards = LastWritten(kept);
    EXPECT_NE(recognised.dwLowDateTime | recognised.dwHighDateTime, 0u);
    EXPECT_EQ(::CompareFileTime(&recognised, &afterwards), 0);
    EXPECT_TRUE(third.journal.finished);
    EXPECT_EQ(third.summary.earlier, 10 + 1); // page.png's words below 95, and the corrected one
    for (size_t page = 1; page < 3; ++page) {
        ASSERT_FALSE(third.journal.pages[page].words.empty());
        for (const VerifiedWord& word : third.journal.pages[page].words) {
            EXPECT_TRUE(word.Answered());
        }
    }
    EXPECT_EQ(third.journal.pages[1].words.front().corrected, "corrected");
    // The second frame's words are the second frame's: page.png's text.
    EXPECT_NE(FileBytes(folder / L"out\\pages\\0003-mixed-frame2.txt").find("markers"), std::string::npos);
    const std::string text = FileBytes(folder / L"out\\text.txt");
    EXPECT_NE(text.find("corrected"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 2);

    // The kept output of page 2 left empty, as an unflushed rename and a power cut left it (the
    // session was refused; only --restart, which forgets every answer, went on): the page is
    // recognised again and keeps its answers, which fit the new output.
    const size_t answered = third.journal.pages[1].words.size();
    WriteFile(kept, "");
    options.press = L"cancel"; // a dialog would leave the session unfinished
    const SessionRun fourth = RunSession(options);
    EXPECT_TRUE(fourth.Printed("(" + WideToUtf8(folder / L"scans\\mixed.tif") +
                               " frame 1): the engine's output kept in " + WideToUtf8(folder / L"out") +
                               "\\ocr is missing or has changed: the page is recognised again"));
    EXPECT_TRUE(fourth.journal.finished);
    EXPECT_EQ(fourth.summary.ok + fourth.summary.ignored, 0);
    ASSERT_EQ(fourth.journal.pages[1].words.size(), answered);
    EXPECT_EQ(fourth.journal.pages[1].words.front().corrected, "corrected");
    EXPECT_EQ(FileBytes(kept).rfind("level\tpage_num\t", 0), 0u); // the engine's TSV again
}

// A run whose only page failed said "session complete" and ended with status 0: a script could
// not tell it from a verified batch.
TEST(StationBatch, ARunWithPagesTheEngineFailedOnEndsWithItsOwnStatus)
{
    ScratchFolder folder;
    Copy(Scan(L"phototest.tif"), folder / L"photo.tif");
    // The engine held at the relay's gate past its time limit.
    ::SetEnvironmentVariableW(L"TARSIL_ENGINE_RELAY_GATE", (folder / L"never").c_str());
    const ChildProcess run =
        ChildProcess::Run(L"tarsil_verify.exe", Quoted(folder / L"photo.tif") + L" --tesseract " + Quoted(Relay()) +
                                                    L" --engine-seconds 1 --press ok");
    ::SetEnvironmentVariableW(L"TARSIL_ENGINE_RELAY_GATE", nullptr);
    EXPECT_EQ(run.exitCode, 3u) << run.output;
    EXPECT_NE(run.output.find("0 skipped; 1 page failed, a later run tries it again"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("session complete"), std::string::npos) << run.output;
}
