// A batch page's files as a user meets them when a run ends early or the disk refuses them: a
// page is "done" only with its files on the disk, a run writes what a done page lacks, a page
// file that cannot be written is reported and the page tried again, and --restart deletes only
// the output folder's own files, whatever an earlier journal names.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "OutputLayout.h"
#include "ScratchFolder.h"
#include "SessionJournal.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "Utf8.h"
#include "VerificationSession.h"

namespace {

// Two pages of the committed scan, each with Tesseract's output beside it, two words below 60
// on each: rows 14 "“based" and 36 "“either". Page a has its TSV alone, and "“either" there
// has an empty box, so it is skipped.
StationOptions TwoPages(const ScratchFolder& folder)
{
    std::string tsv = FileBytes(StationData(L"page.tsv"));
    const std::string either = "130\t86\t43\t13\t";
    tsv.replace(tsv.find(either), either.size(), "130\t86\t0\t13\t");
    EXPECT_TRUE(WriteBytes(folder / L"a.tsv", tsv));
    for (const wchar_t* name : {L"a.png", L"b.png", L"b.tsv", L"b.hocr"}) {
        EXPECT_TRUE(WriteBytes(folder / name, FileBytes(StationData(std::wstring(L"page") + (name + 1)))));
    }
    StationOptions options;
    options.inputs = {folder / L"a.png", folder / L"b.png"};
    options.out = folder / L"out";
    options.below = 60;
    options.press = L"ok";
    return options;
}

SessionRecord JournalIn(const std::wstring& out)
{
    SessionRecord journal;
    std::string error;
    EXPECT_TRUE(SessionJournal::FromJson(FileBytes(out + L"\\session.json"), journal, error)) << error;
    return journal;
}

struct PagesRun {
    VerificationSession::Summary summary;
    SessionRecord journal;
    std::vector<std::string> printed;
};

PagesRun RunSession(const StationOptions& options, VerificationSession::DialogFn dialog = &RastStartDialog)
{
    PagesRun run;
    VerificationSession session(options, dialog, [&run](const std::string& line) { run.printed.push_back(line); });
    session.Prepare();
    run.summary = session.Run();
    run.journal = session.Record();
    return run;
}

std::string PrintedWith(const PagesRun& run, const std::string& part)
{
    for (const std::string& line : run.printed) {
        if (line.find(part) != std::string::npos) {
            return line;
        }
    }
    return {};
}

// The dialog as a stand-in that first looks at the disk, as a run ended at that moment would
// leave it: every page the journal calls done must have its files.
struct DiskAtEachDialog {
    std::wstring out;
    int calls = 0;
    std::string missing; // the files of done pages that were not there
};
DiskAtEachDialog g_disk;

int WINAPI CheckDonePagesThenShow(HWND parent, int kind, int mode, wchar_t* text, int length, double* size,
                                  double* orientation, int confidence, int r1, int g1, int b1, int rb, int gb,
                                  int bb, int r2, int g2, int b2, LayerDrawFn layer1, LayerDrawFn layer2,
                                  int* reserved, int* train, int* unchanged, TextLookupFn lookup)
{
    ++g_disk.calls;
    SessionRecord journal;
    std::string error;
    if (SessionJournal::FromJson(FileBytes(g_disk.out + L"\\session.json"), journal, error)) {
        for (const StoredPage& page : journal.pages) {
            if (page.state != PageState::kDone) {
                continue;
            }
            std::wstring name;
            Utf8ToWide(page.name, name);
            std::vector<std::wstring> files{L"pages\\" + name + L".txt"};
            for (const VerifiedWord& word : page.words) {
                if (word.train) {
                    files.push_back(L"train\\" + OutputLayout::WordFileName(page.name, word.index) + L".png");
                }
            }
            for (const std::wstring& file : files) {
                if (!Exists(g_disk.out + L"\\" + file)) {
                    g_disk.missing += WideToUtf8(file) + " ";
                }
            }
        }
    }
    return RastStartDialog(parent, kind, mode, text, length, size, orientation, confidence, r1, g1, b1, rb, gb, bb,
                           r2, g2, b2, layer1, layer2, reserved, train, unchanged, lookup);
}

int WINAPI NoDialogExpected(HWND, int, int, wchar_t*, int, double*, double*, int, int, int, int, int, int, int, int,
                            int, int, LayerDrawFn, LayerDrawFn, int*, int*, int*, TextLookupFn)
{
    ++g_disk.calls;
    return TARSIL_RESULT_CANCEL;
}

} // namespace

