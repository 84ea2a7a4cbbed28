// A whole session on the real scan, driven through the real dialog: corrections, Ignore,
// Train No and Cancel, what the outputs hold afterwards, and the resumed session; the TSV
// alone and the hOCR alone.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "Box.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "SessionRun.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "WordCrop.h"
#include "dialog/ControlIds.h"

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
                firstText = dialog.ControlText(IDC_TEXT);
            });
            d.Type(IDC_TEXT, L"Region-based").Click(IDOK);
        });
        AnswerWord(driver, 2, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 3, 7, [](DialogDriver& d) { d.Type(IDC_TEXT, L"These").Click(IDC_NO).Click(IDOK); });
        AnswerWord(driver, 4, 7, [](DialogDriver& d) { d.Click(IDC_IGNORE); });
        AnswerWord(driver, 5, 7, [](DialogDriver& d) { d.Click(IDCANCEL); });
        first = RunSession(options);
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(driver.DialogsOpened(), 5);
    }
    EXPECT_EQ(firstCaption, L"Word Verification \u2013 1 of 7");
    EXPECT_EQ(firstText, L"\u201c" L"based");

    const std::map<int, WordOutcome> outcomes{{14, WordOutcome::kOk},
                                              {19, WordOutcome::kOk},
                                              {27, WordOutcome::kOk},
                                              {36, WordOutcome::kIgnore},
                                              {40, WordOutcome::kCancel}};
    ASSERT_EQ(first.Words().size(), outcomes.size());
    for (const VerifiedWord& word : first.Words()) {
        SCOPED_TRACE(word.index);
        ASSERT_EQ(outcomes.count(word.index), 1u);
        EXPECT_EQ(word.outcome, outcomes.at(word.index));
    }
    EXPECT_EQ(first.Words()[0].corrected, "Region-based");
    EXPECT_TRUE(first.Words()[0].changed);
    EXPECT_TRUE(first.Words()[0].train);
    EXPECT_EQ(first.Words()[1].corrected, "determine");
    EXPECT_FALSE(first.Words()[1].changed);
    EXPECT_EQ(first.Words()[2].corrected, "These");
    EXPECT_FALSE(first.Words()[2].train);
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
        "the next run",
        "chosen: 7 for confidence below 90"};
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
    EXPECT_EQ(DifferingPixels(out / L"train\\0014.png", page.Grey(), Box{74, 12, 68, 18}), 0);

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
                d.Click(IDC_NO).Click(IDOK);
            });
        }
        second = RunSession(options);
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_EQ(driver.DialogsOpened(), 3);
    }
    EXPECT_EQ(captions.size(), 3u);
    EXPECT_EQ(second.summary.earlier, 4);
    EXPECT_FALSE(second.summary.cancelled);
    ASSERT_EQ(second.Words().size(), 7u);
    const int order[] = {14, 19, 27, 36, 40, 43, 46};
    for (size_t i = 0; i < second.Words().size(); ++i) {
        EXPECT_EQ(second.Words()[i].index, order[i]);
        EXPECT_TRUE(second.Words()[i].Answered());
    }
    EXPECT_EQ(second.Words()[0].corrected, "Region-based"); // the first run's answer, kept
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
    EXPECT_TRUE(fourth.Words().empty());
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
    ASSERT_EQ(run.Words().size(), 33u);
    EXPECT_EQ(run.summary.ignored, 33);
    for (const VerifiedWord& word : run.Words()) {
        EXPECT_EQ(word.outcome, WordOutcome::kIgnore);
        EXPECT_NEAR(word.size, word.box.height * 72.0 / 72.009, 0.006) << word.index;
        EXPECT_EQ(word.orientation, 0.0);
    }
    EXPECT_EQ(run.Words()[0].text, "  "); // the corner's noise, exactly as recognised
    EXPECT_EQ(FileBytes(out / L"verified.tsv"), FileBytes(StationData(L"page.tsv")));
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
    ASSERT_EQ(run.Words().size(), 7u);
    const int positions[] = {1, 3, 10, 18, 22, 24, 27};
    for (size_t i = 0; i < run.Words().size(); ++i) {
        EXPECT_EQ(run.Words()[i].index, positions[i]);
    }
    EXPECT_EQ(run.Words()[0].text, "\xE2\x80\x9C" "based");
    EXPECT_EQ(run.Words()[0].size, 22.0);         // the line's x_size, 22 px at 72 dpi
    EXPECT_EQ(run.Words()[1].orientation, 0.57); // baseline slope -0.01
    EXPECT_EQ(::GetFileAttributesW((out / L"verified.tsv").c_str()), INVALID_FILE_ATTRIBUTES);
    const std::vector<std::string> text = Lines(FileBytes(out / L"text.txt"));
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(text[0], "\xE2\x80\x9C" "based segmentation");
    EXPECT_EQ(FileBytes(out / L"train\\0001.gt.txt"), "\xE2\x80\x9C" "based\n");
}
