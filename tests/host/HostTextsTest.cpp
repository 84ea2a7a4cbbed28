// Texts the host supplies through its lookup callback.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"

namespace {

// A host lookup that records every id asked and answers from a table (null where the
// table has no entry).
std::vector<int> g_asked;
std::map<int, std::wstring> g_answers;

const wchar_t* WINAPI RecordingLookup(int id)
{
    g_asked.push_back(id);
    const auto found = g_answers.find(id);
    return found == g_answers.end() ? nullptr : found->second.c_str();
}

// A host that answers every id from one buffer, overwritten on each call.
const wchar_t* WINAPI SharedBufferLookup(int id)
{
    static wchar_t shared[64];
    g_asked.push_back(id);
    const auto found = g_answers.find(id);
    if (found == g_answers.end()) {
        return nullptr;
    }
    wcsncpy(shared, found->second.c_str(), 63);
    return shared;
}

const std::vector<int> kCommonIds = {102, IDC_YES, IDC_NO, IDC_TEXT_LABEL, IDC_SIZE_LABEL, IDC_ORIENTATION_LABEL,
                                     IDC_CONFIDENCE_LABEL, IDC_TRAIN_LABEL, IDCANCEL};

std::vector<int> CommonIdsAnd(std::vector<int> more)
{
    std::vector<int> ids = kCommonIds;
    ids.insert(ids.end(), more.begin(), more.end());
    return ids;
}

class HostTexts : public testing::Test {
protected:
    void SetUp() override
    {
        g_asked.clear();
        g_answers.clear();
        call.lookup = &RecordingLookup;
    }

    // Texts of the caption and the controls with texts, read while the dialog is open.
    struct Shown {
        std::wstring caption, ok, ignore, cancel, yes, no, textLabel, sizeLabel, orientationLabel, confidenceLabel,
            trainLabel;
    };

    Shown OpenAndRead()
    {
        Shown shown;
        DialogDriver driver;
        driver
            .Do([&](DialogDriver& d) {
                shown = {DialogDriver::WindowText(d.Dialog()), d.ControlText(IDOK), d.ControlText(IDC_IGNORE),
                         d.ControlText(IDCANCEL), d.ControlText(IDC_YES), d.ControlText(IDC_NO),
                         d.ControlText(IDC_TEXT_LABEL), d.ControlText(IDC_SIZE_LABEL),
                         d.ControlText(IDC_ORIENTATION_LABEL), d.ControlText(IDC_CONFIDENCE_LABEL),
                         d.ControlText(IDC_TRAIN_LABEL)};
                askedAtInitialisation = g_asked;
            })
            .Click(IDCANCEL);
        call.Run();
        EXPECT_TRUE(driver.Finished());
        return shown;
    }

    // Presses OK with an empty text and returns the message box that refuses it.
    DialogDriver::MessageBoxSeen RefuseEmptyText()
    {
        DialogDriver driver;
        driver.Type(IDC_TEXT, L"")
            .Do([](DialogDriver&) { g_asked.clear(); })
            .Click(IDOK)
            .AwaitMessageBox()
            .CloseMessageBox()
            .Click(IDCANCEL);
        call.Run();
        EXPECT_EQ(driver.MessageBoxes().size(), 1u);
        return driver.MessageBoxes().empty() ? DialogDriver::MessageBoxSeen{} : driver.MessageBoxes()[0];
    }

    HostCall call;
    std::vector<int> askedAtInitialisation;
};

} // namespace

TEST_F(HostTexts, IdsAskedAtInitialisationDependOnTheMode)
{
    const std::pair<int, std::vector<int>> cases[] = {
        {0, CommonIdsAnd({IDC_IGNORE, IDOK})},
        {1, CommonIdsAnd({1067, 1068})},
        {2, CommonIdsAnd({IDC_IGNORE, IDOK, 1073, 1072})},
        {7, kCommonIds},
        {-1, kCommonIds},
    };
    for (const auto& [mode, expected] : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        g_asked.clear();
        call.mode = mode;
        OpenAndRead();
        EXPECT_EQ(askedAtInitialisation, expected);
    }
}

TEST_F(HostTexts, EveryTextComesFromTheHostInModeZero)
{
    for (int id : CommonIdsAnd({IDC_IGNORE, IDOK})) {
        g_answers[id] = L"text " + std::to_wstring(id);
    }
    const Shown shown = OpenAndRead();
    EXPECT_EQ(shown.caption, L"text 102");
    EXPECT_EQ(shown.ok, L"text 1");
    EXPECT_EQ(shown.ignore, L"text 1009");
    EXPECT_EQ(shown.cancel, L"text 2");
    EXPECT_EQ(shown.yes, L"text 1007");
    EXPECT_EQ(shown.no, L"text 1008");
    EXPECT_EQ(shown.textLabel, L"text 1013");
    EXPECT_EQ(shown.sizeLabel, L"text 1014");
    EXPECT_EQ(shown.orientationLabel, L"text 1015");
    EXPECT_EQ(shown.confidenceLabel, L"text 1016");
    EXPECT_EQ(shown.trainLabel, L"text 1022");
}

TEST_F(HostTexts, NullKeepsTheTemplatesTextAndAnEmptyStringEmptiesIt)
{
    g_answers[IDC_SIZE_LABEL] = L"";
    g_answers[IDC_NO] = L"Nein";
    const Shown shown = OpenAndRead();
    EXPECT_EQ(shown.sizeLabel, L"");
    EXPECT_EQ(shown.no, L"Nein");
    EXPECT_EQ(shown.yes, L"  &Yes");
    EXPECT_EQ(shown.cancel, L"  &Cancel ");
    EXPECT_EQ(shown.caption, L"Word Verification");
}

