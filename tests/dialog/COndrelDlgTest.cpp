// The Word Verification dialog object on its own, as the entry drives it.

#include <gtest/gtest.h>

#include "dialog/COndrelDlg.h"
#include "support/DialogDriver.h"

namespace {

void WINAPI NoRuns(int, int, RunFn)
{
}

} // namespace

// Without its record or its picture the dialog has nothing to show or to write: it is not
// shown at all, whichever is missing.
TEST(COndrelDlgRun, WithoutItsRecordOrPictureTheDialogIsNotShown)
{
    WordRecord record{};
    record.text[0] = L'w';
    PictureColours colours{};
    PictureLayers layers{&NoRuns, nullptr};
    struct Given {
        WordRecord* record;
        PictureColours* colours;
        PictureLayers* layers;
    };
    const Given cases[] = {
        {nullptr, &colours, &layers},
        {&record, nullptr, &layers},
        {&record, &colours, nullptr},
    };
    for (const Given& given : cases) {
        COndrelDlg dialog(nullptr);
        if (given.record != nullptr) {
            dialog.SetWordRecord(given.record);
        }
        dialog.SetPicture(given.colours, given.layers);
        DialogDriver driver(2000);
        EXPECT_EQ(dialog.DoModal(), -1);
        EXPECT_EQ(driver.DialogsOpened(), 0);
    }

    // With all three it runs.
    COndrelDlg dialog(nullptr);
    dialog.SetWordRecord(&record);
    dialog.SetPicture(&colours, &layers);
    DialogDriver driver;
    driver.Click(IDCANCEL);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(driver.DialogsOpened(), 1);
}
