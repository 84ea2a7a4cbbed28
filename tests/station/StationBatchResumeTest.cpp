// A batch taken up again: a session whose inputs changed since is refused, an unchanged one
// goes on where it stopped, and a second station on the same folder waits for the first.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "BatchScans.h"
#include "InputError.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "SessionRun.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "Utf8.h"
#include "VerificationSession.h"
#include "support/ChildProcess.h"
#include "support/StartedChild.h"

namespace {

// The committed scan with its recogniser output, copied into `folder`, as a batch of one page.
StationOptions PageBatch(const ScratchFolder& folder)
{
    for (const wchar_t* name : {L"page.png", L"page.tsv", L"page.hocr"}) {
        Copy(StationData(name), folder / name);
    }
    StationOptions options;
    options.inputs = {folder / L"page.png"};
    options.out = folder / L"out";
    return options;
}

} // namespace

// The second defect: a session was resumed when the paths matched, so a rescan saved under
// the same name, or an edited OCR file, took the earlier session's answers.
TEST(StationBatch, AResumedSessionWhoseInputsChangedIsRefusedNamingTheFile)
{
    ScratchFolder folder;
    StationOptions options = PageBatch(folder);
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 1, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 2, 7, [](DialogDriver& d) { d.Click(IDCANCEL); });
        RunSession(options);
        EXPECT_TRUE(driver.Finished());
    }
    std::string edited = FileBytes(folder / L"page.tsv");
    edited.replace(edited.find("determine"), 9, "detormine");
    // The same page scanned again, saved under the same name: one pixel differs.
    ImageFrame page = FrameOf(PageImage::Read(folder / L"page.png"));
    page.grey.grey[1000] ^= 0x40;
    WriteTiff({page}, folder / L"rescan.tif");
    const std::string rescan = FileBytes(folder / L"rescan.tif");
    struct Change {
        const wchar_t* file;
        std::string content;
    };
    for (const Change& change : {Change{L"page.tsv", edited}, Change{L"page.png", rescan}}) {
        SCOPED_TRACE(std::string(change.file, change.file + wcslen(change.file)));
        const std::string original = FileBytes(folder / change.file);
        WriteFile(folder / change.file, change.content);
        VerificationSession session(options, &RastStartDialog, [](const std::string&) {});
        try {
            session.Prepare();
            ADD_FAILURE() << "a session with a changed input was resumed";
        } catch (const InputError& fault) {
            const std::string message = fault.what();
            EXPECT_EQ(message.rfind(WideToUtf8(folder / change.file) + ": has changed", 0), 0u) << message;
        }
        WriteFile(folder / change.file, original);
    }
    // Unchanged, it goes on at the next unanswered word, and with the threshold it began with
    // (a higher one was taken silently: it changed the words shown and their numbers, and the
    // journal claimed it for answers given at the old one).
    options.below = 95;
    options.press = L"cancel";
    const SessionRun resumed = RunSession(options);
    EXPECT_EQ(resumed.captions, std::vector<std::wstring>{L"Word Verification \u2013 2 of 7"});
    EXPECT_EQ(resumed.summary.earlier, 1);
    EXPECT_EQ(resumed.journal.below, 90);
    EXPECT_TRUE(resumed.Printed("session.json began with --below 90 and goes on with it; --below 95 takes effect "
                                "with --restart"));
    // And with its rule: the journal keeps whether the words were chosen by confidence or to catch.
    options.catchPercent = 95;
    const SessionRun confidenceKept = RunSession(options);
    EXPECT_EQ(confidenceKept.captions, std::vector<std::wstring>{L"Word Verification \u2013 2 of 7"});
    EXPECT_TRUE(confidenceKept.Printed("began with --below 90 and goes on with it; --catch 95 takes effect"));
}

