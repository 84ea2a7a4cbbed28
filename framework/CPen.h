#pragma once

#include <windows.h>

#include "CGdiObject.h"

// An owned pen.
class CPen : public CGdiObject {
public:
    CPen() = default;
    // Creates the pen; raises CResourceException when the platform gives none.
    CPen(int style, int width, COLORREF colour);

    // Creates the pen as CreatePen does. Returns FALSE, leaving the wrapper empty, when
    // the platform gives no pen.
    BOOL CreatePen(int style, int width, COLORREF colour);

    HPEN GetSafeHandle() const { return static_cast<HPEN>(m_hObject); }
};
