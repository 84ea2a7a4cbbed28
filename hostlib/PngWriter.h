#pragma once

#include <cstdint>
#include <vector>

// PNG files, compressed by the platform's encoder (Windows Imaging Component). COM must be
// initialised on the calling thread.

// Encodes an 8-bit image: `channels` 1 (grey) or 3 (RGB), `pixels` holding width * height
// pixels of that many bytes each, top row first. Empty when the platform cannot encode it.
std::vector<std::uint8_t> EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels);
