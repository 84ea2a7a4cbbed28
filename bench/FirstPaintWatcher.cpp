#include "FirstPaintWatcher.h"

#include <psapi.h>

#include <cwchar>

#include "Stopwatch.h"

FirstPaintWatcher* FirstPaintWatcher::s_watcher = nullptr;

FirstPaintWatcher::FirstPaintWatcher(bool pressOk, UINT pressAfterMs)
    : m_pressOk(pressOk)
    , m_pressAfterMs(pressAfterMs)
{
    s_watcher = this;
    m_hook = ::SetWindowsHookExW(WH_CBT, &FirstPaintWatcher::OnCreate, nullptr, ::GetCurrentThreadId());
}

FirstPaintWatcher::~FirstPaintWatcher()
{
    ::UnhookWindowsHookEx(m_hook);
    s_watcher = nullptr;
}

SIZE_T FirstPaintWatcher::CommittedMemory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

LRESULT CALLBACK FirstPaintWatcher::OnCreate(int code, WPARAM wParam, LPARAM lParam)
{
    FirstPaintWatcher* watcher = s_watcher;
    if (code == HCBT_CREATEWND && watcher != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        const bool isDialog = watcher->m_dialog == nullptr && std::wcscmp(className, L"#32770") == 0;
        if (isDialog) {
            watcher->m_dialog = window;
        }
        if (isDialog || (watcher->m_dialog != nullptr && create->lpcs->hwndParent == watcher->m_dialog)) {
            const auto original = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
                window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FirstPaintWatcher::Subclass)));
            watcher->m_watched.push_back({window, original, false});
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK FirstPaintWatcher::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    FirstPaintWatcher* watcher = s_watcher;
    Watched* watched = nullptr;
    for (Watched& w : watcher->m_watched) {
        if (w.window == window) {
            watched = &w;
        }
    }
    const LRESULT result = ::CallWindowProcW(watched->original, window, message, wParam, lParam);
    if (message == WM_PAINT && !watched->painted) {
        watched->painted = true;
        watcher->CheckComplete();
    }
    return result;
}

void FirstPaintWatcher::CheckComplete()
{
    if (m_completedAt != 0) {
        return;
    }
    for (const Watched& w : m_watched) {
        if (!w.painted && ::IsWindowVisible(w.window)) {
            return;
        }
    }
    m_completedAt = Stopwatch::Now();
    m_memoryWhileOpen = CommittedMemory();
    if (m_pressOk && m_pressAfterMs > 0) {
        ::SetTimer(m_dialog, 1, m_pressAfterMs, &FirstPaintWatcher::PressOk);
    } else if (m_pressOk) {
        ::PostMessageW(::GetDlgItem(m_dialog, IDOK), BM_CLICK, 0, 0);
    } else {
        ::EndDialog(m_dialog, IDCANCEL);
    }
}

void CALLBACK FirstPaintWatcher::PressOk(HWND dialog, UINT, UINT_PTR timer, DWORD)
{
    ::KillTimer(dialog, timer);
    ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}
