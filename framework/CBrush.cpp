#include "CBrush.h"

#include "AfxFaults.h"

BOOL CBrush::CreateSolidBrush(COLORREF colour)
{
    DeleteObject();
    if (AfxFaultDue(AfxFault::BrushCreation)) {
        return FALSE;
    }
    m_hObject = ::CreateSolidBrush(colour);
    return m_hObject != nullptr;
}
