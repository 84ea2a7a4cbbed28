#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "GreyImage.h"

// Test images written by Windows Imaging Component's own encoders.
struct ImageFrame {
    GreyImage grey;
    double dpi = 300;
};

// Writes the frames into one file of the container's format, each stating its resolution:
// as 24-bit colour when `colour`, else as 8-bit grey (GIF: always as indices into a palette
// of 256 greys). Fails the test when it cannot.
void WriteImageFile(const GUID& container, const std::vector<ImageFrame>& frames, bool colour,
                    const std::wstring& path);
