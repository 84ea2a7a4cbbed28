#pragma once

#include <windows.h>

#include "CCmdTarget.h"
#include "CString.h"

// A window object: a thin wrapper over a window handle. The wrapper does not own the
// window: dialogs are destroyed by the dialog manager, controls by their dialog.
//
// A wrapper that is bound to a window with Attach is its permanent object, which
// FromHandle returns. For any other window FromHandle makes a temporary wrapper that
// lives until DeleteTempMap.
class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd;

    // The permanent or a temporary wrapper of `window`; null for a null handle.
    static CWnd* FromHandle(HWND window);
    // Frees the temporary wrappers that FromHandle has made on this module's behalf.
    static void DeleteTempMap();

    // Binds this wrapper to a window and makes it that window's permanent object.
    void Attach(HWND window);
    // Unbinds the wrapper from its window and returns the handle.
    HWND Detach();

    void SetWindowText(const wchar_t* text);
    // Copies at most maxCount - 1 characters and a terminating null, as the platform does.
    int GetWindowText(wchar_t* buffer, int maxCount) const;
    // The whole text of the window, however long.
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL ShowWindow(int command);
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    // Converts a rectangle from screen coordinates to this window's client coordinates.
    void ScreenToClient(RECT* rect) const;
    // The handle of the child window with the id, null when there is none. Unlike a
    // wrapper, the handle costs no allocation.
    void GetDlgItem(int id, HWND* window) const;

    // Centres the window over its owner when that is visible and not minimised, otherwise
    // within the work area of the monitor, and keeps it inside that work area.
    void CenterWindow(CWnd* alternateOwner = nullptr);

    // Dispatches one message to the message map. Returns false when the message is left
    // to the platform's default processing.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // Asks for the platform's default processing of the message being handled.
    void Default();

    // Only the platform's own handling.
    void OnDestroy();

    // Unbinds every wrapper whose window no longer exists, so that a recycled handle never
    // finds a stale wrapper.
    static void ForgetDestroyedWindows();

private:
    bool m_defaultRequested;
};
