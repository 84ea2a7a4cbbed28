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
    ::EndPaint(m_hWnd, &m_ps);
}
