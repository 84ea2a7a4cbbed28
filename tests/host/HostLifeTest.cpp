// Endings of the dialog that are not the user's: the host's application quits, the host
// destroys its window or the dialog, or ends the dialog itself. None of them is an OK.

#include <gtest/gtest.h>

#include <functional>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"

namespace {

// Takes a pending WM_QUIT off the thread's queue; its exit code, or -1 when there is none.
int TakeQuitMessage()
{
    MSG message{};
    if (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        return static_cast<int>(message.wParam);
    }
    return -1;
}

void ExpectNextCallWorks()
{
    HostCall call;
    DialogDriver driver;
    driver.Type(IDC_TEXT, L"next").Click(IDOK);
    EXPECT_EQ(call.Run(), 1);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(driver.DialogsOpened(), 1);
    EXPECT_EQ(call.Text(), L"next");
    EXPECT_EQ(call.unchangedValue, 0);
}

} // namespace

TEST(HostLife, QuitPostedWhileTheDialogIsOpenEndsItWithZeroAndLeavesTheQuitQueued)
{
    // Quitting while the dialog waits for input, and while its error box is open.
    const std::function<void(DialogDriver&)> quits[] = {
        [](DialogDriver& d) { d.Type(IDC_TEXT, L"typed").Do([](DialogDriver&) { ::PostQuitMessage(42); }); },
        [](DialogDriver& d) {
            d.Type(IDC_TEXT, L"").Click(IDOK).AwaitMessageBox().Do([](DialogDriver&) { ::PostQuitMessage(42); });
        },
    };
    for (const auto& quit : quits) {
        {
            HostCall call;
            DialogDriver driver;
            quit(driver);
            EXPECT_EQ(call.Run(), 0);
            EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_CANCELLED));
            EXPECT_TRUE(driver.Finished());
            EXPECT_FALSE(driver.TimedOut());
            EXPECT_EQ(driver.Dialog(), nullptr);
            EXPECT_TRUE(call.NothingWritten());
        }
        // The platform's modal loops leave the quit for the host's own loop.
        EXPECT_EQ(TakeQuitMessage(), 42);
        ExpectNextCallWorks();
    }
}

TEST(HostLife, OwnerWindowDestroyedEndsTheDialogWithZero)
{
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    {
        HostCall call;
        call.parent = owner;
        DialogDriver driver(3000);
        // Timed from the owner's end, not from the call: making the dialog and reaching the
        // driver's step take a loaded machine's time, ending it must not.
        DWORD destroyed = 0;
        driver.Do([owner, &destroyed](DialogDriver&) {
            destroyed = ::GetTickCount();
            ::DestroyWindow(owner);
        });
        EXPECT_EQ(call.Run(), 0);
        ASSERT_NE(destroyed, 0u);
        EXPECT_LT(::GetTickCount() - destroyed, 2000u);
        EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_CANCELLED));
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_EQ(driver.Dialog(), nullptr);
        EXPECT_TRUE(call.NothingWritten());
    }
    ExpectNextCallWorks();
}

// The host's own timer (the driver's steps run from one) ends or destroys the dialog.
TEST(HostLife, DialogEndedOrDestroyedByTheHostGivesZero)
{
    const std::function<void(HWND)> endings[] = {
        [](HWND dialog) { ::EndDialog(dialog, IDOK); },
        [](HWND dialog) { ::EndDialog(dialog, IDC_IGNORE); },
        [](HWND dialog) { ::DestroyWindow(dialog); },
    };
    for (const auto& end : endings) {
        {
            HostCall call;
            DialogDriver driver;
            driver.Type(IDC_TEXT, L"typed").Do([&end](DialogDriver& d) { end(d.Dialog()); });
            EXPECT_EQ(call.Run(), 0);
            EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_CANCELLED));
            EXPECT_FALSE(driver.TimedOut());
            EXPECT_EQ(driver.Dialog(), nullptr);
            EXPECT_TRUE(call.NothingWritten());
        }
        ExpectNextCallWorks();
    }
}
