#include "CFont.h"

#include "AfxFaults.h"

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outputPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, const wchar_t* faceName)
{
    DeleteObject();
    if (AfxFaultDue(AfxFault::FontCreation)) {
        return FALSE;
    }
    m_hObject = ::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                              charSet, outputPrecision, clipPrecision, quality, pitchAndFamily, faceName);
    return m_hObject != nullptr;
}
