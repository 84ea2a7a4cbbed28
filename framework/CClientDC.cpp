#include "CClientDC.h"

#include "CResourceException.h"
#include "CWnd.h"

CClientDC::CClientDC(CWnd* window)
    : m_hWnd(window->m_hWnd)
{
    m_hDC = ::GetDC(m_hWnd);
    if (m_hDC == nullptr) {
        AfxThrowResourceException();
    }
}

CClientDC::~CClientDC()
{
    // The platform's context goes back to it; CDC must not delete it.
    ::ReleaseDC(m_hWnd, Detach());
}
