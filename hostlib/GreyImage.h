#pragma once

#include <cstdint>
#include <vector>

// An image as grey levels, 0 black to 255 white, top row first.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> grey;

    std::uint8_t At(int x, int y) const { return grey[static_cast<size_t>(y) * width + x]; }
};

// The grey level of a colour as the eye weighs its components (ITU-R BT.601).
std::uint8_t GreyLevel(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
