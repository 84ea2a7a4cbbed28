#include "GreyImage.h"

std::uint8_t GreyLevel(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return static_cast<std::uint8_t>((red * 299 + green * 587 + blue * 114) / 1000);
}
