#include "CPen.h"

#include "AfxFaults.h"
#include "CResourceException.h"

CPen::CPen(int style, int width, COLORREF colour)
{
    if (!CreatePen(style, width, colour)) {
        AfxThrowResourceException();
    }
}

BOOL CPen::CreatePen(int style, int width, COLORREF colour)
{
    DeleteObject();
    if (AfxFaultDue(AfxFault::PenCreation)) {
        return FALSE;
    }
    m_hObject = ::CreatePen(style, width, colour);
    return m_hObject != nullptr;
}