TEST_F(HostTexts, ModeOneRelabelsOkAndIgnoreFromTheirOwnIds)
{
    call.mode = 1;
    g_answers[IDOK] = L"never";
    g_answers[IDC_IGNORE] = L"never";
    g_answers[1067] = L"Accept";
    g_answers[1068] = L"Skip";
    const Shown shown = OpenAndRead();
    EXPECT_EQ(shown.ok, L"Accept");
    EXPECT_EQ(shown.ignore, L"Skip");
    EXPECT_EQ(std::count(g_asked.begin(), g_asked.end(), IDOK), 0);
    EXPECT_EQ(std::count(g_asked.begin(), g_asked.end(), IDC_IGNORE), 0);
}

TEST_F(HostTexts, ModeTwoRetitlesTheDialogAndTheTrainLabelWhenTheHostSaysSo)
{
    call.mode = 2;
    g_answers[102] = L"Caption 102";
    g_answers[IDC_TRAIN_LABEL] = L"Label 1022";
    Shown shown = OpenAndRead();
    EXPECT_EQ(shown.caption, L"Caption 102");
    EXPECT_EQ(shown.trainLabel, L"Label 1022");

    g_answers[1073] = L"Caption 1073";
    g_answers[1072] = L"Label 1072";
    shown = OpenAndRead();
    EXPECT_EQ(shown.caption, L"Caption 1073");
    EXPECT_EQ(shown.trainLabel, L"Label 1072");
}

TEST_F(HostTexts, ModesWithoutTextsOfTheirOwnKeepOkAndIgnore)
{
    call.mode = 7;
    g_answers[IDOK] = L"never";
    g_answers[1067] = L"never";
    const Shown shown = OpenAndRead();
    EXPECT_EQ(shown.ok, L"   &OK   ");
    EXPECT_EQ(shown.ignore, L"  &Ignore  ");
}

TEST_F(HostTexts, HiddenTrainControlsStillGetTheirTexts)
{
    call.kind = 2;
    call.mode = 2;
    g_answers[IDC_YES] = L"Ja";
    g_answers[1072] = L"Lernen?";
    const Shown shown = OpenAndRead();
    EXPECT_EQ(askedAtInitialisation, CommonIdsAnd({IDC_IGNORE, IDOK, 1073, 1072}));
    EXPECT_EQ(shown.yes, L"Ja");
    EXPECT_EQ(shown.trainLabel, L"Lernen?");
}

TEST_F(HostTexts, ErrorBoxShowsTheHostsMessageUnderTheHostsCaption)
{
    g_answers[1071] = L"Kein Text.";
    g_answers[1069] = L"Fehler";
    const DialogDriver::MessageBoxSeen box = RefuseEmptyText();
    EXPECT_EQ(box.caption, L"Fehler");
    EXPECT_EQ(box.text, L"Kein Text.");
    EXPECT_EQ(g_asked, (std::vector<int>{1071, 1069}));
}

TEST_F(HostTexts, ErrorBoxNeverMixesHostAndBuiltInTexts)
{
    g_answers[1071] = L"Kein Text.";
    DialogDriver::MessageBoxSeen box = RefuseEmptyText();
    EXPECT_EQ(box.caption, L"Error Message");
    EXPECT_EQ(box.text, L" No text was entered.");
    EXPECT_EQ(g_asked, (std::vector<int>{1071, 1069}));

    // Without the message the caption is not even asked for.
    g_answers.clear();
    g_answers[1069] = L"Fehler";
    box = RefuseEmptyText();
    EXPECT_EQ(box.caption, L"Error Message");
    EXPECT_EQ(box.text, L" No text was entered.");
    EXPECT_EQ(g_asked, (std::vector<int>{1071}));
}

TEST_F(HostTexts, NegativeSizeAsksForItsOwnMessage)
{
    g_answers[1070] = L"Negativ!";
    g_answers[1069] = L"Fehler";
    DialogDriver driver;
    driver.Type(IDC_SIZE, L"-1")
        .Do([](DialogDriver&) { g_asked.clear(); })
        .Click(IDOK)
        .AwaitMessageBox()
        .CloseMessageBox()
        .Click(IDCANCEL);
    call.Run();
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    EXPECT_EQ(driver.MessageBoxes()[0].text, L"Negativ!");
    EXPECT_EQ(driver.MessageBoxes()[0].caption, L"Fehler");
    EXPECT_EQ(g_asked, (std::vector<int>{1070, 1069}));
}

TEST_F(HostTexts, HostAnsweringFromOneSharedBufferStillGetsItsMessageShown)
{
    call.lookup = &SharedBufferLookup;
    g_answers[1071] = L"Kein Text.";
    g_answers[1069] = L"Fehler";
    const DialogDriver::MessageBoxSeen box = RefuseEmptyText();
    EXPECT_EQ(box.caption, L"Fehler");
    EXPECT_EQ(box.text, L"Kein Text.");
}

namespace {

std::vector<int> g_firstAsked;

const wchar_t* WINAPI FirstLookup(int id)
{
    g_firstAsked.push_back(id);
    return L"first";
}

} // namespace

TEST_F(HostTexts, EachCallUsesOnlyItsOwnLookup)
{
    call.lookup = &FirstLookup;
    OpenAndRead();
    EXPECT_EQ(g_firstAsked.size(), 11u);

    g_firstAsked.clear();
    HostCall second;
    second.lookup = &RecordingLookup;
    g_answers[102] = L"second";
    std::wstring caption;
    DialogDriver driver;
    driver.Do([&](DialogDriver& d) { caption = DialogDriver::WindowText(d.Dialog()); }).Click(IDCANCEL);
    second.Run();
    EXPECT_TRUE(g_firstAsked.empty());
    EXPECT_EQ(caption, L"second");
    EXPECT_EQ(g_asked.size(), 11u);
}
