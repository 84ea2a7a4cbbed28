#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes a 24-bit RGB image as a PNG file (uncompressed deflate blocks: no library needed).
// `rgb` holds width * height pixels, top row first, three bytes per pixel.
// Returns false when the file cannot be written.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& rgb);
