// A whole session on the real scan, driven through the real dialog: corrections, Ignore,
// Train No and Cancel, what the outputs hold afterwards, and the resumed session.

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "CorrectionProposals.h"
#include "FolderEntries.h"
#include "GreyImage.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "SessionJournal.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "VerificationSession.h"

namespace {

struct SessionRun {
    VerificationSession::Summary summary;
    std::vector<std::string> printed;
    std::vector<VerifiedWord> words;
};

SessionRun RunSession(const StationOptions& options)
{
    SessionRun run;
    VerificationSession session(options, &RastStartDialog, [&run](const std::string& line) {
        run.printed.push_back(line);
    });
    session.Prepare();
    run.summary = session.Run();
    run.words = session.Record().pages.at(0).words;
    return run;
}

// A session on the committed scan's TSV alone, with these words of it misread as "jese", all
// alike; its output goes to the folder's "out".
StationOptions MisreadAsJese(const ScratchFolder& folder, std::initializer_list<const char*> words)
{
    std::string tsv = FileBytes(StationData(L"page.tsv"));
    for (const char* word : words) {
        const std::string row = std::string("\t") + word + "\n";
        const size_t found = tsv.find(row);
        EXPECT_NE(found, std::string::npos) << word;
        if (found != std::string::npos) {
            tsv.replace(found, row.size(), "\tjese\n");
        }
    }
    EXPECT_TRUE(WriteBytes(folder / L"page.tsv", tsv));
    StationOptions options = CommittedScan(folder / L"out");
    options.tsv = folder / L"page.tsv";
    options.hocr.clear();
    return options;
}

} // namespace

