// The dialog's checks of the user's input, and what it shows and keeps.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>
#include <vector>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"

namespace {

// Types `size` and presses OK; when OK is refused, records the message box, closes it
// and presses Cancel.
struct SizeOutcome {
    int result;
    double size;
    std::vector<DialogDriver::MessageBoxSeen> boxes;
};

SizeOutcome EnterSize(const std::wstring& size, bool refused)
{
    HostCall call;
    DialogDriver driver;
    driver.Type(IDC_SIZE, size).Click(IDOK);
    if (refused) {
        driver.AwaitMessageBox().CloseMessageBox().Click(IDCANCEL);
    }
    const int result = call.Run();
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut());
    return {result, call.sizeValue, driver.MessageBoxes()};
}

} // namespace

TEST(DialogInput, EmptyTextIsRefusedWithItsMessageAndTheDialogStaysOpen)
{
    HostCall call;
    DialogDriver driver;
    driver.Type(IDC_TEXT, L"").Click(IDOK).AwaitMessageBox().CloseMessageBox().Type(IDC_TEXT, L"again").Click(IDOK);

    EXPECT_EQ(call.Run(), 1);
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    EXPECT_EQ(driver.MessageBoxes()[0].caption, L"Error Message");
    EXPECT_EQ(driver.MessageBoxes()[0].text, L" No text was entered.");
    EXPECT_EQ(call.Text(), L"again");
}

TEST(DialogInput, TextOfBlanksIsAccepted)
{
    HostCall call;
    DialogDriver driver;
    driver.Type(IDC_TEXT, L"   ").Click(IDOK);
    EXPECT_EQ(call.Run(), 1);
    EXPECT_TRUE(driver.MessageBoxes().empty());
    EXPECT_EQ(call.Text(), L"   ");
}

TEST(DialogInput, NegativeSizesAreRefused)
{
    for (const wchar_t* size : {L"-0.5", L"-inf", L"-1e-300"}) {
        SCOPED_TRACE(testing::Message() << "size " << std::string(size, size + wcslen(size)));
        const SizeOutcome outcome = EnterSize(size, true);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.size, 12.5);
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(outcome.boxes[0].caption, L"Error Message");
        EXPECT_EQ(outcome.boxes[0].text, L" Size cannot be negative.");
    }
}

TEST(DialogInput, SizesThatAreNotNegativeAreAcceptedAsConverted)
{
    struct Case {
        const wchar_t* typed;
        double expected;
    };
    const Case cases[] = {
        {L"abc", 0.0}, {L"", 0.0}, {L"12abc", 12.0}, {L"  7.25", 7.25}, {L"0x10", 16.0}, {L"1e999", INFINITY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << std::string(c.typed, c.typed + wcslen(c.typed)));
        const SizeOutcome outcome = EnterSize(c.typed, false);
        EXPECT_EQ(outcome.result, 1);
        EXPECT_EQ(outcome.size, c.expected);
        EXPECT_TRUE(outcome.boxes.empty());
    }

    const SizeOutcome negativeZero = EnterSize(L"-0", false);
    EXPECT_EQ(negativeZero.result, 1);
    EXPECT_EQ(negativeZero.size, 0.0);
    EXPECT_TRUE(std::signbit(negativeZero.size));

    const SizeOutcome notANumber = EnterSize(L"nan", false);
    EXPECT_EQ(notANumber.result, 1);
    EXPECT_TRUE(std::isnan(notANumber.size));
}

TEST(DialogInput, NegativeOrientationIsAccepted)
{
    HostCall call;
    DialogDriver driver;
    driver.Type(IDC_ORIENTATION, L"-90.5").Click(IDOK);
    EXPECT_EQ(call.Run(), 1);
    EXPECT_EQ(call.orientationValue, -90.5);
}

TEST(DialogInput, FieldsShowTheRecordAndConfidenceIsReadOnly)
{
    HostCall call;
    call.SetText(L"Tarsil");
    call.sizeValue = 12.5;
    call.orientationValue = -3.0;
    call.confidence = -42;
    std::wstring text, size, orientation, confidence;
    LONG confidenceStyle = 0;
    LRESULT yesState = BST_UNCHECKED;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            text = d.ControlText(IDC_TEXT);
            size = d.ControlText(IDC_SIZE);
            orientation = d.ControlText(IDC_ORIENTATION);
            confidence = d.ControlText(IDC_CONFIDENCE);
            confidenceStyle = ::GetWindowLongW(d.Control(IDC_CONFIDENCE), GWL_STYLE);
            yesState = ::SendMessageW(d.Control(IDC_YES), BM_GETCHECK, 0, 0);
        })
        .Click(IDOK);
    EXPECT_EQ(call.Run(), 1);
    EXPECT_EQ(text, L"Tarsil");
    EXPECT_EQ(size, L"12.500000");
    EXPECT_EQ(orientation, L"-3.000000");
    EXPECT_EQ(confidence, L"-42");
    EXPECT_TRUE(confidenceStyle & ES_READONLY);
    EXPECT_EQ(yesState, BST_CHECKED);
}

