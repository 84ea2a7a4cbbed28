#pragma once

#include <random>
#include <string>

#include "FileContent.h"
#include "ImageMalformer.h"
#include "RandomPick.h"
#include "TextMalformer.h"

// Malformed variants of a well-formed input file, made at random: truncations, byte flips,
// huge and negative numbers (in an image, in the header's fields: ImageMalformer), very long
// lines, invalid UTF-8, byte-order marks, other line ends, deep nesting, names swapped
// (TextMalformer).
class Malformer {
public:
    explicit Malformer(std::mt19937& random) : m_pick(random), m_image(m_pick), m_text(m_pick) {}

    // One to three malformations of `bytes`, in place. Returns what was done, for the
    // report of a failing case.
    std::string Apply(std::string& bytes, FileContent content);

private:
    std::string ApplyOne(std::string& bytes, FileContent content);
    std::string Truncate(std::string& bytes);
    std::string FlipBytes(std::string& bytes, FileContent content);

    RandomPick m_pick;
    ImageMalformer m_image;
    TextMalformer m_text;
};
