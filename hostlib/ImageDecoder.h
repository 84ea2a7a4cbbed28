#pragma once

#include <windows.h>

#include <wincodec.h>
#include <wrl/client.h>

#include <string>

#include "FileHandle.h"
#include "GreyImage.h"

// An image file decoded by the platform's codecs (Windows Imaging Component: PNG, TIFF,
// JPEG, BMP, GIF and whatever else is installed), a frame at a time, as grey levels. COM
// must be initialised on the calling thread.
class ImageDecoder {
public:
    // Larger frames than this are refused rather than exhausting memory: in all, and along
    // either side (a row of colour pixels is decoded at least once whole).
    static constexpr double kMostPixels = 200e6;
    static constexpr unsigned kLongestSide = 100000;

    // Opens and identifies the file, waiting a moment when another program holds it. False,
    // with the reason in `error`, when it is missing or no codec reads it.
    bool Open(const std::wstring& path, std::string& error);

    // How many frames (pages) the file holds; 0 when it cannot tell.
    unsigned FrameCount() const;
    // Decodes frame `index` (from 0). Transparent pixels count as paper. `dpi` gets the
    // frame's vertical resolution as the file states it (0 when it states none). A failure's
    // reason names the frame: "the image's first frame", or "frame 3" of a file with several.
    bool ReadFrame(unsigned index, GreyImage& image, double& dpi, std::string& error) const;

private:
    FileHandle m_file;
    Microsoft::WRL::ComPtr<IWICImagingFactory> m_factory;
    Microsoft::WRL::ComPtr<IWICBitmapDecoder> m_decoder;
};
