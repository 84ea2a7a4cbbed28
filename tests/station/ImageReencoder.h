#pragma once

#include <windows.h>

#include <string>

// An image file's pixels written again in another container format by Windows Imaging
// Component: the same page as TIFF, BMP, GIF or JPEG.
class ImageReencoder {
public:
    // The image at `path` encoded as `container` (GUID_ContainerFormatTiff and the like);
    // empty when it cannot be.
    static std::string Reencode(const std::wstring& path, const GUID& container);
};