// The defect as it hit a user: a page was journalled "done" before the worker had written its
// files (a second or more later, and never while the engine ran), so a run ended then left a
// done page without its documents, text or training pairs, which later runs skipped.
TEST(StationPageFiles, APageIsDoneOnlyWithItsFilesOnDiskAndARunWritesWhatADonePageLacks)
{
    ScratchFolder folder;
    const StationOptions options = TwoPages(folder);
    g_disk = DiskAtEachDialog();
    g_disk.out = options.out;
    const PagesRun first = RunSession(options, &CheckDonePagesThenShow);
    EXPECT_EQ(g_disk.calls, 3);
    EXPECT_EQ(g_disk.missing, "") << "files of pages the journal called done were not there";
    ASSERT_TRUE(first.journal.finished);
    EXPECT_EQ(first.journal.summary.skipped, 1);

    // A journal that says done over files that are not there (a run of an older station ended
    // before it wrote them): the next run writes them, without a dialog.
    const std::vector<std::wstring> lost{L"pages\\0001-a.tsv", L"pages\\0001-a.txt", L"train\\0001-a-0014.png",
                                         L"train\\0001-a-0014.gt.txt"};
    std::vector<std::string> before;
    for (const std::wstring& file : lost) {
        before.push_back(FileBytes(options.out + L"\\" + file));
        EXPECT_FALSE(before.back().empty());
        EXPECT_TRUE(::DeleteFileW((options.out + L"\\" + file).c_str()));
    }
    const std::string text = FileBytes(options.out + L"\\text.txt");
    g_disk.calls = 0;
    const PagesRun repair = RunSession(options, &NoDialogExpected);
    EXPECT_EQ(g_disk.calls, 0);
    for (size_t i = 0; i < lost.size(); ++i) {
        EXPECT_TRUE(FileBytes(options.out + L"\\" + lost[i]) == before[i]) << WideToUtf8(lost[i]);
    }
    EXPECT_TRUE(FileBytes(options.out + L"\\text.txt") == text);
    EXPECT_TRUE(repair.journal.finished);
    // The skipped word of the finished page is kept over runs, in the journal and the summary.
    EXPECT_EQ(JournalIn(options.out).summary.skipped, 1);
    EXPECT_EQ(repair.summary.skipped, 1);
    EXPECT_EQ(repair.summary.earlier, 3);
}

// A page file that cannot be written (here held by another program for longer than the station
// waits) surfaced only at the very end, as a failure of the whole run, with the page journalled
// done: no later run wrote it.
TEST(StationPageFiles, APageFileThatCannotBeWrittenIsReportedAndTheNextRunWritesIt)
{
    ScratchFolder folder;
    const StationOptions options = TwoPages(folder);
    const std::wstring held = options.out + L"\\pages\\0001-a.txt";
    PagesRun first;
    {
        VerificationSession session(options, &RastStartDialog,
                                    [&first](const std::string& line) { first.printed.push_back(line); });
        session.Prepare();
        const HANDLE holder = ::CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE) << ::GetLastError();
        EXPECT_NO_THROW(first.summary = session.Run());
        ::CloseHandle(holder);
        first.journal = session.Record();
    }
    EXPECT_EQ(first.summary.pagesUnwritten, 1);
    const std::string reported =
        PrintedWith(first, "page 1 of 2 (" + WideToUtf8(folder / L"a.png") + "): its files could not be written");
    EXPECT_NE(reported.find(WideToUtf8(held) + ": "), std::string::npos) << reported;
    EXPECT_TRUE(PrintedWith(first, "session complete").empty());
    EXPECT_EQ(first.journal.pages.at(0).state, PageState::kInProgress);
    EXPECT_EQ(first.journal.pages.at(1).state, PageState::kDone);
    EXPECT_EQ(JournalIn(options.out).pages.at(0).state, PageState::kInProgress);

    g_disk = DiskAtEachDialog();
    const PagesRun second = RunSession(options, &NoDialogExpected);
    EXPECT_EQ(g_disk.calls, 0);
    EXPECT_EQ(second.summary.pagesUnwritten, 0);
    EXPECT_TRUE(second.journal.finished);
    EXPECT_NE(FileBytes(held).find("markers"), std::string::npos);
    EXPECT_EQ(FileBytes(options.out + L"\\text.txt"), FileBytes(held) + "\f" +
                                                          FileBytes(options.out + L"\\pages\\0002-b.txt"));
}

// The defect as it hit a user: the page names of an earlier journal became parts of the paths
// --restart deleted, so a page named "..\..\victim" deleted files beside the output folder.
TEST(StationPageFiles, RestartDeletesOnlyTheOutputFoldersOwnFilesWhateverTheJournalNames)
{
    ScratchFolder folder;
    StationOptions options = TwoPages(folder);
    RunSession(options);
    const std::wstring ownPair = options.out + L"\\train\\0001-a-0014.png";
    ASSERT_TRUE(Exists(ownPair));
    std::string journal = FileBytes(options.out + L"\\session.json");
    const std::string name = "\"name\": \"0002-b\"";
    ASSERT_NE(journal.find(name), std::string::npos);
    journal.replace(journal.find(name), name.size(), R"("name": "..\\..\\victim")");
    ASSERT_TRUE(WriteBytes(options.out + L"\\session.json", journal));
    // Where the earlier session's page files, and its training pair of word 14, would be.
    const std::vector<std::wstring> victims{L"victim.tsv", L"victim.txt", L"victim.hocr", L"victim.xml",
                                            L"victim-0014.png", L"victim-0014.gt.txt"};
    for (const std::wstring& victim : victims) {
        ASSERT_TRUE(WriteBytes(folder / victim, "not the station's\n"));
    }

    options.restart = true;
    options.below = 0; // nothing to show: the new session trains nothing
    RunSession(options);
    for (const std::wstring& victim : victims) {
        EXPECT_EQ(FileBytes(folder / victim), "not the station's\n") << WideToUtf8(victim);
    }
    // The earlier session's own training pair is gone: it is not this session's.
    EXPECT_FALSE(Exists(ownPair));
}
