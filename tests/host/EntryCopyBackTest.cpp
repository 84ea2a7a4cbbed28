// What an accepted OK copies back into the caller's variables, and what it leaves alone.

#include <gtest/gtest.h>

#include <cmath>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"

namespace {

// Runs the dialog, types `typed` into the text field (unless null) and presses OK.
int RunWithText(HostCall& call, const wchar_t* typed)
{
    DialogDriver driver;
    if (typed != nullptr) {
        driver.Type(IDC_TEXT, typed);
    }
    driver.Click(IDOK);
    const int result = call.Run();
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_TRUE(driver.Finished());
    return result;
}

} // namespace

TEST(EntryCopyBack, UntouchedTextLeavesTheCallersBufferUnwritten)
{
    HostCall call;
    call.SetText(L"abc");
    call.length = 10;
    // Index `length` holds no terminator: an unchanged text must not write one there.
    for (int i = 4; i <= 10; ++i) {
        call.buffer[i] = HostCall::kTextSentinel;
    }

    ASSERT_EQ(RunWithText(call, nullptr), 1);
    EXPECT_EQ(call.unchangedValue, 1);
    EXPECT_EQ(call.Text(), L"abc");
    for (int i = 4; i <= 10; ++i) {
        EXPECT_EQ(call.buffer[i], HostCall::kTextSentinel) << "index " << i;
    }
}

TEST(EntryCopyBack, ShorterTextIsZeroFilledUpToAndIncludingLength)
{
    HostCall call;
    call.SetText(L"recognised");
    call.length = 20;

    ASSERT_EQ(RunWithText(call, L"rec"), 1);
    EXPECT_EQ(call.unchangedValue, 0);
    EXPECT_EQ(call.Text(), L"rec");
    for (int i = 3; i <= 20; ++i) {
        EXPECT_EQ(call.buffer[i], L'\0') << "index " << i;
    }
    EXPECT_EQ(call.buffer[21], HostCall::kTextSentinel);
}

TEST(EntryCopyBack, LongerTextIsCutToLength)
{
    HostCall call;
    call.SetText(L"abc");
    call.length = 10;

    ASSERT_EQ(RunWithText(call, L"abcdefghijklmno"), 1);
    EXPECT_EQ(call.unchangedValue, 0);
    EXPECT_EQ(call.Text(), L"abcdefghij");
    EXPECT_EQ(call.buffer[10], L'\0');
    EXPECT_EQ(call.buffer[11], HostCall::kTextSentinel);
}

TEST(EntryCopyBack, ChangeBeyondLengthIsNotAChange)
{
    HostCall call;
    call.SetText(L"abcdef");
    call.length = 3;

    ASSERT_EQ(RunWithText(call, L"abcXYZ"), 1);
    EXPECT_EQ(call.unchangedValue, 1);
    EXPECT_EQ(call.Text(), L"abcdef");
}

TEST(EntryCopyBack, LengthZeroOpensEmptyAndNeverWritesTheText)
{
    HostCall call;
    call.SetText(L"abc");
    call.length = 0;
    std::wstring shown = L"unset";

    DialogDriver driver;
    driver.Do([&](DialogDriver& d) { shown = d.ControlText(IDC_TEXT); }).Type(IDC_TEXT, L"typed").Click(IDOK);
    ASSERT_EQ(call.Run(), 1);
    EXPECT_EQ(shown, L"");
    EXPECT_EQ(call.unchangedValue, 1);
    EXPECT_EQ(call.Text(), L"abc");
    EXPECT_EQ(call.buffer[4], HostCall::kTextSentinel);
}

TEST(EntryCopyBack, NullTextWithLengthZeroIsAccepted)
{
    HostCall call;
    call.text = nullptr;
    call.length = 0;

    ASSERT_EQ(RunWithText(call, L"typed"), 1);
    EXPECT_EQ(call.unchangedValue, 1);
}

TEST(EntryCopyBack, LengthBeyondTheCallersTextComparesAtTheTerminator)
{
    HostCall call;
    call.SetText(L"abc");
    call.length = 40;

    ASSERT_EQ(RunWithText(call, nullptr), 1);
    EXPECT_EQ(call.unchangedValue, 1);
    EXPECT_EQ(call.buffer[4], HostCall::kTextSentinel);
}

TEST(EntryCopyBack, WordsLongerThan78CharactersComeBackWhole)
{
    HostCall call;
    const std::wstring word(80, L'w');
    call.SetText(word + L"xyz");
    call.length = 83;
    std::wstring shown;

    DialogDriver driver;
    driver.Do([&](DialogDriver& d) { shown = d.ControlText(IDC_TEXT); }).Click(IDOK);
    ASSERT_EQ(call.Run(), 1);
    EXPECT_EQ(shown, word + L"xyz");
    EXPECT_EQ(call.unchangedValue, 1);
    EXPECT_EQ(call.Text(), word + L"xyz");
}

TEST(EntryCopyBack, SizeAndOrientationComeBackAsTheFieldsShowThem)
{
    struct Case {
        double size;
        double orientation;
        double expectedSize;
        double expectedOrientation;
    };
    const Case cases[] = {
        {1.23456789, -45.5, 1.234568, -45.5},    // six decimals, as shown
        {1e20, 0.0000004, 1e20, 0.0},            // long values whole; tiny ones round
        {0.1, 359.9999996, 0.1, 360.0},
    };
    for (const Case& c : cases) {
        HostCall call;
        call.sizeValue = c.size;
        call.orientationValue = c.orientation;

        ASSERT_EQ(RunWithText(call, nullptr), 1);
        EXPECT_EQ(call.sizeValue, c.expectedSize);
        EXPECT_EQ(call.orientationValue, c.expectedOrientation);
    }
}

TEST(EntryCopyBack, LargestSizeIsShownInFullAndComesBackExactly)
{
    HostCall call;
    call.sizeValue = 1.7976931348623157e308;
    std::wstring shown;

    DialogDriver driver;
    driver.Do([&](DialogDriver& d) { shown = d.ControlText(IDC_SIZE); }).Click(IDOK);
    ASSERT_EQ(call.Run(), 1);
    EXPECT_EQ(shown.size(), 316u);
    EXPECT_EQ(shown.substr(0, 17), L"17976931348623157");
    EXPECT_EQ(shown.substr(shown.size() - 7), L".000000");
    EXPECT_EQ(call.sizeValue, 1.7976931348623157e308);
}
