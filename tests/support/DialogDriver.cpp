#include "DialogDriver.h"

DialogDriver* DialogDriver::s_active = nullptr;

namespace {

bool IsDialogWindow(HWND window)
{
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return std::wstring(className) == L"#32770";
}

} // namespace

DialogDriver::DialogDriver(DWORD timeLimitMs)
    : m_started(::GetTickCount())
    , m_timeLimit(timeLimitMs)
{
    s_active = this;
    m_hook = ::SetWindowsHookExW(WH_CBT, &DialogDriver::CbtHook, nullptr, ::GetCurrentThreadId());
    m_timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &DialogDriver::Tick);
}

DialogDriver::~DialogDriver()
{
    ::KillTimer(nullptr, m_timer);
    ::UnhookWindowsHookEx(m_hook);
    if (s_active == this) {
        s_active = nullptr;
    }
}

DialogDriver& DialogDriver::Do(std::function<void(DialogDriver&)> action)
{
    m_steps.push_back({[action](DialogDriver& driver) {
                           action(driver);
                           return true;
                       },
                       false});
    return *this;
}

DialogDriver& DialogDriver::WaitUntil(std::function<bool(DialogDriver&)> condition)
{
    m_steps.push_back({std::move(condition), true});
    return *this;
}

DialogDriver& DialogDriver::Type(int controlId, const std::wstring& text)
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

DialogDriver& DialogDriver::Click(int controlId)
{
    return Do([controlId](DialogDriver& driver) { ::PostMessageW(driver.Control(controlId), BM_CLICK, 0, 0); });
}

void DialogDriver::PostKey(UINT virtualKey)
{
    HWND target = ::GetFocus();
    if (target == nullptr || (target != m_dialog && !::IsChild(m_dialog, target))) {
        target = m_dialog;
    }
    ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageW(target, WM_KEYUP, virtualKey, 0xC0000001);
}

DialogDriver& DialogDriver::PressEnter()
{
    return Do([](DialogDriver& driver) { driver.PostKey(VK_RETURN); });
}

DialogDriver& DialogDriver::PressEscape()
{
    return Do([](DialogDriver& driver) { driver.PostKey(VK_ESCAPE); });
}

DialogDriver& DialogDriver::CloseBox()
{
    return Do([](DialogDriver& driver) { ::PostMessageW(driver.m_dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
}

DialogDriver& DialogDriver::Repaint(bool erase)
{
    return Do([erase](DialogDriver& driver) {
        ::InvalidateRect(driver.m_dialog, nullptr, erase ? TRUE : FALSE);
        ::UpdateWindow(driver.m_dialog);
    });
}

DialogDriver& DialogDriver::AwaitMessageBox()
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

DialogDriver& DialogDriver::CloseMessageBox()
{
    Do([](DialogDriver& driver) { ::PostMessageW(::GetDlgItem(driver.m_messageBox, IDOK), BM_CLICK, 0, 0); });
    return WaitUntil([](DialogDriver& driver) { return driver.m_messageBox == nullptr; });
}

std::wstring DialogDriver::ControlText(int controlId) const
{
    return WindowText(Control(controlId));
}

std::wstring DialogDriver::WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

LRESULT CALLBACK DialogDriver::CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    DialogDriver* driver = s_active;
    if (driver != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND && IsDialogWindow(window)) {
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

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (s_active != nullptr) {
        s_active->OnTick();
    }
}

void DialogDriver::OnTick()
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

void DialogDriver::ForceClose()
{
    if (m_messageBox != nullptr) {
        ::EndDialog(m_messageBox, IDOK);
    }
    ::EndDialog(m_dialog, IDCANCEL);
}
