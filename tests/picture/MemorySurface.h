#pragma once

#include <windows.h>

#include "framework/CDC.h"
#include "support/Pixels.h"

// A framework surface in memory that draws into a 32-bit bitmap, larger than the dialog's
// picture area so that anything drawn outside it shows. It starts filled with kPaper and
// with a pen and brush of its own selected.
class MemorySurface {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 300;
    static constexpr COLORREF kPaper = RGB(250, 250, 250);

    MemorySurface();
    ~MemorySurface();
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;

    CDC& Dc() { return m_dc; }
    HDC Handle() const { return m_dc.GetSafeHdc(); }
    Pixels Read() const { return Pixels::Read(m_dc.GetSafeHdc(), kWidth, kHeight); }
    // The pen and brush that the surface had before anything was drawn.
    HGDIOBJ OwnPen() const { return m_ownPen; }
    HGDIOBJ OwnBrush() const { return m_ownBrush; }

private:
    CDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_ownPen = nullptr;
    HGDIOBJ m_ownBrush = nullptr;
    HGDIOBJ m_previousBitmap = nullptr;
    HGDIOBJ m_previousPen = nullptr;
    HGDIOBJ m_previousBrush = nullptr;
};
