#pragma once

#include <string>

#include "GreyImage.h"

// A scanned page, decoded by the platform's own codecs (Windows Imaging Component: PNG,
// TIFF, JPEG, BMP, GIF and whatever else is installed), as grey levels: one frame of the
// file, of at most ImageDecoder::kMostPixels pixels.
class PageImage {
public:
    static constexpr double kDefaultDpi = 300.0;

    // Decodes one frame of the file (from 0); throws InputError when it cannot. COM must be
    // initialised on the calling thread.
    static PageImage Read(const std::wstring& path, unsigned frame = 0);
    // How many frames (pages) the file holds; throws InputError when it is not an image.
    static unsigned FrameCount(const std::wstring& path);

    const GreyImage& Grey() const { return m_grey; }
    // The file's resolution, or kDefaultDpi when it states none that is plausible.
    double Dpi() const { return m_dpi; }

private:
    GreyImage m_grey;
    double m_dpi = kDefaultDpi;
};
