#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

// A snapshot of a surface's pixels, or a picture of what they should be.
class Pixels {
public:
    Pixels(int width, int height, COLORREF fill);

    // Copies the surface's pixels (0, 0) to (width - 1, height - 1) as they are now.
    static Pixels Read(HDC surface, int width, int height);
    // The window's whole client area as it is on the screen now.
    static Pixels ReadClient(HWND window);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF At(int x, int y) const { return m_pixels[Index(x, y)]; }
    void Set(int x, int y, COLORREF colour) { m_pixels[Index(x, y)] = colour; }
    // Sets x from left to right - 1 and y from top to bottom - 1.
    void Fill(const RECT& area, COLORREF colour);
    // Takes the pixels of `area` from `source`, as far as the area lies inside both.
    void Copy(const Pixels& source, const RECT& area);
    // How many pixels outside `area` have the colour.
    int CountOutside(const RECT& area, COLORREF colour) const;

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * m_width + x; }

    int m_width;
    int m_height;
    std::vector<COLORREF> m_pixels;
};

// Succeeds when the two have the same pixels within `area`; otherwise says how many
// differ and where the first few are.
::testing::AssertionResult SamePixels(const Pixels& actual, const Pixels& expected, const RECT& area);
// The same over the whole of both.
::testing::AssertionResult SamePixels(const Pixels& actual, const Pixels& expected);
