#pragma once

#include <windows.h>

#include "CDC.h"

class CWnd;

// A surface of a window's whole client area, not limited to any update region: gets the
// window's device context on construction and releases it on destruction. Raises
// CResourceException when the platform gives no context.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};
