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
    wchar_t text[32] = L"word";
    double size = 1.0;
    double orientation = 2.0;
    int reserved = 99;
    int train = 99;
    int unchanged = 99;

    int Run()
    {
        return RastStartDialog(nullptr, 0, 0, text, 10, &size, &orientation, 50, 0, 0, 0, 255, 255, 255, 0, 0,
                               0, &NoRuns, nullptr, &reserved, &train, &unchanged, nullptr);
    }
    static void WINAPI NoRuns(int, int, RunFn) {}
};

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
    try {
        delete new CWnd();
    } catch (CMemoryException* failure) {
        EXPECT_EQ(failure, caught);
        failure->Delete();
    }
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
    // Fail the first, second, ... allocation of framework objects until a call gets
    // through: every one of them must end the call cleanly.
    int failedCalls = 0;
    for (int occurrence = 1; occurrence < 20; ++occurrence) {
        AfxClearFaults();
        AfxArmFault(AfxFault::ObjectAllocation, occurrence);
        Call call;
        HWND parent = ::CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                        nullptr, nullptr);
        DialogDriver driver(3000);
        driver.Type(IDC_TEXT, L"changed").Click(IDOK);
        const int result = RastStartDialog(parent, 0, 0, call.text, 10, &call.size, &call.orientation, 50, 0, 0,
                                           0, 255, 255, 255, 0, 0, 0, &Call::NoRuns, nullptr, &call.reserved,
                                           &call.train, &call.unchanged, nullptr);
        const DWORD error = ::GetLastError();
        ::DestroyWindow(parent);
        if (result == 1) {
            break;
        }
        ++failedCalls;
        EXPECT_EQ(result, 0);
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
        EXPECT_EQ(std::wstring(call.text), L"word");
        EXPECT_EQ(call.size, 1.0);
        EXPECT_EQ(call.unchanged, 99);
        // No temporary window wrapper outlives the call.
        EXPECT_EQ(driver.DialogsOpened(), 0);
    }
    EXPECT_GE(failedCalls, 2); // the window lookup and the dialog's font wrapper at least
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
    EXPECT_EQ(std::wstring(call.text), L"word");
    EXPECT_EQ(call.size, 1.0);
    EXPECT_EQ(call.reserved, 99);
    EXPECT_EQ(call.unchanged, 99);
}

TEST_F(FaultTest, ArraysThatCannotGrowAnywhereInTheCallGiveZeroAndWriteNothing)
{
    // The handle maps grow when the dialog and its controls are bound, the text buffers
    // when OK reads the fields. Fail each growth in turn until a call gets through.
    int failedCalls = 0;
    for (int occurrence = 1; occurrence < 40; ++occurrence) {
        AfxClearFaults();
        AfxArmFault(AfxFault::ArrayAllocation, occurrence);
        Call call;
        HWND parent = ::CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                        nullptr, nullptr);
        DialogDriver driver(5000);
        // Should OK fail, the dialog stays open and the user cancels.
        driver.Type(IDC_TEXT, L"changed").Click(IDOK).Click(IDCANCEL);
        const int result = RastStartDialog(parent, 0, 0, call.text, 10, &call.size, &call.orientation, 50, 0, 0,
                                           0, 255, 255, 255, 0, 0, 0, &Call::NoRuns, nullptr, &call.reserved,
                                           &call.train, &call.unchanged, nullptr);
        ::DestroyWindow(parent);
        EXPECT_FALSE(driver.TimedOut());
        if (result == 1) {
            EXPECT_EQ(std::wstring(call.text), L"changed");
            break;
        }
        ++failedCalls;
        EXPECT_EQ(result, 0);
        EXPECT_EQ(std::wstring(call.text), L"word");
        EXPECT_EQ(call.size, 1.0);
        EXPECT_EQ(call.unchanged, 99);
    }
    std::printf("array growth failed at %d points of a call, each ended cleanly\n", failedCalls);
    EXPECT_GE(failedCalls, 3);
    AfxClearFaults();

    // Nothing of the failed calls is left behind: the next one works as usual.
    Call after;
    DialogDriver driver;
    driver.Type(IDC_TEXT, L"again").Click(IDOK);
    EXPECT_EQ(after.Run(), 1);
    EXPECT_EQ(std::wstring(after.text), L"again");
}
