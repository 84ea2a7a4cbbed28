#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>

#include "GdiObject.h"
#include "GdiSelection.h"

// A bitmap of its own, 32 bits a pixel, top row first, with a memory device context that
// draws on it. Drawn pixels are read back as blue, green, red and an unused byte.
class DibSurface {
public:
    DibSurface(int width, int height);
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    ~DibSurface() = default;

    // False when the platform could make no bitmap of this size.
    bool IsValid() const { return m_pixels != nullptr; }
    HDC Dc() const { return m_dc.get(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Every pixel, four bytes each, row after row, once the drawing so far has reached
    // the bitmap.
    const std::uint8_t* Pixels() const;

private:
    struct DcDeleter {
        void operator()(HDC dc) const { ::DeleteDC(dc); }
    };
    static HBITMAP MakeBitmap(int width, int height, void** pixels);

    // Destroyed in reverse: the selection ends, then the bitmap goes, then the context.
    int m_width;
    int m_height;
    std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter> m_dc;
    void* m_pixels = nullptr;
    GdiObject m_bitmap;
    GdiSelection m_selection;
};
