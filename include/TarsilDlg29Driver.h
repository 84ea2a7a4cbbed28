/*
 * TarsilDlg29Driver.h: drives the Word Verification dialog from a host's own tests, as a
 * person would (type, choose, press, read the picture's pixels), under Windows or Wine.
 * Header-only C++17; needs user32 and gdi32.
 *
 *     tarsil::DialogDriver driver;
 *     driver.Type(1000, L"corrected").Click(1008).Click(IDOK); // text, No, OK
 *     int result = RastStartDialog(...);                       // runs the steps
 *     assert(!driver.TimedOut() && result == 1);
 *
 * Queue the steps, then make the call that shows the dialog. A thread timer runs the
 * steps one per tick from inside whatever modal loop is running (the dialog's, or a
 * message box's), after the queued input of the previous step has been processed: timer
 * messages come only when no other message is waiting. A wait step is retried on every
 * tick. If the dialog is still open when the time limit passes, the driver records it and
 * closes the dialog, so a test never hangs. One driver at a time per process.
 */
#ifndef TARSILDLG29DRIVER_H
#define TARSILDLG29DRIVER_H

#include <windows.h>

#include "TarsilDlg29.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tarsil {

class DialogDriver {
public:
    struct MessageBoxSeen {
        std::wstring caption;
        std::wstring text;
    };

    explicit DialogDriver(DWORD timeLimitMs = 10000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // A step that runs once.
    DialogDriver& Do(const std::function<void(DialogDriver&)>& action);
    // A step that is retried on every tick until `condition` holds.
    DialogDriver& WaitUntil(std::function<bool(DialogDriver&)> condition);

    // Focuses the field as the Tab key does (selecting its text) and types over it.
    DialogDriver& Type(int controlId, const std::wstring& text);
    // Clicks a button.
    DialogDriver& Click(int controlId);
    DialogDriver& PressEnter();
    DialogDriver& PressEscape();
    // The caption bar's close button.
    DialogDriver& CloseBox();
    // Invalidates the whole dialog (marked for erasing or not) and lets it repaint.
    DialogDriver& Repaint(bool erase);
    // Waits for a message box owned by the dialog and records its caption and text.
    DialogDriver& AwaitMessageBox();
    // Presses OK on the open message box and waits until it has gone.
    DialogDriver& CloseMessageBox();

    HWND Dialog() const { return m_dialog; }
    // The message box the dialog has open, or null.
    HWND OpenMessageBox() const { return m_messageBox; }
    HWND Control(int controlId) const { return ::GetDlgItem(m_dialog, controlId); }
    std::wstring ControlText(int controlId) const;
    static std::wstring WindowText(HWND window);

    // The colour of picture pixel (x, y) as the dialog shows it on the screen.
    COLORREF PicturePixel(int x, int y) const
    {
        HDC screen = ::GetDC(m_dialog);
        const COLORREF colour = ::GetPixel(screen, TARSIL_PICTURE_LEFT + x, TARSIL_PICTURE_TOP + y);
        ::ReleaseDC(m_dialog, screen);
        return colour;
    }

    // How many dialogs opened while the driver was active.
    int DialogsOpened() const { return m_dialogsOpened; }
    // True when every queued step ran.
    bool Finished() const { return m_next == m_steps.size(); }
    // True when the time limit passed with the dialog still open.
    bool TimedOut() const { return m_timedOut; }
    const std::vector<MessageBoxSeen>& MessageBoxes() const { return m_messageBoxes; }

private:
    struct Step {
        std::function<bool(DialogDriver&)> run; // true: done
        bool waits;
    };

    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();
    void ForceClose();
    void PostKey(UINT virtualKey);

    static inline DialogDriver* s_active = nullptr;

    std::vector<Step> m_steps;
    size_t m_next = 0;
    HHOOK m_hook = nullptr;
    UINT_PTR m_timer = 0;
    DWORD m_started;
    DWORD m_timeLimit;
    HWND m_dialog = nullptr;
    HWND m_messageBox = nullptr;
    int m_dialogsOpened = 0;
    bool m_timedOut = false;
    std::vector<MessageBoxSeen> m_messageBoxes;
};


namespace detail {

inline bool IsDialogWindow(HWND window)
{
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return std::wstring(className) == L"#32770";
}

} // namespace detail

inline DialogDriver::DialogDriver(DWORD timeLimitMs)
    : m_started(::GetTickCount())
    , m_timeLimit(timeLimitMs)
{
    s_active = this; // before the hook and the timer can call it
    // cppcheck-suppress useInitializationList
    m_hook = ::SetWindowsHookExW(WH_CBT, &DialogDriver::CbtHook, nullptr, ::GetCurrentThreadId());
    m_timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &DialogDriver::Tick);
}

inline DialogDriver::~DialogDriver()
{
    ::KillTimer(nullptr, m_timer);
    ::UnhookWindowsHookEx(m_hook);
    if (s_active == this) {
        s_active = nullptr;
    }
}

inline DialogDriver& DialogDriver::Do(const std::function<void(DialogDriver&)>& action)
{
    m_steps.push_back({[action](DialogDriver& driver) {
                           action(driver);
                           return true;
                       },
                       false});
    return *this;
}

