#pragma once

#include <cstdint>
#include <string>
#include <vector>

// PNG files, compressed by the platform's encoder (Windows Imaging Component). COM must be
// initialised on the calling thread.

// Encodes an 8-bit image into `png`: `channels` 1 (grey) or 3 (RGB), `pixels` holding
// width * height pixels of that many bytes each, top row first. Returns false, `png` empty
// and the reason in `error`, when the platform cannot encode it.
bool EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
               std::vector<std::uint8_t>& png, std::string& error);
