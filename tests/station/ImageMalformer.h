#pragma once

#include <string>

#include "RandomPick.h"

// Malformed image files: numbers of the header (size, samples, strips, offsets) made
// extreme, in the layout of each format the station reads (PNG, BMP, GIF, JPEG, TIFF).
class ImageMalformer {
public:
    explicit ImageMalformer(RandomPick& pick) : m_pick(pick) {}

    // One or two of the header's fields, or the size as a pair; four bytes near the start
    // of a header not recognised. `bytes` holds four bytes at least.
    std::string ExtremeHeaderField(std::string& bytes);

private:
    RandomPick& m_pick;
};
