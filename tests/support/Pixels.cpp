#include "Pixels.h"

#include <algorithm>
#include <sstream>

Pixels::Pixels(int width, int height, COLORREF fill)
    : m_width(width)
    , m_height(height)
    , m_pixels(static_cast<size_t>(width) * height, fill)
{
}

Pixels Pixels::Read(HDC surface, int width, int height)
{
    Pixels pixels(width, height, 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC copy = ::CreateCompatibleDC(surface);
    HBITMAP bitmap = ::CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(copy, bitmap);
    ::BitBlt(copy, 0, 0, width, height, surface, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* bgrx = static_cast<const BYTE*>(bits);
    for (size_t i = 0; i < pixels.m_pixels.size(); ++i) {
        pixels.m_pixels[i] = RGB(bgrx[i * 4 + 2], bgrx[i * 4 + 1], bgrx[i * 4]);
    }
    ::SelectObject(copy, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(copy);
    return pixels;
}

Pixels Pixels::ReadClient(HWND window)
{
    RECT client{};
    ::GetClientRect(window, &client);
    HDC surface = ::GetDC(window);
    Pixels pixels = Read(surface, client.right, client.bottom);
    ::ReleaseDC(window, surface);
    return pixels;
}

void Pixels::Fill(const RECT& area, COLORREF colour)
{
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            Set(x, y, colour);
        }
    }
}

void Pixels::Copy(const Pixels& source, const RECT& area)
{
    const int right = std::min({area.right, static_cast<LONG>(m_width), static_cast<LONG>(source.m_width)});
    const int bottom = std::min({area.bottom, static_cast<LONG>(m_height), static_cast<LONG>(source.m_height)});
    for (int y = std::max(area.top, 0L); y < bottom; ++y) {
        for (int x = std::max(area.left, 0L); x < right; ++x) {
            Set(x, y, source.At(x, y));
        }
    }
}

int Pixels::CountOutside(const RECT& area, COLORREF colour) const
{
    int count = 0;
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
            count += !inside && At(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

::testing::AssertionResult SamePixels(const Pixels& actual, const Pixels& expected, const RECT& area)
{
    std::ostringstream differences;
    differences << std::hex;
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (actual.At(x, y) == expected.At(x, y)) {
                continue;
            }
            if (++count <= 8) {
                differences << std::dec << " (" << x << "," << y << ")" << std::hex << " is 0x" << actual.At(x, y)
                            << " not 0x" << expected.At(x, y) << ";";
            }
        }
    }
    if (count == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << count << " pixels differ:" << differences.str();
}

::testing::AssertionResult SamePixels(const Pixels& actual, const Pixels& expected)
{
    if (actual.Width() != expected.Width() || actual.Height() != expected.Height()) {
        return ::testing::AssertionFailure() << "the sizes differ";
    }
    return SamePixels(actual, expected, RECT{0, 0, expected.Width(), expected.Height()});
}