// The committed TSV's words below 90, in reading order: rows 14 "“based", 19 "determine",
// 27 "jese", 36 "“either", 40 "Here,", 43 "at", 46 "extreme".
TEST(StationSession, CorrectionsIgnoreTrainNoAndCancelAreWrittenThenTheRestIsShownOnResume)
{
    ScratchFolder out;
    const StationOptions options = CommittedScan(out.Path());
    std::wstring firstCaption;
    std::wstring firstText;
    SessionRun first;
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 1, 7, [&](DialogDriver& d) {
            d.Do([&](DialogDriver& dialog) {
                firstCaption = DialogDriver::WindowText(dialog.Dialog());
                firstText = dialog.ControlText(1000);
            });
            d.Type(1000, L"Region-based").Click(IDOK);
        });
        AnswerWord(driver, 2, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 3, 7, [](DialogDriver& d) { d.Type(1000, L"These").Click(1008).Click(IDOK); });
        AnswerWord(driver, 4, 7, [](DialogDriver& d) { d.Click(1009); });
        AnswerWord(driver, 5, 7, [](DialogDriver& d) { d.Click(IDCANCEL); });
        first = RunSession(options);
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(driver.DialogsOpened(), 5);
    }
    EXPECT_EQ(firstCaption, L"Word Verification \u2013 1 of 7");
    EXPECT_EQ(firstText, L"\u201c" L"based");

    const std::map<int, std::string> outcomes{{14, "ok"}, {19, "ok"}, {27, "ok"}, {36, "ignore"}, {40, "cancel"}};
    ASSERT_EQ(first.words.size(), outcomes.size());
    for (const VerifiedWord& word : first.words) {
        SCOPED_TRACE(word.index);
        ASSERT_EQ(outcomes.count(word.index), 1u);
        EXPECT_EQ(word.outcome, outcomes.at(word.index));
    }
    EXPECT_EQ(first.words[0].corrected, "Region-based");
    EXPECT_TRUE(first.words[0].changed);
    EXPECT_TRUE(first.words[0].train);
    EXPECT_EQ(first.words[1].corrected, "determine");
    EXPECT_FALSE(first.words[1].changed);
    EXPECT_EQ(first.words[2].corrected, "These");
    EXPECT_FALSE(first.words[2].train);
    EXPECT_TRUE(first.summary.cancelled);
    EXPECT_EQ(first.summary.ok, 3);
    EXPECT_EQ(first.summary.corrected, 2);
    EXPECT_EQ(first.summary.forTraining, 2);
    EXPECT_EQ(first.summary.ignored, 1);
    const std::vector<std::string> printed{
        "1/7 ok \"Region-based\" (was \"\xE2\x80\x9C" "based\", 23), for training",
        "2/7 ok \"determine\" (71), for training",
        "3/7 ok \"These\" (was \"jese\", 87)",
        "4/7 ignore \"\xE2\x80\x9C" "either\" (56)",
        "5/7 cancel \"Here,\" (87): session stopped",
        "7 words below 90: 3 ok (2 corrected, 2 for training), 1 ignored, 0 skipped; cancelled, the rest waits for "
        "the next run"};
    ASSERT_EQ(first.printed.size(), printed.size() + 1); // and where the results are
    for (size_t i = 0; i < printed.size(); ++i) {
        EXPECT_EQ(first.printed[i], printed[i]);
    }

    // verified.tsv: the input, but for the three verified rows' conf and text.
    const std::vector<std::string> input = Lines(FileBytes(StationData(L"page.tsv")));
    const std::vector<std::string> verified = Lines(FileBytes(out / L"verified.tsv"));
    ASSERT_EQ(verified.size(), input.size());
    const std::map<int, std::string> changedRows{
        {14, "5\t1\t2\t1\t1\t1\t74\t12\t68\t18\t100\tRegion-based"},
        {19, "5\t1\t3\t1\t1\t1\t89\t49\t69\t17\t100\tdetermine"},
        {27, "5\t1\t3\t1\t2\t1\t106\t71\t22\t9\t100\tThese"}};
    for (size_t i = 0; i < input.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        SCOPED_TRACE(row);
        EXPECT_EQ(verified[i], changedRows.count(row) == 0 ? input[i] : changedRows.at(row));
    }
    EXPECT_EQ(FileBytes(out / L"verified.tsv").back(), '\n');

    // The ground truth: exactly the two words confirmed with Train Yes.
    EXPECT_EQ(FileBytes(out / L"train\\0014.gt.txt"), "Region-based\n");
    EXPECT_EQ(FileBytes(out / L"train\\0019.gt.txt"), "determine\n");
    EXPECT_EQ(::GetFileAttributesW((out / L"train\\0027.gt.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW((out / L"train\\0036.gt.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    // The line image is the word's grey crop at the page's resolution: box 74,12 68 x 18
    // and a margin, holding the page's own pixels.
    const PageImage crop = PageImage::Read(out / L"train\\0014.png");
    const PageImage page = PageImage::Read(StationData(L"page.png"));
    EXPECT_GT(crop.Grey().width, 68);
    EXPECT_GT(crop.Grey().height, 18);
    EXPECT_LT(crop.Grey().width, 68 + 20);
    const int marginX = (crop.Grey().width - 68) / 2;
    const int marginY = (crop.Grey().height - 18) / 2;
    int differing = 0;
    for (int y = 0; y < crop.Grey().height; ++y) {
        for (int x = 0; x < crop.Grey().width; ++x) {
            differing += crop.Grey().At(x, y) != page.Grey().At(74 - marginX + x, 12 - marginY + y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);

    const std::vector<std::string> text = Lines(FileBytes(out / L"text.txt"));
    ASSERT_EQ(text.size(), 8u); // three blank noise lines, then the five lines of text
    EXPECT_EQ(text[3], "Region-based segmentation");
    EXPECT_EQ(text[4], "determine markers of the coins and the");
    EXPECT_EQ(text[5], "These markers are pixels that we can label");

    // Resumed: only the words not yet answered, numbered as before.
    std::vector<std::wstring> captions;
    SessionRun second;
    {
        DialogDriver driver(60000);
        for (int ordinal = 5; ordinal <= 7; ++ordinal) {
            AnswerWord(driver, ordinal, 7, [&captions](DialogDriver& d) {
                d.Do([&captions](DialogDriver& dialog) { captions.push_back(DialogDriver::WindowText(dialog.Dialog())); });
                d.Click(1008).Click(IDOK);
            });
        }
        second = RunSession(options);
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_EQ(driver.DialogsOpened(), 3);
    }
    EXPECT_EQ(captions.size(), 3u);
    EXPECT_EQ(second.summary.earlier, 4);
    EXPECT_FALSE(second.summary.cancelled);
    ASSERT_EQ(second.words.size(), 7u);
    const int order[] = {14, 19, 27, 36, 40, 43, 46};
    for (size_t i = 0; i < second.words.size(); ++i) {
        EXPECT_EQ(second.words[i].index, order[i]);
        EXPECT_TRUE(second.words[i].Answered());
    }
    EXPECT_EQ(second.words[0].corrected, "Region-based"); // the first run's answer, kept
    EXPECT_NE(FileBytes(out / L"session.json").find("\"finished\": true"), std::string::npos);
    EXPECT_EQ(Lines(FileBytes(out / L"verified.tsv"))[13], "5\t1\t2\t1\t1\t1\t74\t12\t68\t18\t100\tRegion-based");

    // A third run has nothing left to show.
    DialogDriver idle(20000);
    const SessionRun third = RunSession(options);
    EXPECT_EQ(idle.DialogsOpened(), 0);
    EXPECT_EQ(third.summary.earlier, 7);

    // --restart forgets them all, training pairs included.
    StationOptions restart = options;
    restart.restart = true;
    restart.below = 0; // nothing to show
    const SessionRun fourth = RunSession(restart);
    EXPECT_TRUE(fourth.words.empty());
    EXPECT_EQ(::GetFileAttributesW((out / L"train\\0014.gt.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FileBytes(out / L"verified.tsv"), FileBytes(StationData(L"page.tsv")));
}

// Every word of the page, with no hOCR: sizes from the boxes, orientation 0, the blank
// noise words shown as recognised and the session complete.
TEST(StationSession, TsvAloneShowsEveryWordBelowTheThresholdWithBoxHeightsAsSizes)
{
    ScratchFolder out;
    StationOptions options = CommittedScan(out.Path());
    options.hocr.clear();
    options.below = 100;
    options.press = L"ignore";
    const SessionRun run = RunSession(options);
    ASSERT_EQ(run.words.size(), 33u);
    EXPECT_EQ(run.summary.ignored, 33);
    for (const VerifiedWord& word : run.words) {
        EXPECT_EQ(word.outcome, "ignore");
        EXPECT_NEAR(word.size, word.box.height * 72.0 / 72.009, 0.006) << word.index;
        EXPECT_EQ(word.orientation, 0.0);
    }
    EXPECT_EQ(run.words[0].text, "  "); // the corner's noise, exactly as recognised
    EXPECT_EQ(FileBytes(out / L"verified.tsv"), FileBytes(StationData(L"page.tsv")));
}

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
    AnswerWord(driver, 1, 7, [](DialogDriver& d) { d.Type(1000, L"Region-based").Click(IDOK); });
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

// hOCR alone: its words by position, its lines for the text, no verified TSV to write.
TEST(StationSession, HocrAloneNumbersWordsByPositionAndWritesNoTsv)
{
    ScratchFolder out;
    StationOptions options = CommittedScan(out.Path());
    options.tsv.clear();
    options.press = L"ok";
    const SessionRun run = RunSession(options);
    // The hOCR's rounded confidences below 90: 22, 70, 86, 56, 86, 88, 89.
    ASSERT_EQ(run.words.size(), 7u);
    const int positions[] = {1, 3, 10, 18, 22, 24, 27};
    for (size_t i = 0; i < run.words.size(); ++i) {
        EXPECT_EQ(run.words[i].index, positions[i]);
    }
    EXPECT_EQ(run.words[0].text, "\xE2\x80\x9C" "based");
    EXPECT_EQ(run.words[0].size, 22.0);         // the line's x_size, 22 px at 72 dpi
    EXPECT_EQ(run.words[1].orientation, 0.57); // baseline slope -0.01
    EXPECT_EQ(::GetFileAttributesW((out / L"verified.tsv").c_str()), INVALID_FILE_ATTRIBUTES);
    const std::vector<std::string> text = Lines(FileBytes(out / L"text.txt"));
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(text[0], "\xE2\x80\x9C" "based segmentation");
    EXPECT_EQ(FileBytes(out / L"train\\0001.gt.txt"), "\xE2\x80\x9C" "based\n");
}

// "jese" (row 27) corrected once is offered again to the later words read as "jese" (rows
// 40, 43 and 46 here): OK accepts it, Ignore ignores it, and after a Cancel the resumed
// session still offers it, where typing over it changes it.
TEST(StationSession, ACorrectionIsProposedAgainAcceptedIgnoredOrChangedAndSurvivesAResume)
{
    ScratchFolder out;
    const StationOptions options = MisreadAsJese(out, {"Here,", "at", "extreme"});

    struct Seen {
        std::wstring caption;
        std::wstring text;
    };
    std::map<int, Seen> seen;
    const auto look = [&seen](int ordinal) {
        return [&seen, ordinal](DialogDriver& dialog) {
            seen[ordinal] = {DialogDriver::WindowText(dialog.Dialog()), dialog.ControlText(1000)};
        };
    };
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 1, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 2, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 3, 7, [&](DialogDriver& d) { d.Do(look(3)).Type(1000, L"these").Click(IDOK); });
        AnswerWord(driver, 4, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 5, 7, [&](DialogDriver& d) { d.Do(look(5)).Click(IDOK); });
        AnswerWord(driver, 6, 7, [&](DialogDriver& d) { d.Do(look(6)).Click(1009); });
        AnswerWord(driver, 7, 7, [](DialogDriver& d) { d.Click(IDCANCEL); });
        RunSession(options);
        EXPECT_TRUE(driver.Finished());
    }
    SessionRun resumed;
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 7, 7, [&](DialogDriver& d) { d.Do(look(7)).Type(1000, L"thesis").Click(IDOK); });
        resumed = RunSession(options);
        EXPECT_TRUE(driver.Finished());
    }
    const std::wstring proposed = L" \u2013 proposed from an earlier correction";
    EXPECT_EQ(seen[3].caption, L"Word Verification \u2013 3 of 7");
    EXPECT_EQ(seen[3].text, L"jese");
    for (const int ordinal : {5, 6, 7}) {
        SCOPED_TRACE(ordinal);
        EXPECT_EQ(seen[ordinal].caption, L"Word Verification \u2013 " + std::to_wstring(ordinal) + L" of 7" + proposed);
        EXPECT_EQ(seen[ordinal].text, L"these");
    }

    // The journal, read back as a later run reads it.
    SessionRecord journal;
    std::string error;
    ASSERT_TRUE(SessionJournal::FromJson(FileBytes(out / L"out\\session.json"), journal, error)) << error;
    std::map<int, VerifiedWord> byRow;
    for (const VerifiedWord& word : journal.pages.at(0).words) {
        byRow[word.index] = word;
    }
    EXPECT_EQ(byRow[27].proposal, "");
    const std::map<int, std::pair<std::string, std::string>> fates{
        {40, {"accepted", "these"}}, {43, {"ignored", ""}}, {46, {"changed", "thesis"}}};
    for (const auto& [row, fate] : fates) {
        SCOPED_TRACE(row);
        EXPECT_EQ(byRow[row].proposed, "these");
        EXPECT_EQ(byRow[row].proposal, fate.first);
        EXPECT_EQ(byRow[row].corrected, fate.second);
    }
    EXPECT_EQ(resumed.printed.at(0), "7/7 ok \"thesis\" (was \"jese\", 89), proposal changed, for training");
}

// A proposal typed over with the recognised text stayed proposed to every later "jese", live
// and after a resume, so that Enter applied a correction already refused. The latest decision
// on a text is the one proposed, replayed in the order the answers were given.
TEST(StationSession, AProposalTypedOverWithTheRecognisedTextIsWithdrawnAlsoOnResume)
{
    ScratchFolder out;
    const StationOptions options = MisreadAsJese(out, {"Here,", "at"});

    std::vector<std::pair<std::wstring, std::wstring>> sixth; // caption and text, in each run
    const auto look = [&sixth](DialogDriver& d) {
        sixth.emplace_back(DialogDriver::WindowText(d.Dialog()), d.ControlText(1000));
    };
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 1, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 2, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 3, 7, [](DialogDriver& d) { d.Type(1000, L"these").Click(IDOK); });
        AnswerWord(driver, 4, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 5, 7, [](DialogDriver& d) { d.Type(1000, L"jese").Click(IDOK); }); // "these" proposed
        AnswerWord(driver, 6, 7, [&](DialogDriver& d) { d.Do(look).Click(IDCANCEL); });
        RunSession(options);
        EXPECT_TRUE(driver.Finished());
    }
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 6, 7, [&](DialogDriver& d) { d.Do(look).Click(IDCANCEL); });
        const SessionRun resumed = RunSession(options);
        EXPECT_TRUE(driver.Finished());
        ASSERT_GE(resumed.words.size(), 5u);
        EXPECT_EQ(resumed.words[4].proposal, "rejected"); // row 40
    }
    ASSERT_EQ(sixth.size(), 2u);
    for (const auto& [caption, text] : sixth) {
        EXPECT_EQ(caption, VerificationSession::Caption(6, 7));
        EXPECT_EQ(text, L"jese");
    }

    // A page the engine failed on, verified by a later run after the pages behind it: its
    // answer is the later one, though the journal lists it first.
    SessionRecord retried;
    retried.pages.resize(2);
    VerifiedWord kept;
    kept.text = kept.corrected = "jese";
    kept.outcome = "ok";
    kept.order = 2;
    VerifiedWord corrected = kept;
    corrected.corrected = "these";
    corrected.changed = true;
    corrected.order = 1;
    retried.pages[0].words = {kept};
    retried.pages[1].words = {corrected};
    CorrectionProposals proposals;
    proposals.LearnFrom(retried);
    EXPECT_EQ(proposals.For("jese"), "");
}
