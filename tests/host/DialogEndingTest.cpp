// How the dialog ends, and what each ending gives back to the host.

#include <gtest/gtest.h>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"

namespace {

void ExpectNothingWritten(const HostCall& call, const std::wstring& originalText)
{
    EXPECT_EQ(call.Text(), originalText);
    EXPECT_EQ(call.buffer[originalText.size() + 1], HostCall::kTextSentinel);
    EXPECT_EQ(call.sizeValue, 12.5);
    EXPECT_EQ(call.orientationValue, 0.0);
    EXPECT_EQ(call.reservedValue, HostCall::kIntSentinel);
    EXPECT_EQ(call.trainValue, HostCall::kIntSentinel);
    EXPECT_EQ(call.unchangedValue, HostCall::kIntSentinel);
}

} // namespace

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
    ExpectNothingWritten(call, L"recognised");
}

TEST(DialogEnding, CancelEscapeAndCloseBoxReturnZeroAndWriteNothing)
{
    const std::function<void(DialogDriver&)> endings[] = {
        [](DialogDriver& d) { d.Click(IDCANCEL); },
        [](DialogDriver& d) { d.PressEscape(); },
        [](DialogDriver& d) { d.CloseBox(); },
    };
    for (const auto& end : endings) {
        HostCall call;
        DialogDriver driver;
        driver.Type(IDC_TEXT, L"edited");
        end(driver);

        EXPECT_EQ(call.Run(), 0);
        EXPECT_TRUE(driver.Finished());
        EXPECT_FALSE(driver.TimedOut());
        ExpectNothingWritten(call, L"recognised");
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
}
