#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ImageFile.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "StationOptions.h"

// What the batch tests make their batches of: the committed scans, multi-page TIFFs written
// from them, and the engine (Debian's Tesseract through the relay).

// A file of the committed scans (data/scans).
std::wstring Scan(const std::wstring& name);
// The engine relay beside the test program.
std::wstring Relay();

ImageFrame FrameOf(const PageImage& page);
// A multi-page TIFF, one frame a page, 8-bit grey, uncompressed.
void WriteTiff(const std::vector<ImageFrame>& frames, const std::wstring& path);

// A session on `image` unattended, words below 95, as a batch (the recogniser's output found
// beside the image) and in the one-page form (given the output), each with its own folder.
std::pair<StationOptions, StationOptions> BothForms(const ScratchFolder& folder, const std::wstring& image);
