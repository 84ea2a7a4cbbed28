#include "CWnd.h"

#include "CArray.h"

namespace {

struct HandleEntry {
    HWND window;
    CWnd* wrapper;
};

// Windows of the library are used on one thread at a time (the entry serves one call at
// a time), so the maps need no lock. They are small: one dialog and its controls.
struct HandleMap {
    CArray<HandleEntry> permanent;
    CArray<HandleEntry> temporary;
};

// At namespace scope, so that no first-use guard (and no threading support behind it) is
// needed: the maps are ready from load on.
HandleMap g_handles;

HandleMap& Handles()
{
    return g_handles;
}

CWnd* Find(const CArray<HandleEntry>& map, HWND window)
{
    for (std::size_t i = 0; i < map.GetSize(); ++i) {
        if (map[i].window == window) {
            return map[i].wrapper;
        }
    }
    return nullptr;
}

void Remove(CArray<HandleEntry>& map, const CWnd* wrapper)
{
    for (std::size_t i = map.GetSize(); i > 0; --i) {
        if (map[i - 1].wrapper == wrapper) {
            map.RemoveAt(i - 1);
        }
    }
}

} // namespace

CWnd::CWnd()
    : m_hWnd(nullptr)
    , m_defaultRequested(false)
{
}

CWnd::~CWnd()
{
    if (m_hWnd != nullptr) {
        Detach();
    }
}

CWnd* CWnd::FromHandle(HWND window)
{
    if (window == nullptr) {
        return nullptr;
    }
    HandleMap& handles = Handles();
    if (CWnd* permanent = Find(handles.permanent, window)) {
        return permanent;
    }
    if (CWnd* temporary = Find(handles.temporary, window)) {
        return temporary;
    }
    CWnd* temporary = new CWnd();
    temporary->m_hWnd = window;
    try {
        handles.temporary.Add({window, temporary});
    } catch (...) {
        temporary->m_hWnd = nullptr;
        delete temporary;
        throw;
    }
    return temporary;
}

void CWnd::DeleteTempMap()
{
    CArray<HandleEntry>& temporary = Handles().temporary;
    for (std::size_t i = 0; i < temporary.GetSize(); ++i) {
        temporary[i].wrapper->m_hWnd = nullptr;
        delete temporary[i].wrapper;
    }
    temporary.RemoveAll();
}

void CWnd::Attach(HWND window)
{
    Handles().permanent.Add({window, this});
    m_hWnd = window;
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    Remove(Handles().permanent, this);
    m_hWnd = nullptr;
    return window;
}

void CWnd::ForgetDestroyedWindows()
{
    CArray<HandleEntry>& permanent = Handles().permanent;
    for (std::size_t i = permanent.GetSize(); i > 0; --i) {
        if (!::IsWindow(permanent[i - 1].window)) {
            permanent[i - 1].wrapper->m_hWnd = nullptr;
            permanent.RemoveAt(i - 1);
        }
    }
}

void CWnd::SetWindowText(const wchar_t* text)
{
    ::SetWindowTextW(m_hWnd, text);
}

int CWnd::GetWindowText(wchar_t* buffer, int maxCount) const
{
    return ::GetWindowTextW(m_hWnd, buffer, maxCount);
}

void CWnd::GetWindowText(CString& text) const
{
    const int length = GetWindowTextLength();
    const int copied = ::GetWindowTextW(m_hWnd, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer(copied > 0 ? copied : 0);
}

int CWnd::GetWindowTextLength() const
{
    return ::GetWindowTextLengthW(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::ShowWindow(int command)
{
    return ::ShowWindow(m_hWnd, command);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const
{
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::ScreenToClient(RECT* rect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::GetDlgItem(int id, HWND* window) const
{
    *window = ::GetDlgItem(m_hWnd, id);
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    HWND center = alternateOwner != nullptr ? alternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (center != nullptr && (!::IsWindowVisible(center) || ::IsIconic(center))) {
        center = nullptr;
    }

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(center != nullptr ? center : m_hWnd, MONITOR_DEFAULTTONEAREST),
                      &monitor);
    const RECT workArea = monitor.rcWork;

    RECT centerRect = workArea;
    if (center != nullptr) {
        ::GetWindowRect(center, &centerRect);
    }

    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;

    int left = (centerRect.left + centerRect.right) / 2 - width / 2;
    int top = (centerRect.top + centerRect.bottom) / 2 - height / 2;

    // Keep the whole window inside the work area, its top-left corner first.
    if (left + width > workArea.right) {
        left = workArea.right - width;
    }
    if (left < workArea.left) {
        left = workArea.left;
    }
    if (top + height > workArea.bottom) {
        top = workArea.bottom - height;
    }
    if (top < workArea.top) {
        top = workArea.top;
    }

    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    // Messages nest (a handler's message box sends messages to this window), so the
    // request for default processing belongs to one dispatch only.
    const bool outer = m_defaultRequested;
    m_defaultRequested = false;
    bool handled = false;
    try {
        handled = ProcessMessageMap(message, wParam, lParam, result) && !m_defaultRequested;
    } catch (...) {
        m_defaultRequested = outer;
        throw;
    }
    m_defaultRequested = outer;
    return handled;
}

void CWnd::Default()
{
    m_defaultRequested = true;
}

void CWnd::OnDestroy()
{
    Default();
}
