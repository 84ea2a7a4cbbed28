#pragma once

#include <cstdint>
#include <string>
#include <vector>

// PNG files, compressed by the platform's encoder (Windows Imaging Component).

// Encodes an 8-bit image: `channels` 1 (grey) or 3 (RGB), `pixels` holding width * height
// pixels of that many bytes each, top row first. Empty when the platform cannot encode it.
std::vector<std::uint8_t> EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels);

// Writes a 24-bit RGB image as a PNG file. `rgb` holds width * height pixels, top row
// first, three bytes per pixel. Returns false when the file cannot be written.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& rgb);
