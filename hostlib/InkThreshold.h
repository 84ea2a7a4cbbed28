#pragma once

#include <cstdint>

#include "GreyImage.h"

// Which pixels of a word's image are ink: the image is split into two classes at the grey
// level that best separates them (Otsu's method), and the ink is the smaller class, so
// that light ink on dark paper is ink too.
class InkThreshold {
public:
    explicit InkThreshold(const GreyImage& image);

    bool IsInk(std::uint8_t grey) const { return (grey < m_boundary) != m_lightInk; }

    // The threshold for the image shrunk by `scale` (below 1) by averaging areas, where a
    // stroke one pixel wide covers only `scale` of each output pixel it crosses: the
    // boundary moves towards the paper's mean in proportion, so that such a stroke still
    // counts as ink when it crosses an output pixel's middle. At 1 and above it stays.
    InkThreshold Shrunk(double scale) const;

private:
    double m_boundary = 127.5; // between the classes: pixels below it are the darker class
    double m_paper = 255;      // the paper class's mean grey
    bool m_lightInk = false;   // the darker class is the larger: the ink is the lighter one
};
