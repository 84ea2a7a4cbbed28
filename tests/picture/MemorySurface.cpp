#include "MemorySurface.h"

#include <stdexcept>

MemorySurface::MemorySurface()
{
    if (!m_dc.CreateCompatibleDC(nullptr)) {
        throw std::runtime_error("no memory surface");
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(m_dc.GetSafeHdc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_ownPen = ::CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    m_ownBrush = ::CreateSolidBrush(RGB(4, 5, 6));
    if (m_bitmap == nullptr || m_ownPen == nullptr || m_ownBrush == nullptr) {
        throw std::runtime_error("no bitmap, pen or brush for the memory surface");
    }
    m_previousBitmap = m_dc.SelectObject(m_bitmap);
    m_previousPen = m_dc.SelectObject(m_ownPen);
    m_previousBrush = m_dc.SelectObject(m_ownBrush);

    HBRUSH paper = ::CreateSolidBrush(kPaper);
    const RECT all{0, 0, kWidth, kHeight};
    ::FillRect(m_dc.GetSafeHdc(), &all, paper);
    ::DeleteObject(paper);
}

MemorySurface::~MemorySurface()
{
    m_dc.SelectObject(m_previousBrush);
    m_dc.SelectObject(m_previousPen);
    m_dc.SelectObject(m_previousBitmap);
    ::DeleteObject(m_ownBrush);
    ::DeleteObject(m_ownPen);
    ::DeleteObject(m_bitmap);
}
