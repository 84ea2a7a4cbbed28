#include "CDataExchange.h"

#include "CResourceException.h"
#include "CWnd.h"

void DDX_Control(CDataExchange* exchange, int controlId, CWnd& control)
{
    if (control.m_hWnd != nullptr) {
        return;
    }
    HWND window = ::GetDlgItem(exchange->m_pDlgWnd->m_hWnd, controlId);
    if (window == nullptr) {
        AfxThrowResourceException();
    }
    control.Attach(window);
}
