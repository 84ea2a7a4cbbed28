// Failures made to happen for real through the test build's fault points.

#include <gtest/gtest.h>

#include "dialog/ControlIds.h"
#include "framework/AfxFaults.h"
#include "framework/AfxModule.h"
#include "framework/CMemoryException.h"
#include "framework/CWnd.h"
#include "support/DialogDriver.h"
#include "TarsilDlg29.h"

namespace {

class FaultTest : public testing::Test {
protected:
    void TearDown() override { AfxClearFaults(); }
};

struct Call {
    HWND parent = nullptr;
    wchar_t text[32] = L"word";
    double size = 1.0;
    double orientation = 2.0;
    int reserved = 99;
    int train = 99;
    int unchanged = 99;

    int Run()
    {
        return RastStartDialog(parent, 0, 0, text, 10, &size, &orientation, 50, 0, 0, 0, 255, 255, 255, 0, 0, 0,
                               &NoRuns, nullptr, &reserved, &train, &unchanged, nullptr);
    }
    static void WINAPI NoRuns(int, int, RunFn) {}
};

void ExpectNothingWritten(const Call& call)
{
    EXPECT_EQ(std::wstring(call.text), L"word");
    EXPECT_EQ(call.size, 1.0);
    EXPECT_EQ(call.orientation, 2.0);
    EXPECT_EQ(call.reserved, 99);
    EXPECT_EQ(call.train, 99);
    EXPECT_EQ(call.unchanged, 99);
}

// One call with a fault armed: the user types "changed" and presses OK, and Cancel should
// OK fail. The parent window makes the call look up a window wrapper too.
struct FaultedCall {
    Call call;
    int result = 0;
    DWORD error = 0;
    bool faultReached = false;
    int dialogsOpened = 0;
};

FaultedCall RunWithFault(AfxFault fault, int occurrence)
{
    AfxClearFaults();
    AfxArmFault(fault, occurrence);
    FaultedCall run;
    run.call.parent = ::CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                        nullptr, nullptr);
    DialogDriver driver(5000);
    driver.Type(IDC_TEXT, L"changed").Click(IDOK).Click(IDCANCEL);
    ::SetLastError(0xDEAD);
    run.result = run.call.Run();
    run.error = ::GetLastError();
    ::DestroyWindow(run.call.parent);
    run.faultReached = !AfxFaultArmed(fault);
    run.dialogsOpened = driver.DialogsOpened();
    EXPECT_FALSE(driver.TimedOut());
    AfxClearFaults();
    return run;
}

// Fails the first use of `fault` in a call, then the second, and so on, until a call no
// longer reaches the use armed: by then every use in the call has failed once. A call whose
// failure ended it (result 0) goes to `checkEnded`; one that got through anyway must have
// carried on as usual. Returns how many calls ended by their failure.
template <typename CheckEnded>
int FailEachUseInTurn(AfxFault fault, CheckEnded checkEnded)
{
    constexpr int kMostUses = 100;
    int endedCalls = 0;
    for (int occurrence = 1; occurrence <= kMostUses; ++occurrence) {
        SCOPED_TRACE(testing::Message() << "use " << occurrence << " fails");
        const FaultedCall run = RunWithFault(fault, occurrence);
        if (!run.faultReached || run.result == 1) {
            EXPECT_EQ(run.result, 1);
            EXPECT_EQ(run.error, static_cast<DWORD>(ERROR_SUCCESS));
            EXPECT_EQ(std::wstring(run.call.text), L"changed");
            if (!run.faultReached) {
                return endedCalls;
            }
            continue; // the failure came inside the modal run, which went on
        }
        ++endedCalls;
        EXPECT_EQ(run.result, 0);
        ExpectNothingWritten(run.call);
        checkEnded(run);
    }
    ADD_FAILURE() << "every call reached the use armed: a call has more than " << kMostUses << " of them";
    return endedCalls;
}

} // namespace

TEST_F(FaultTest, ExhaustedHeapRaisesTheOnePreallocatedMemoryException)
{
    AfxArmFault(AfxFault::ObjectAllocation, 1);
    CMemoryException* caught = nullptr;
    try {
        delete new CWnd();
    } catch (CMemoryException* failure) {
        caught = failure;
        failure->Delete(); // must not free the preallocated object
    }
    ASSERT_NE(caught, nullptr);

    AfxArmFault(AfxFault::ObjectAllocation, 1);
    CMemoryException* caughtAgain = nullptr;
    try {
        delete new CWnd();
    } catch (CMemoryException* failure) {
        caughtAgain = failure;
        failure->Delete();
    }
    EXPECT_EQ(caughtAgain, caught);
}

TEST_F(FaultTest, WithoutTheLargeFontTheTextFieldKeepsTheDialogsFont)
{
    AfxArmFault(AfxFault::FontCreation, 1);
    HFONT fieldFont = nullptr;
    HFONT dialogFont = reinterpret_cast<HFONT>(1);
    Call call;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            fieldFont = reinterpret_cast<HFONT>(::SendMessageW(d.Control(IDC_TEXT), WM_GETFONT, 0, 0));
            dialogFont = reinterpret_cast<HFONT>(::SendMessageW(d.Dialog(), WM_GETFONT, 0, 0));
        })
        .Click(IDOK);
    EXPECT_EQ(call.Run(), 1);
    EXPECT_EQ(fieldFont, dialogFont);
    EXPECT_TRUE(driver.MessageBoxes().empty());
}

TEST_F(FaultTest, AllocationFailuresAnywhereInTheCallGiveZeroAndWriteNothing)
{
    const int endedCalls = FailEachUseInTurn(AfxFault::ObjectAllocation, [](const FaultedCall& run) {
        EXPECT_EQ(run.error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
        // Only a failure before the dialog is shown ends the call.
        EXPECT_EQ(run.dialogsOpened, 0);
    });
    EXPECT_GE(endedCalls, 2); // the window lookup and the dialog's font wrapper at least
}

TEST_F(FaultTest, MissingTemplateGivesZeroAndWritesNothing)
{
    // Resources taken from a module that has no dialog template 102.
    const HINSTANCE own = AfxGetResourceHandle();
    AfxSetResourceHandle(::GetModuleHandleW(L"kernel32.dll"));
    Call call;
    DialogDriver driver(2000);
    const int result = call.Run();
    const DWORD error = ::GetLastError();
    AfxSetResourceHandle(own);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_EQ(driver.DialogsOpened(), 0);
    ExpectNothingWritten(call);
}

TEST_F(FaultTest, ArraysThatCannotGrowAnywhereInTheCallGiveZeroAndWriteNothing)
{
    // The handle maps grow when the dialog and its controls are bound, the text buffers
    // when OK reads the fields; a failed OK leaves the dialog open and the user cancels.
    const int endedCalls = FailEachUseInTurn(AfxFault::ArrayAllocation, [](const FaultedCall& run) {
        // The dialog could not be shown, or the user cancelled it after the failed OK.
        EXPECT_TRUE(run.error == ERROR_NOT_ENOUGH_MEMORY || run.error == ERROR_GEN_FAILURE ||
                    run.error == ERROR_SUCCESS)
            << run.error;
    });
    std::printf("array growth failed at %d points of a call, each ended cleanly\n", endedCalls);
    EXPECT_GE(endedCalls, 3);
    AfxClearFaults();

    // Nothing of the failed calls is left behind: the next one works as usual.
    Call after;
    DialogDriver driver;
    driver.Type(IDC_TEXT, L"again").Click(IDOK);
    EXPECT_EQ(after.Run(), 1);
    EXPECT_EQ(std::wstring(after.text), L"again");
}
