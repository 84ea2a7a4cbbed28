#pragma once

#include <windows.h>

#include <vector>

// Notes when the dialog and each of its visible controls have finished their first paint,
// and ends the dialog at that moment (or presses its OK button, as an operator would). The
// windows are subclassed as they are created, so the watcher sees the end of each WM_PAINT,
// whoever handles it. One watcher at a time, on the thread that shows the dialog.
class FirstPaintWatcher {
public:
    // `pressAfterMs`: OK is pressed that long after the first complete paint, as an operator
    // who reads the word first would.
    explicit FirstPaintWatcher(bool pressOk = false, UINT pressAfterMs = 0);
    ~FirstPaintWatcher();
    FirstPaintWatcher(const FirstPaintWatcher&) = delete;
    FirstPaintWatcher& operator=(const FirstPaintWatcher&) = delete;

    // When the last first paint ended, or 0 if the dialog never finished painting.
    double CompletedAt() const { return m_completedAt; }
    // Committed memory while the painted dialog was open.
    SIZE_T MemoryWhileOpen() const { return m_memoryWhileOpen; }

    // The process's committed memory now.
    static SIZE_T CommittedMemory();

private:
    struct Watched {
        HWND window;
        WNDPROC original;
        bool painted;
    };

    static LRESULT CALLBACK OnCreate(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK PressOk(HWND dialog, UINT, UINT_PTR timer, DWORD);
    void CheckComplete();

    static FirstPaintWatcher* s_watcher;
    bool m_pressOk;
    UINT m_pressAfterMs;
    HHOOK m_hook = nullptr;
    HWND m_dialog = nullptr;
    std::vector<Watched> m_watched;
    double m_completedAt = 0;
    SIZE_T m_memoryWhileOpen = 0;
};
