#pragma once

#include <cstdint>

#include "GreyImage.h"

// Which pixels of a word's image are ink: the image is split into two classes at the grey
// level that best separates them (Otsu's method), and the ink is the smaller class, so
// that light ink on dark paper is ink too.
class InkThreshold {
public:
    explicit InkThreshold(const GreyImage& image);

    bool IsInk(std::uint8_t grey) const { return (grey <= m_level) != m_lightInk; }

private:
    int m_level = 127;       // pixels at or below it are the darker class
    bool m_lightInk = false; // the darker class is the larger: the ink is the lighter one
};
