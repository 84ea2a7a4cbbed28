#pragma once

#include <windows.h>

// Selects a GDI object into a device context for as long as the selection lives, then
// selects back what was there before, so that the object is never deleted while selected.
class GdiSelection {
public:
    GdiSelection(HDC dc, HGDIOBJ object)
        : m_dc(dc)
        , m_previous(dc != nullptr && object != nullptr ? ::SelectObject(dc, object) : nullptr)
    {
    }
    GdiSelection(const GdiSelection&) = delete;
    GdiSelection& operator=(const GdiSelection&) = delete;
    ~GdiSelection()
    {
        if (m_previous != nullptr && m_previous != HGDI_ERROR) {
            ::SelectObject(m_dc, m_previous);
        }
    }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