// The audit's draw is the session's: a resumed run draws the pages with the seed the journal
// keeps, as a new session given that seed does.
TEST(StationBatch, AResumedSessionDrawsTheAuditWithItsOwnSeed)
{
    ScratchFolder folder;
    StationOptions options = PageBatch(folder);
    options.auditPercent = 10; // 20 of the 26 words not below 90: the batch's least
    options.press = L"cancel";
    const int seed = RunSession(options).journal.auditSeed;
    options.press = L"ok";
    const auto audited = [](const SessionRun& run) {
        std::vector<int> indices;
        for (const VerifiedWord& word : run.Words()) {
            if (word.chosenFor == "audit") {
                indices.push_back(word.index);
            }
        }
        return indices;
    };
    const std::vector<int> resumed = audited(RunSession(options));
    options.restart = true;
    options.auditSeed = seed;
    EXPECT_EQ(resumed.size(), 20u);
    EXPECT_EQ(resumed, audited(RunSession(options)));
}

// One station per output folder: a second is refused at once; the lock goes with the first
// station's process, however it ends.
TEST(StationBatch, ASecondStationOnTheSameFolderIsRefusedUntilTheFirstHasEnded)
{
    ScratchFolder folder;
    for (const wchar_t* name : {L"page.png", L"page.tsv", L"page.hocr"}) {
        Copy(StationData(name), folder / name);
    }
    const std::wstring arguments = Quoted(folder / L"page.png") + L" --below 90 --audit 0 --out " + Quoted(folder / L"out");
    // The first station waits for its operator at the first dialog.
    const StartedChild first(L"tarsil_verify.exe", arguments, false);
    ASSERT_TRUE(first.Started()) << first.Failure();
    const std::wstring caption = L"Word Verification \u2013 1 of 7";
    HWND dialog = nullptr;
    for (int waited = 0; dialog == nullptr && waited < 30000; waited += 100) {
        ::Sleep(100);
        dialog = ::FindWindowW(nullptr, caption.c_str());
    }
    EXPECT_NE(dialog, nullptr);
    const ChildProcess second = ChildProcess::Run(L"tarsil_verify.exe", arguments + L" --press ok");
    EXPECT_EQ(second.exitCode, 2u) << second.output;
    EXPECT_NE(second.output.find("the output folder is in use by another station"), std::string::npos)
        << second.output;

    ::TerminateProcess(first.Process(), 9); // as a crash or the task manager ends it
    ::WaitForSingleObject(first.Process(), 10000);
    const ChildProcess third = ChildProcess::Run(L"tarsil_verify.exe", arguments + L" --press ignore");
    EXPECT_EQ(third.exitCode, 0u) << third.output;
    EXPECT_NE(third.output.find("7 words below 90: 0 ok (0 corrected, 0 for training), 7 ignored"), std::string::npos)
        << third.output;
}

// With --catch the model learns from the answers: after a page whose every word was answered
// right, the same page again is chosen otherwise (more words here: its weights flatten, and the
// rule shows a page's words until a share of their expected wrong words). A resumed session
// learns from the journal's pages before it chooses: a page finished again (its files gone) is
// chosen as it was, and asks nothing more. --fixed-model keeps the shipped weights: the second
// page shows as many as the first.
TEST(StationBatch, TheModelLearnsFromEachPagesAnswersAndAResumedSessionFromTheJournals)
{
    ScratchFolder folder;
    for (const std::wstring page : {L"a", L"b"}) {
        for (const std::wstring extension : {L".png", L".tsv", L".hocr"}) {
            Copy(StationData(L"page" + extension), folder / (page + extension));
        }
    }
    StationOptions options;
    options.inputs = {folder / L"a.png", folder / L"b.png"};
    options.out = folder / L"out";
    options.catchPercent = 95;
    options.press = L"ok";
    const SessionRun learned = RunSession(options);
    const size_t first = learned.journal.pages.at(0).words.size();
    const size_t second = learned.journal.pages.at(1).words.size();
    EXPECT_NE(second, first);

    ASSERT_TRUE(::DeleteFileW((folder / L"out\\pages\\0002-b.txt").c_str()));
    const SessionRun resumed = RunSession(options);
    EXPECT_TRUE(resumed.Printed("done, but its files are missing"));
    EXPECT_EQ(resumed.summary.ok, 0);
    EXPECT_EQ(resumed.journal.pages.at(1).words.size(), second);

    options.fixedModel = true;
    options.restart = true;
    EXPECT_EQ(RunSession(options).journal.pages.at(1).words.size(), first);
}
