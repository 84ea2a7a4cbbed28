#pragma once

#include <windows.h>

#include <string>

#include "GreyImage.h"

// A grey image written in a container format by Windows Imaging Component's own encoder,
// stating a resolution: as 24-bit colour, or for GIF, which holds palette images only, as
// the grey levels of a palette of 256.
class GreyImageEncoder {
public:
    // The file's bytes; empty when the image cannot be encoded.
    static std::string Encode(const GreyImage& image, const GUID& container, double dpi);
};
