#pragma once

#include <windows.h>

#include "CGdiObject.h"

// An owned brush.
class CBrush : public CGdiObject {
public:
    // Creates a solid brush as CreateSolidBrush does. Returns FALSE, leaving the wrapper
    // empty, when the platform gives no brush.
    BOOL CreateSolidBrush(COLORREF colour);

    HBRUSH GetSafeHandle() const { return static_cast<HBRUSH>(m_hObject); }
};
