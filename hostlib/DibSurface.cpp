#include "DibSurface.h"

DibSurface::DibSurface(int width, int height)
    : m_width(width)
    , m_height(height)
    , m_dc(::CreateCompatibleDC(nullptr))
    , m_bitmap(MakeBitmap(width, height, &m_pixels))
    , m_selection(m_dc.get(), m_bitmap.Get())
{
    if (m_dc == nullptr || m_bitmap.Get() == nullptr) {
        m_pixels = nullptr;
    }
}

HBITMAP DibSurface::MakeBitmap(int width, int height, void** pixels)
{
    *pixels = nullptr;
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, pixels, nullptr, 0);
}

const std::uint8_t* DibSurface::Pixels() const
{
    ::GdiFlush();
    return static_cast<const std::uint8_t*>(m_pixels);
}
