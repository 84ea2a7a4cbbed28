#include "CDialog.h"

#include "AfxModule.h"
#include "CException.h"
#include "CPaintDC.h"
#include "CResourceException.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {

// Messages whose result a dialog procedure returns directly instead of through
// DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    default:
        return false;
    }
}

} // namespace

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_templateId(templateId)
    , m_pParentWnd(parent)
    , m_runState(RunState::NotCreated)
    , m_endResult(0)
{
}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    HINSTANCE resources = AfxGetResourceHandle();
    HRSRC found = ::FindResourceW(resources, MAKEINTRESOURCEW(m_templateId), RT_DIALOG);
    if (found == nullptr) {
        return -1;
    }
    const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(resources, found)));
    if (dialogTemplate == nullptr) {
        return -1;
    }

    // The dialog belongs to the parent's top-level window, which the dialog manager
    // disables while the dialog runs and enables again afterwards.
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    if (owner != nullptr) {
        owner = ::GetAncestor(owner, GA_ROOT);
    }

    m_runState = RunState::NotCreated;
    m_endResult = 0;
    const INT_PTR result = ::DialogBoxIndirectParamW(resources, dialogTemplate, owner, &CDialog::DialogProc,
                                                     reinterpret_cast<LPARAM>(this));
    // The dialog manager has destroyed the window by now.
    if (m_hWnd != nullptr) {
        Detach();
    }
    switch (m_runState) {
    case RunState::NotCreated:
        return -1;
    case RunState::EndedByDialog:
        if (result == m_endResult) {
            return result;
        }
        break;
    case RunState::Running:
        break;
    }
    // The platform's loop ended for a reason of its own: a WM_QUIT, for one, ends it with
    // IDOK, which must never pass for the dialog's own OK.
    return IDABORT;
}

void CDialog::EndDialog(int result)
{
    EndRun(m_hWnd, result);
}

void CDialog::EndRun(HWND window, INT_PTR result)
{
    m_runState = RunState::EndedByDialog;
    m_endResult = result;
    ::EndDialog(window, result);
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return true;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(true)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

void CDialog::OnPaint()
{
    CPaintDC paint(this);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_runState = RunState::Running;
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
        try {
            dialog->Attach(window);
        } catch (...) {
            dialog->EndRun(window, -1);
            return FALSE;
        }
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    if (dialog == nullptr) {
        return FALSE; // messages before WM_INITDIALOG
    }

    const INT_PTR answer = dialog->Dispatch(message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->Detach();
        ForgetDestroyedWindows();
    }
    return answer;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message == WM_INITDIALOG) {
            return OnInitDialog();
        }
        LRESULT result = 0;
        if (!OnWndMsg(message, wParam, lParam, result)) {
            return FALSE;
        }
        if (ReturnsResultDirectly(message)) {
            return static_cast<INT_PTR>(result);
        }
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    } catch (CException* failure) {
        failure->Delete();
    } catch (...) {
    }

    switch (message) {
    case WM_INITDIALOG:
        // A dialog that could not be initialised is not shown.
        EndDialog(-1);
        return FALSE;
    case WM_PAINT:
        // The paint failed part way: mark the client area painted so that the dialog
        // is not asked to paint again at once, and carry on.
        ::ValidateRect(m_hWnd, nullptr);
        return TRUE;
    default:
        return FALSE;
    }
}