inline DialogDriver& DialogDriver::WaitUntil(std::function<bool(DialogDriver&)> condition)
{
    m_steps.push_back({std::move(condition), true});
    return *this;
}

inline DialogDriver& DialogDriver::Type(int controlId, const std::wstring& text)
{
    return Do([controlId, text](DialogDriver& driver) {
        HWND field = driver.Control(controlId);
        ::SendMessageW(driver.m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        ::SendMessageW(field, EM_SETSEL, 0, -1);
        // Backspace removes the selection, then each character arrives as typed.
        ::PostMessageW(field, WM_CHAR, VK_BACK, 0);
        for (wchar_t c : text) {
            ::PostMessageW(field, WM_CHAR, c, 0);
        }
    });
}

inline DialogDriver& DialogDriver::Click(int controlId)
{
    return Do([controlId](DialogDriver& driver) { ::PostMessageW(driver.Control(controlId), BM_CLICK, 0, 0); });
}

inline void DialogDriver::PostKey(UINT virtualKey)
{
    HWND target = ::GetFocus();
    if (target == nullptr || (target != m_dialog && !::IsChild(m_dialog, target))) {
        target = m_dialog;
    }
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageW(target, WM_KEYUP, virtualKey, 0xC0000001);
}

inline DialogDriver& DialogDriver::PressEnter()
{
    return Do([](DialogDriver& driver) { driver.PostKey(VK_RETURN); });
}

inline DialogDriver& DialogDriver::PressEscape()
{
    return Do([](DialogDriver& driver) { driver.PostKey(VK_ESCAPE); });
}

inline DialogDriver& DialogDriver::CloseBox()
{
    return Do([](DialogDriver& driver) { ::PostMessageW(driver.m_dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
}

inline DialogDriver& DialogDriver::Repaint(bool erase)
{
    return Do([erase](DialogDriver& driver) {
        ::InvalidateRect(driver.m_dialog, nullptr, erase ? TRUE : FALSE);
        ::UpdateWindow(driver.m_dialog);
    });
}

inline DialogDriver& DialogDriver::AwaitMessageBox()
{
    return WaitUntil([](DialogDriver& driver) {
        if (driver.m_messageBox == nullptr || !::IsWindowVisible(driver.m_messageBox)) {
            return false;
        }
        MessageBoxSeen seen;
        seen.caption = WindowText(driver.m_messageBox);
        // The message is the box's static control that is not its icon.
        for (HWND child = ::GetWindow(driver.m_messageBox, GW_CHILD); child != nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t className[16] = {};
            ::GetClassNameW(child, className, 16);
            const LONG style = ::GetWindowLongW(child, GWL_STYLE);
            if (lstrcmpiW(className, L"Static") == 0 && (style & SS_TYPEMASK) != SS_ICON) {
                seen.text = WindowText(child);
            }
        }
        driver.m_messageBoxes.push_back(seen);
        return true;
    });
}

inline DialogDriver& DialogDriver::CloseMessageBox()
{
    Do([](DialogDriver& driver) { ::PostMessageW(::GetDlgItem(driver.m_messageBox, IDOK), BM_CLICK, 0, 0); });
    return WaitUntil([](DialogDriver& driver) { return driver.m_messageBox == nullptr; });
}

inline std::wstring DialogDriver::ControlText(int controlId) const
{
    return WindowText(Control(controlId));
}

inline std::wstring DialogDriver::WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

inline LRESULT CALLBACK DialogDriver::CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    DialogDriver* driver = s_active;
    if (driver != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND && detail::IsDialogWindow(window)) {
            const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
            if (driver->m_dialog == nullptr) {
                driver->m_dialog = window;
                ++driver->m_dialogsOpened;
            } else if (create->lpcs->hwndParent == driver->m_dialog) {
                driver->m_messageBox = window;
            }
        } else if (code == HCBT_DESTROYWND) {
            if (window == driver->m_messageBox) {
                driver->m_messageBox = nullptr;
            } else if (window == driver->m_dialog) {
                driver->m_dialog = nullptr;
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

inline void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (s_active != nullptr) {
        s_active->OnTick();
    }
}

inline void DialogDriver::OnTick()
{
    if (m_dialog == nullptr) {
        return;
    }
    if (::GetTickCount() - m_started > m_timeLimit) {
        m_timedOut = true;
        ForceClose();
        return;
    }
    if (!::IsWindowVisible(m_dialog) || m_next >= m_steps.size()) {
        return;
    }
    // An action may open a modal loop (a message box) in which the following steps run,
    // so the next step is claimed before the action runs.
    Step& step = m_steps[m_next];
    if (step.waits) {
        if (step.run(*this)) {
            ++m_next;
        }
    } else {
        ++m_next;
        step.run(*this);
    }
}

inline void DialogDriver::ForceClose()
{
    if (m_messageBox != nullptr) {
        ::EndDialog(m_messageBox, IDOK);
    }
    ::EndDialog(m_dialog, IDCANCEL);
}

} // namespace tarsil

#endif /* TARSILDLG29DRIVER_H */
