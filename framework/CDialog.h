#pragma once

#include <windows.h>

#include "CDataExchange.h"
#include "CWnd.h"
#include "MessageMap.h"

// A modal dialog built from a dialog template in the module's resources.
//
// The dialog procedure is the boundary between the platform and the dialog's code: no
// exception crosses it. An exception from initialisation ends the dialog with -1; from a
// paint handler it validates the client area so that the dialog goes on; from any other
// handler it leaves the message to the platform's default processing.
class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally on the calling thread. Returns the value that the dialog gave
    // EndDialog; -1 when the template is missing or the dialog window cannot be created or
    // initialised; IDABORT when the run ended without the dialog ending itself (the thread
    // received WM_QUIT, the window was destroyed, or someone else called the platform's
    // EndDialog). While the dialog runs, its owner (the parent's top-level window) is
    // disabled.
    virtual INT_PTR DoModal();

    // Ends the modal run; DoModal returns `result` once the window is destroyed.
    void EndDialog(int result);

    // Exchanges data between the controls and the dialog's members.
    bool UpdateData(bool saveAndValidate = true);

protected:
    // Called once the window and its controls exist; binds the controls. Returning TRUE
    // lets the platform give the focus to the first tab stop.
    virtual BOOL OnInitDialog();
    // The OK command: saves the controls' data and ends the dialog with IDOK.
    virtual void OnOK();
    // The Cancel command (Cancel button, Escape, close box): ends the dialog with IDCANCEL.
    virtual void OnCancel();
    // Binds controls and exchanges their data; the base class has nothing to exchange.
    virtual void DoDataExchange(CDataExchange* exchange);

    // Begins and ends painting, which validates the update region.
    void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    // Records that the dialog itself ends the run of `window` with `result`, and ends it.
    void EndRun(HWND window, INT_PTR result);

    UINT m_templateId;
    CWnd* m_pParentWnd;
    // Where the modal run stands. The platform's modal loop also ends for reasons of its
    // own, and DoModal must tell those apart from the dialog's own ending.
    enum class RunState { NotCreated, Running, EndedByDialog };
    RunState m_runState;
    INT_PTR m_endResult; // valid in EndedByDialog
};
