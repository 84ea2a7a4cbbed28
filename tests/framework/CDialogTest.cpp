// The framework's modal dialog: its run, its message map and its exception boundary.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "framework/CDialog.h"
#include "framework/CEdit.h"
#include "framework/CResourceException.h"
#include "support/DialogDriver.h"

namespace {

constexpr UINT kPlainTemplate = 300;
constexpr int kField = 10;
constexpr UINT kThrowCommand = 40001;
constexpr UINT kThrowForeignCommand = 40002;
constexpr UINT kBaseCommand = 40003;

int g_exceptionsAlive = 0;

// An exception that counts its live instances, so tests can see that the boundary frees it.
class CountedException : public CResourceException {
public:
    CountedException() { ++g_exceptionsAlive; }
    ~CountedException() override { --g_exceptionsAlive; }
};

// A base dialog with a map entry of its own, to show that maps chain to the base class.
class BaseTestDialog : public CDialog {
public:
    using CDialog::CDialog;
    int baseCommands = 0;

protected:
    void OnBaseCommand() { ++baseCommands; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTestDialog, CDialog)
    ON_COMMAND(kBaseCommand, &BaseTestDialog::OnBaseCommand)
END_MESSAGE_MAP()

class TestDialog : public BaseTestDialog {
public:
    explicit TestDialog(UINT templateId = kPlainTemplate, CWnd* parent = nullptr)
        : BaseTestDialog(templateId, parent)
    {
    }

