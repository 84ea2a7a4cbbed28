// A correction proposed again to the later words read alike: accepted, ignored, changed or
// withdrawn, live and after a resume.

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "CorrectionProposals.h"
#include "ScratchFolder.h"
#include "SessionJournal.h"
#include "SessionRun.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "dialog/ControlIds.h"

namespace {

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
            seen[ordinal] = {DialogDriver::WindowText(dialog.Dialog()), dialog.ControlText(IDC_TEXT)};
        };
    };
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 1, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 2, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 3, 7, [&](DialogDriver& d) { d.Do(look(3)).Type(IDC_TEXT, L"these").Click(IDOK); });
        AnswerWord(driver, 4, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 5, 7, [&](DialogDriver& d) { d.Do(look(5)).Click(IDOK); });
        AnswerWord(driver, 6, 7, [&](DialogDriver& d) { d.Do(look(6)).Click(IDC_IGNORE); });
        AnswerWord(driver, 7, 7, [](DialogDriver& d) { d.Click(IDCANCEL); });
        RunSession(options);
        EXPECT_TRUE(driver.Finished());
    }
    SessionRun resumed;
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 7, 7, [&](DialogDriver& d) { d.Do(look(7)).Type(IDC_TEXT, L"thesis").Click(IDOK); });
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
    EXPECT_EQ(byRow[27].proposal, ProposalFate::kNone);
    const std::map<int, std::pair<ProposalFate, std::string>> fates{{40, {ProposalFate::kAccepted, "these"}},
                                                                     {43, {ProposalFate::kIgnored, ""}},
                                                                     {46, {ProposalFate::kChanged, "thesis"}}};
    for (const auto& [row, fate] : fates) {
        SCOPED_TRACE(row);
        EXPECT_EQ(byRow[row].proposed, "these");
        EXPECT_EQ(byRow[row].proposal, fate.first);
        EXPECT_EQ(byRow[row].corrected, fate.second);
    }
    EXPECT_EQ(resumed.printed.at(0), "7/7 ok \"thesis\" (was \"jese\", 89), proposal changed, for training");
    // Why each word was shown, kept with it through the resume.
    for (const VerifiedWord& word : journal.pages.at(0).words) {
        EXPECT_EQ(word.chosenFor, "confidence below 90") << word.index;
    }
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
        sixth.emplace_back(DialogDriver::WindowText(d.Dialog()), d.ControlText(IDC_TEXT));
    };
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 1, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 2, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 3, 7, [](DialogDriver& d) { d.Type(IDC_TEXT, L"these").Click(IDOK); });
        AnswerWord(driver, 4, 7, [](DialogDriver& d) { d.Click(IDOK); });
        AnswerWord(driver, 5, 7, [](DialogDriver& d) { d.Type(IDC_TEXT, L"jese").Click(IDOK); }); // "these" proposed
        AnswerWord(driver, 6, 7, [&](DialogDriver& d) { d.Do(look).Click(IDCANCEL); });
        RunSession(options);
        EXPECT_TRUE(driver.Finished());
    }
    {
        DialogDriver driver(60000);
        AnswerWord(driver, 6, 7, [&](DialogDriver& d) { d.Do(look).Click(IDCANCEL); });
        const SessionRun resumed = RunSession(options);
        EXPECT_TRUE(driver.Finished());
        ASSERT_GE(resumed.Words().size(), 5u);
        EXPECT_EQ(resumed.Words()[4].proposal, ProposalFate::kRejected); // row 40
    }
    ASSERT_EQ(sixth.size(), 2u);
    for (const auto& [caption, text] : sixth) {
        EXPECT_EQ(caption, L"Word Verification \u2013 6 of 7");
        EXPECT_EQ(text, L"jese");
    }

    // A page the engine failed on, verified by a later run after the pages behind it: its
    // answer is the later one, though the journal lists it first.
    SessionRecord retried;
    retried.pages.resize(2);
    VerifiedWord kept;
    kept.text = kept.corrected = "jese";
    kept.outcome = WordOutcome::kOk;
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

// The engine's surest wrong words are real words: "jese" corrected on page 1 is shown on page
// 2 also where the engine is sure of it (row 15, 97, above --below 90), after the words
// chosen, live and when the batch is resumed at page 2.
TEST(StationBatch, ATextCorrectedOnOnePageIsShownWhereverItRecursLaterAlsoAfterAResume)
{
    ScratchFolder folder;
    std::string tsv = FileBytes(StationData(L"page.tsv"));
    Copy(StationData(L"page.png"), folder / L"p1.png");
    Copy(StationData(L"page.png"), folder / L"p2.png");
    ASSERT_TRUE(WriteBytes(folder / L"p1.tsv", tsv));
    const std::string sure = "\tsegmentation\n";
    ASSERT_NE(tsv.find(sure), std::string::npos);
    tsv.replace(tsv.find(sure), sure.size(), "\tjese\n");
    ASSERT_TRUE(WriteBytes(folder / L"p2.tsv", tsv));
    StationOptions options;
    options.inputs = {folder / L"p1.png", folder / L"p2.png"};
    options.out = folder / L"out";
    options.below = 90;
    const auto caption = [](int page, int word, int total) {
        return L"Word Verification \u2013 page " + std::to_wstring(page) + L" of 2 \u2013 word " +
               std::to_wstring(word) + L" of " + std::to_wstring(total);
    };
    const auto showing = [](const std::wstring& shown) {
        return [shown](DialogDriver& d) { return DialogDriver::WindowText(d.Dialog()).rfind(shown, 0) == 0; };
    };
    {
        DialogDriver driver(60000);
        for (int word = 1; word <= 7; ++word) {
            driver.WaitUntil(showing(caption(1, word, 7)));
            if (word == 3) {
                driver.Type(IDC_TEXT, L"these");
            }
            driver.Click(IDOK);
        }
        driver.WaitUntil(showing(caption(2, 1, 8))).Click(IDCANCEL);
        RunSession(options);
        EXPECT_TRUE(driver.Finished());
    }
    options.press = L"ok";
    const SessionRun resumed = RunSession(options);
    std::vector<std::wstring> expected;
    for (int word = 1; word <= 8; ++word) {
        expected.push_back(caption(2, word, 8) +
                           (word == 3 || word == 8 ? L" \u2013 proposed from an earlier correction" : L""));
    }
    EXPECT_EQ(resumed.captions, expected);
    ASSERT_EQ(resumed.journal.pages.size(), 2u);
    for (const VerifiedWord& word : resumed.journal.pages[1].words) {
        EXPECT_EQ(word.chosenFor, word.index == 15 ? "recurring" : "confidence below 90") << word.index;
        EXPECT_EQ(word.corrected, word.text == "jese" ? "these" : word.text) << word.index;
    }
    EXPECT_TRUE(resumed.Printed("chosen: 14 for confidence below 90, 1 for recurring"));
}
