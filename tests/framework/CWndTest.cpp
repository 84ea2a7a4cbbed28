// Window placement.

#include <gtest/gtest.h>

#include "framework/CWnd.h"

namespace {

HWND Popup(int x, int y, int width, int height, HWND owner = nullptr, bool visible = true)
{
    return ::CreateWindowExW(0, L"Static", L"", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y, width, height, owner,
                             nullptr, nullptr, nullptr);
}

RECT WindowRect(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

RECT WorkArea(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

} // namespace

TEST(CWndCenterWindow, CentresOverAVisibleOwner)
{
    HWND owner = Popup(100, 120, 400, 300);
    HWND window = Popup(0, 0, 200, 100, owner);
    CWnd wrapper;
    wrapper.Attach(window);
    wrapper.CenterWindow();

    const RECT placed = WindowRect(window);
    EXPECT_EQ(placed.left, 200);
    EXPECT_EQ(placed.top, 220);
    wrapper.Detach();
    ::DestroyWindow(window);
    ::DestroyWindow(owner);
}

TEST(CWndCenterWindow, CentresInTheWorkAreaWhenTheOwnerIsHidden)
{
    HWND owner = Popup(0, 0, 100, 100, nullptr, false);
    HWND window = Popup(0, 0, 200, 100, owner);
    CWnd wrapper;
    wrapper.Attach(window);
    wrapper.CenterWindow();

    const RECT work = WorkArea(window);
    const RECT placed = WindowRect(window);
    EXPECT_EQ(placed.left, (work.left + work.right) / 2 - 100);
    EXPECT_EQ(placed.top, (work.top + work.bottom) / 2 - 50);
    wrapper.Detach();
    ::DestroyWindow(window);
    ::DestroyWindow(owner);
}

TEST(CWndCenterWindow, KeepsTheWindowInsideTheWorkArea)
{
    HWND window = Popup(0, 0, 300, 200);
    const RECT work = WorkArea(window);
    // An owner hanging over the bottom-right corner of the work area.
    HWND owner = Popup(work.right - 50, work.bottom - 50, 100, 100);
    ::SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    CWnd wrapper;
    wrapper.Attach(window);
    wrapper.CenterWindow();

    const RECT placed = WindowRect(window);
    EXPECT_EQ(placed.right, work.right);
    EXPECT_EQ(placed.bottom, work.bottom);
    wrapper.Detach();
    ::DestroyWindow(window);
    ::DestroyWindow(owner);
}
