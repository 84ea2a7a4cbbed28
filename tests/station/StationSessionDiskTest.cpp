// What a power cut or a killed process would leave: every answer is on disk before the next
// word is shown, and a dialog that cannot be shown stops the session with every answer so far
// written.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "FolderEntries.h"
#include "ScratchFolder.h"
#include "SessionJournal.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "VerificationSession.h"
#include "dialog/ControlIds.h"

namespace {

// What each dialog of a session finds on disk when it opens: the moment a power cut or a
// killed process would freeze.
struct DiskAtEachWord {
    std::wstring out;
    std::wstring frozenCopy; // the output folder as it was when the fourth dialog opened
    std::vector<int> journalWords;
    int partialFiles = 0;
    int calls = 0;
    bool failThird = false; // the third call fails as a refused call does
};
DiskAtEachWord g_disk;

void CopyFolder(const std::wstring& from, const std::wstring& to)
{
    ::CreateDirectoryW(to.c_str(), nullptr);
    for (const FolderEntry& entry : FolderEntries(from)) {
        if (entry.folder) {
            CopyFolder(from + L"\\" + entry.name, to + L"\\" + entry.name);
        } else {
            g_disk.partialFiles += entry.name.find(L".partial") != std::wstring::npos ? 1 : 0;
            ::CopyFileW((from + L"\\" + entry.name).c_str(), (to + L"\\" + entry.name).c_str(), FALSE);
        }
    }
}

int WINAPI InspectDiskThenShow(HWND parent, int kind, int mode, wchar_t* text, int length, double* size,
                               double* orientation, int confidence, int r1, int g1, int b1, int rb, int gb, int bb,
                               int r2, int g2, int b2, LayerDrawFn layer1, LayerDrawFn layer2, int* reserved,
                               int* train, int* unchanged, TextLookupFn lookup)
{
    ++g_disk.calls;
    SessionRecord journal;
    std::string error;
    g_disk.journalWords.push_back(SessionJournal::FromJson(FileBytes(g_disk.out + L"\\session.json"), journal, error)
                                      ? static_cast<int>(journal.pages.at(0).words.size())
                                      : -1);
    if (g_disk.calls == 4) {
        CopyFolder(g_disk.out, g_disk.frozenCopy);
    }
    if (g_disk.failThird && g_disk.calls == 3) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return TARSIL_RESULT_CANCEL;
    }
    return RastStartDialog(parent, kind, mode, text, length, size, orientation, confidence, r1, g1, b1, rb, gb, bb,
                           r2, g2, b2, layer1, layer2, reserved, train, unchanged, lookup);
}

} // namespace

TEST(StationSession, EveryAnswerIsOnDiskBeforeTheNextWordAndAFrozenFolderResumesFromIt)
{
    ScratchFolder folder;
    g_disk = DiskAtEachWord();
    g_disk.out = folder / L"out";
    g_disk.frozenCopy = folder / L"frozen";
    StationOptions options = CommittedScan(g_disk.out);
    {
        DialogDriver driver(60000);
        for (int ordinal = 1; ordinal <= 7; ++ordinal) {
            AnswerWord(driver, ordinal, 7, [](DialogDriver& d) { d.Click(IDOK); });
        }
        VerificationSession session(options, &InspectDiskThenShow, [](const std::string&) {});
        session.Prepare();
        session.Run();
        EXPECT_TRUE(driver.Finished());
    }
    // The first dialog finds no journal yet; each later one the answers before it.
    EXPECT_EQ(g_disk.journalWords, (std::vector<int>{-1, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(g_disk.partialFiles, 0);

    // The folder as the fourth dialog found it, taken up by a new run: words 4 to 7 only,
    // and every output complete.
    options.out = g_disk.frozenCopy;
    std::vector<std::wstring> captions;
    DialogDriver driver(60000);
    for (int ordinal = 4; ordinal <= 7; ++ordinal) {
        AnswerWord(driver, ordinal, 7, [&captions](DialogDriver& d) {
            d.Do([&captions](DialogDriver& dialog) { captions.push_back(DialogDriver::WindowText(dialog.Dialog())); });
            d.Click(IDOK);
        });
    }
    VerificationSession resumed(options, &RastStartDialog, [](const std::string&) {});
    resumed.Prepare();
    const VerificationSession::Summary summary = resumed.Run();
    EXPECT_EQ(driver.DialogsOpened(), 4);
    EXPECT_EQ(captions.size(), 4u);
    EXPECT_EQ(summary.earlier, 3);
    EXPECT_EQ(resumed.Record().pages.at(0).words.size(), 7u);
    EXPECT_EQ(FileBytes(g_disk.frozenCopy + L"\\verified.tsv"), FileBytes(g_disk.out + L"\\verified.tsv"));
    EXPECT_EQ(FileBytes(g_disk.frozenCopy + L"\\train\\0014.png"), FileBytes(g_disk.out + L"\\train\\0014.png"));
    EXPECT_EQ(FileBytes(g_disk.frozenCopy + L"\\train\\0046.gt.txt"), "extreme\n");
}

TEST(StationSession, ADialogThatCannotBeShownStopsTheSessionWithEveryAnswerSoFarWritten)
{
    ScratchFolder folder;
    g_disk = DiskAtEachWord();
    g_disk.out = folder / L"out";
    g_disk.failThird = true;
    const StationOptions options = CommittedScan(g_disk.out);
    DialogDriver driver(30000);
    AnswerWord(driver, 1, 7, [](DialogDriver& d) { d.Type(IDC_TEXT, L"Region-based").Click(IDOK); });
    AnswerWord(driver, 2, 7, [](DialogDriver& d) { d.Click(IDOK); });
    VerificationSession session(options, &InspectDiskThenShow, [](const std::string&) {});
    session.Prepare();
    EXPECT_THROW(session.Run(), SessionFailure);
    EXPECT_EQ(g_disk.calls, 3);
    ASSERT_EQ(session.Record().pages.at(0).words.size(), 2u); // the failed word is not taken for an answer
    EXPECT_EQ(Lines(FileBytes(g_disk.out + L"\\verified.tsv"))[13],
              "5\t1\t2\t1\t1\t1\t74\t12\t68\t18\t100\tRegion-based");
    EXPECT_EQ(FileBytes(g_disk.out + L"\\train\\0019.gt.txt"), "determine\n");
}
