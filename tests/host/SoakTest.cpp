// Many dialogs in a row, each painted several times: memory, windows and GDI objects stay flat.
// TARSIL_SOAK_DIALOGS sets the number of dialogs (default 250).

#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <cstdlib>
#include <vector>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/CommittedMemory.h"
#include "support/GdiObjectCounter.h"
#include "support/HostCall.h"

namespace {

void WINAPI Ink(int, int, RunFn run)
{
    for (short y = 0; y < TARSIL_PICTURE_HEIGHT; y += 3) {
        run(static_cast<short>(y), static_cast<short>(y + 100), y);
    }
}

void WINAPI Highlight(int, int, RunFn run)
{
    run(200, 260, 100);
}

const wchar_t* WINAPI Texts(int id)
{
    return id == 102 ? L"Soak" : nullptr;
}

int ThreadWindows()
{
    int count = 0;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND, LPARAM counter) {
            ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// One dialog: painted with and without erasing, then ended in one of the usual ways.
void OneDialog(int round, HWND parent)
{
    HostCall call;
    call.parent = parent;
    call.drawLayer1 = &Ink;
    call.drawLayer2 = &Highlight;
    call.lookup = &Texts;
    call.mode = round % 3;
    DialogDriver driver;
    driver.Repaint(true).Repaint(false).Repaint(true);
    switch (round % 4) {
    case 0: driver.Type(IDC_TEXT, L"soaked").Click(IDOK); break;
    case 1: driver.Click(IDC_IGNORE); break;
    case 2: driver.PressEscape(); break;
    default: driver.Type(IDC_TEXT, L"").Click(IDOK).AwaitMessageBox().CloseMessageBox().CloseBox(); break;
    }
    call.Run();
    ASSERT_FALSE(driver.TimedOut());
    ASSERT_EQ(driver.DialogsOpened(), 1);
}

} // namespace

TEST(GdiObjectCounting, SeesALeakedPen)
{
    GdiObjectCounter counter;
    const int pens = counter.Pens();
    const int total = counter.Total();
    HPEN leaked = ::CreatePen(PS_SOLID, 1, RGB(9, 9, 9));
    if (counter.ByKind()) {
        EXPECT_EQ(counter.Pens(), pens + 1);
    } else {
        std::printf("pens not counted: %s\n", GdiObjectCounter::kNoKinds);
    }
    EXPECT_EQ(counter.Total(), total + 1);
    ::DeleteObject(leaked);
    EXPECT_EQ(counter.Total(), total);
}

TEST(Soak, ConsecutiveDialogsLeaveNothingBehind)
{
    const char* setting = std::getenv("TARSIL_SOAK_DIALOGS");
    const int dialogs = setting != nullptr ? std::atoi(setting) : 250;
    ASSERT_GT(dialogs, 0) << "TARSIL_SOAK_DIALOGS must be a positive number";
    HWND parent = ::CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                    nullptr, nullptr, nullptr, nullptr);
    GdiObjectCounter counter;

    // Warm up: the first dialogs and surfaces make objects that the platform keeps.
    for (int round = 0; round < 8; ++round) {
        OneDialog(round, parent);
    }
    const int windows = ThreadWindows();
    const int gdiObjects = counter.Total();
    const int pens = counter.Pens();
    const int brushes = counter.Brushes();
    const int fonts = counter.Fonts();
    const SIZE_T memory = CommittedMemory();
    ASSERT_GT(memory, 0u);
    ASSERT_GT(gdiObjects, 0);

    for (int round = 0; round < dialogs && !HasFatalFailure(); ++round) {
        OneDialog(round, parent);
    }

    const long long growth = static_cast<long long>(CommittedMemory()) - static_cast<long long>(memory);
    std::printf("soak: %d dialogs, 3 paints each; private memory %+lld bytes; GDI objects %d -> %d; windows %d -> %d\n",
                dialogs, growth, gdiObjects, counter.Total(), windows, ThreadWindows());
    EXPECT_EQ(ThreadWindows(), windows);
    EXPECT_EQ(counter.Total(), gdiObjects);
    if (counter.ByKind()) {
        EXPECT_EQ(counter.Pens(), pens);
        EXPECT_EQ(counter.Brushes(), brushes);
        EXPECT_EQ(counter.Fonts(), fonts);
    } else {
        std::printf("pens, brushes and fonts not counted apart: %s\n", GdiObjectCounter::kNoKinds);
    }
    // Flat: well under a kilobyte per dialog, whatever the heap keeps for reuse.
    EXPECT_LT(growth, 256 * 1024);
    ::DestroyWindow(parent);
}
