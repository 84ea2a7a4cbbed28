#pragma once

#include <windows.h>

#include "CObject.h"

// A drawing surface: a wrapper over a device context. CDC itself does not own its
// handle; CPaintDC and CClientDC obtain and release theirs.
class CDC : public CObject {
public:
    CDC() = default;
    explicit CDC(HDC dc)
        : m_hDC(dc)
    {
    }

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }

    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
};