    bool throwOnInit = false;
    bool bindMissingControl = false;
    int paintsToFail = 0;
    int paints = 0;
    int commands = 0;
    int destroys = 0;
    CEdit field;
    CEdit missing;

protected:
    void DoDataExchange(CDataExchange* exchange) override
    {
        DDX_Control(exchange, kField, field);
        if (bindMissingControl) {
            DDX_Control(exchange, 999, missing);
        }
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (throwOnInit) {
            throw new CountedException();
        }
        return TRUE;
    }
    void OnPaint()
    {
        ++paints;
        if (paintsToFail > 0) {
            --paintsToFail;
            throw new CountedException(); // before painting began
        }
        CDialog::OnPaint();
    }
    void OnThrow()
    {
        ++commands;
        throw new CountedException();
    }
    void OnThrowForeign()
    {
        ++commands;
        throw std::runtime_error("not a framework exception");
    }
    void OnDestroy()
    {
        ++destroys;
        CDialog::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, BaseTestDialog)
    ON_WM_PAINT()
    ON_WM_DESTROY()
    ON_COMMAND(kThrowCommand, &TestDialog::OnThrow)
    ON_COMMAND(kThrowForeignCommand, &TestDialog::OnThrowForeign)
END_MESSAGE_MAP()

void PostCommand(DialogDriver& driver, UINT id)
{
    ::PostMessageW(driver.Dialog(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

} // namespace

TEST(CDialogRun, MissingTemplateGivesMinusOneWithoutAWindow)
{
    TestDialog dialog(12345);
    DialogDriver driver(2000);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(driver.DialogsOpened(), 0);
}

TEST(CDialogRun, EndDialogValueComesBackAndTheWindowAndBindingsAreGone)
{
    TestDialog dialog;
    HWND window = nullptr;
    bool fieldBound = false;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            window = d.Dialog();
            fieldBound = dialog.field.m_hWnd == d.Control(kField) && dialog.field.m_hWnd != nullptr;
            dialog.EndDialog(77);
        });
    EXPECT_EQ(dialog.DoModal(), 77);
    EXPECT_TRUE(fieldBound);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.field.m_hWnd, nullptr);
    EXPECT_EQ(dialog.destroys, 1);
}

// Only the dialog's own EndDialog decides what DoModal returns; an ending of the platform's
// loop that the dialog did not ask for gives IDABORT, whatever value the loop ended with.
TEST(CDialogRun, EndingsTheDialogDidNotAskForGiveAbort)
{
    const std::function<void(TestDialog&, HWND)> endings[] = {
        [](TestDialog&, HWND) { ::PostQuitMessage(3); },
        [](TestDialog&, HWND window) { ::EndDialog(window, IDOK); },
        [](TestDialog&, HWND window) { ::DestroyWindow(window); },
        [](TestDialog& dialog, HWND window) {
            dialog.EndDialog(IDCANCEL);
            ::EndDialog(window, IDOK); // a second ending before the loop has left
        },
    };
    for (const auto& end : endings) {
        TestDialog dialog;
        DialogDriver driver;
        driver.Do([&](DialogDriver& d) { end(dialog, d.Dialog()); });
        EXPECT_EQ(dialog.DoModal(), IDABORT);
        EXPECT_EQ(dialog.m_hWnd, nullptr);
        EXPECT_EQ(dialog.field.m_hWnd, nullptr);
        MSG quit{};
        ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

TEST(CDialogRun, FromHandleFindsTheDialogWhileItRunsAndMakesTemporariesOtherwise)
{
    TestDialog dialog;
    CWnd* found = nullptr;
    CWnd* fieldFound = nullptr;
    DialogDriver driver;
    driver.Do([&](DialogDriver& d) {
        found = CWnd::FromHandle(d.Dialog());
        fieldFound = CWnd::FromHandle(d.Control(kField));
        dialog.EndDialog(IDOK);
    });
    dialog.DoModal();
    EXPECT_EQ(found, &dialog);
    EXPECT_EQ(fieldFound, &dialog.field);

    HWND other = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    CWnd* temporary = CWnd::FromHandle(other);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(temporary->m_hWnd, other);
    EXPECT_EQ(CWnd::FromHandle(other), temporary);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    CWnd::DeleteTempMap();
    ::DestroyWindow(other);
}

TEST(CDialogRun, OwnerIsTheParentsTopLevelWindowAndIsDisabledOnlyWhileTheDialogRuns)
{
    HWND topLevel = ::CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                      nullptr, nullptr, nullptr, nullptr);
    HWND child = ::CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, topLevel, nullptr,
                                   nullptr, nullptr);
    TestDialog dialog(kPlainTemplate, CWnd::FromHandle(child));
    HWND owner = nullptr;
    BOOL enabledMeanwhile = TRUE;
    DialogDriver driver;
    driver.Do([&](DialogDriver& d) {
        owner = ::GetWindow(d.Dialog(), GW_OWNER);
        enabledMeanwhile = ::IsWindowEnabled(topLevel);
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(owner, topLevel);
    EXPECT_FALSE(enabledMeanwhile);
    EXPECT_TRUE(::IsWindowEnabled(topLevel));
    CWnd::DeleteTempMap();
    ::DestroyWindow(topLevel);
}

TEST(CDialogBoundary, FailedInitialisationGivesMinusOneAndFreesTheException)
{
    TestDialog dialog;
    dialog.throwOnInit = true;
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(g_exceptionsAlive, 0);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(CDialogBoundary, MissingControlFailsTheInitialisation)
{
    TestDialog dialog;
    dialog.bindMissingControl = true;
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(dialog.field.m_hWnd, nullptr);
}

TEST(CDialogBoundary, FailedPaintIsValidatedAndTheDialogGoesOn)
{
    TestDialog dialog;
    BOOL updatePending = TRUE;
    int paintsBefore = 0;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            paintsBefore = dialog.paints;
            dialog.paintsToFail = 1;
            // A paint handler that throws before ending its paint must not leave the
            // region invalid: the dialog would be asked to paint again forever.
            ::InvalidateRect(d.Dialog(), nullptr, TRUE);
            ::UpdateWindow(d.Dialog());
            updatePending = ::GetUpdateRect(d.Dialog(), nullptr, FALSE);
        })
        .Repaint(true)
        .Click(IDOK);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(updatePending);
    EXPECT_GE(dialog.paints, paintsBefore + 2);
    EXPECT_EQ(g_exceptionsAlive, 0);
}

TEST(CDialogBoundary, FailedCommandsLeaveTheDialogRunning)
{
    TestDialog dialog;
    DialogDriver driver;
    driver.Do([](DialogDriver& d) { PostCommand(d, kThrowCommand); })
        .Do([](DialogDriver& d) { PostCommand(d, kThrowForeignCommand); })
        .Do([](DialogDriver& d) { PostCommand(d, kBaseCommand); })
        .Click(IDOK);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(dialog.commands, 2);
    EXPECT_EQ(dialog.baseCommands, 1);
    EXPECT_EQ(g_exceptionsAlive, 0);
}

TEST(CCmdTargetMap, CommandsRouteThroughTheMapAndItsBaseClasses)
{
    TestDialog dialog;
    EXPECT_TRUE(dialog.OnCmdMsg(kBaseCommand));
    EXPECT_EQ(dialog.baseCommands, 1);
    EXPECT_FALSE(dialog.OnCmdMsg(40999));
    // A notification other than a click is not a command.
    EXPECT_FALSE(dialog.OnCmdMsg(kBaseCommand, EN_CHANGE));
    EXPECT_EQ(dialog.baseCommands, 1);
}
