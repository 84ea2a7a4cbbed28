#pragma once

#include <windows.h>

#include "CGdiObject.h"

// An owned font.
class CFont : public CGdiObject {
public:
    // Creates the font as CreateFontW does. Returns FALSE, leaving the wrapper empty,
    // when the platform gives no font.
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outputPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, const wchar_t* faceName);

    HFONT GetSafeHandle() const { return static_cast<HFONT>(m_hObject); }
};
