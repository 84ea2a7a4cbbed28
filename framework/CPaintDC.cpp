#include "CPaintDC.h"

#include "CResourceException.h"
#include "CWnd.h"

CPaintDC::CPaintDC(CWnd* window)
    : m_ps{}
    , m_hWnd(window->m_hWnd)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
    if (m_hDC == nullptr) {
        AfxThrowResourceException();
    }
}

CPaintDC::~CPaintDC()
{
    // The platform's context goes back to it; CDC must not delete it.
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}
