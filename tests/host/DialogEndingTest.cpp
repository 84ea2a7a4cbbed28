// How the dialog ends, and what each ending gives back to the host.

#include <gtest/gtest.h>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"

// Every ending leaves ERROR_SUCCESS: a host tells "the user cancelled" from "the dialog
// failed" by the last error alone.

TEST(DialogEnding, OkWithUntouchedFieldsReturnsOneAndTheValues)
{
    HostCall call;
    DialogDriver driver;
    driver.Click(IDOK);

    EXPECT_EQ(call.Run(), 1);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(driver.DialogsOpened(), 1);
    EXPECT_EQ(call.sizeValue, 12.5);
    EXPECT_EQ(call.orientationValue, 0.0);
    EXPECT_EQ(call.reservedValue, 1);
    EXPECT_EQ(call.trainValue, 1);
    EXPECT_EQ(call.unchangedValue, 1);
    EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_SUCCESS));
}

TEST(DialogEnding, IgnoreReturnsMinusOneAndWritesNothing)
{
    HostCall call;
    DialogDriver driver;
    driver.Type(IDC_TEXT, L"edited").Type(IDC_SIZE, L"3").Click(IDC_IGNORE);

    EXPECT_EQ(call.Run(), -1);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(call.NothingWritten());
}

TEST(DialogEnding, CancelEscapeAndCloseBoxReturnZeroAndWriteNothing)
{
    const std::pair<const char*, std::function<void(DialogDriver&)>> endings[] = {
        {"Cancel", [](DialogDriver& d) { d.Click(IDCANCEL); }},
        {"Escape", [](DialogDriver& d) { d.PressEscape(); }},
        {"close box", [](DialogDriver& d) { d.CloseBox(); }},
    };
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        HostCall call;
        DialogDriver driver;
        driver.Type(IDC_TEXT, L"edited");
        end(driver);

        EXPECT_EQ(call.Run(), 0);
        EXPECT_TRUE(driver.Finished());
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_TRUE(call.NothingWritten());
    }
}

TEST(DialogEnding, EnterPressesOk)
{
    HostCall call;
    DialogDriver driver;
    driver.Type(IDC_TEXT, L"entered").PressEnter();

    EXPECT_EQ(call.Run(), 1);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(call.Text(), L"entered");
    EXPECT_EQ(call.unchangedValue, 0);
    EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_SUCCESS));
}
