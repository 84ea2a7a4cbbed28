#pragma once

#include <windows.h>

#include "CDC.h"

class CWnd;

// The surface of one WM_PAINT: begins painting on construction (which erases the update
// region when it is marked for erasing) and ends it on destruction, which validates the
// update region. Drawing on it is clipped to the update region. Raises
// CResourceException when painting cannot begin.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};