TEST(DialogInput, NumbersUseAFullStopWhateverTheHostsLocale)
{
    ASSERT_NE(std::setlocale(LC_ALL, "German_Germany.1252"), nullptr);
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5"); // the host's own formatting now uses a comma

    HostCall call;
    call.sizeValue = 12.5;
    std::wstring shown;
    DialogDriver driver;
    driver.Do([&](DialogDriver& d) { shown = d.ControlText(IDC_SIZE); })
        .Type(IDC_ORIENTATION, L"2.75")
        .Click(IDOK);
    const int result = call.Run();
    std::setlocale(LC_ALL, "C");

    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, L"12.500000");
    EXPECT_EQ(call.orientationValue, 2.75);
}

TEST(DialogInput, TypedValuesAndTheTrainChoiceSurviveRepaints)
{
    HostCall call;
    DialogDriver driver;
    driver.Type(IDC_TEXT, L"typed")
        .Type(IDC_SIZE, L"3.5")
        .Type(IDC_ORIENTATION, L"-7")
        .Click(IDC_NO)
        .Repaint(true)
        .Repaint(false)
        .Click(IDOK);
    EXPECT_EQ(call.Run(), 1);
    EXPECT_EQ(call.Text(), L"typed");
    EXPECT_EQ(call.sizeValue, 3.5);
    EXPECT_EQ(call.orientationValue, -7.0);
    EXPECT_EQ(call.trainValue, 0);
}

TEST(DialogInput, TrainChoiceIsHiddenForKindsTwoAndThreeAndStillGivesOne)
{
    const int trainControls[] = {IDC_TRAIN_LABEL, IDC_TRAIN_GROUP, IDC_YES, IDC_NO};
    for (int kind : {0, 1, 2, 3, 4, -1}) {
        SCOPED_TRACE(testing::Message() << "kind " << kind);
        HostCall call;
        call.kind = kind;
        std::vector<bool> visible;
        DialogDriver driver;
        driver
            .Do([&](DialogDriver& d) {
                for (int id : trainControls) {
                    visible.push_back(::IsWindowVisible(d.Control(id)) != FALSE);
                }
            })
            .Click(IDOK);
        EXPECT_EQ(call.Run(), 1);
        const bool hidden = kind == 2 || kind == 3;
        EXPECT_EQ(visible, std::vector<bool>(4, !hidden));
        EXPECT_EQ(call.trainValue, 1);
    }
}

// ---- The text field's font ----

namespace {

LOGFONTW FontOf(HWND window)
{
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// Records the fonts the dialog sets on its text field.
std::vector<HFONT> g_fontsSet;
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK RecordingEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETFONT) {
        g_fontsSet.push_back(reinterpret_cast<HFONT>(wParam));
    }
    return ::CallWindowProcW(g_editProc, window, message, wParam, lParam);
}

void RecordFontsOfTextField(DialogDriver& driver)
{
    g_fontsSet.clear();
    g_editProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        driver.Control(IDC_TEXT), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingEditProc)));
}

} // namespace

TEST(DialogFont, TextFieldUsesTheLargeFontUntilOkIsTried)
{
    HostCall call;
    LOGFONTW large{};
    HFONT dialogFont = nullptr;
    HFONT afterRefusal = nullptr;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            large = FontOf(d.Control(IDC_TEXT));
            dialogFont = reinterpret_cast<HFONT>(::SendMessageW(d.Dialog(), WM_GETFONT, 0, 0));
        })
        .Type(IDC_TEXT, L"")
        .Click(IDOK)
        .AwaitMessageBox()
        .CloseMessageBox()
        .Repaint(true)
        .Do([&](DialogDriver& d) {
            afterRefusal = reinterpret_cast<HFONT>(::SendMessageW(d.Control(IDC_TEXT), WM_GETFONT, 0, 0));
        })
        .Click(IDCANCEL);
    EXPECT_EQ(call.Run(), 0);

    EXPECT_EQ(large.lfHeight, 48);
    EXPECT_EQ(large.lfWeight, FW_BOLD);
    EXPECT_EQ(large.lfCharSet, ANSI_CHARSET);
    EXPECT_FALSE(large.lfItalic);
    EXPECT_EQ(std::wstring(large.lfFaceName), L"courier new");
    EXPECT_NE(dialogFont, nullptr);
    EXPECT_EQ(afterRefusal, dialogFont);
}

TEST(DialogFont, CancelEscapeAndCloseBoxRestoreTheDialogsFontButIgnoreDoesNot)
{
    struct Case {
        const char* name;
        std::function<void(DialogDriver&)> end;
        bool restores;
    };
    const Case cases[] = {
        {"Cancel", [](DialogDriver& d) { d.Click(IDCANCEL); }, true},
        {"Escape", [](DialogDriver& d) { d.PressEscape(); }, true},
        {"close box", [](DialogDriver& d) { d.CloseBox(); }, true},
        {"Ignore", [](DialogDriver& d) { d.Click(IDC_IGNORE); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostCall call;
        HFONT dialogFont = nullptr;
        DialogDriver driver;
        driver.Do([&](DialogDriver& d) {
            dialogFont = reinterpret_cast<HFONT>(::SendMessageW(d.Dialog(), WM_GETFONT, 0, 0));
            RecordFontsOfTextField(d);
        });
        c.end(driver);
        call.Run();
        EXPECT_TRUE(driver.Finished());
        if (c.restores) {
            ASSERT_EQ(g_fontsSet.size(), 1u);
            EXPECT_EQ(g_fontsSet[0], dialogFont);
        } else {
            EXPECT_TRUE(g_fontsSet.empty());
        }
    }
}
