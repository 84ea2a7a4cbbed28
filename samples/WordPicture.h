#pragma once

#include <string>
#include <vector>

#include "GreyImage.h"

// A word's picture as the two layers the dialog draws: the ink, and the ink of the
// characters the recogniser is unsure of. Each layer is a list of horizontal runs in the
// picture's coordinates.
class WordPicture {
public:
    struct Run {
        short xFrom;
        short xTo;
        short y;
    };

    static constexpr int kWidth = 528;
    static constexpr int kHeight = 201;

    // Fits the image into the picture (scaled down when larger, centred), takes every
    // pixel darker than mid-grey as ink, and puts the ink of the uncertain characters
    // (indices into a word of `characters` characters, spread evenly over the ink's
    // width) into the second layer.
    static WordPicture FromImage(const GreyImage& image, int characters, const std::vector<int>& uncertain);

    // The word written in black on white with a large font, as a scanner would see it.
    static GreyImage RenderWord(const std::wstring& word);

    const std::vector<Run>& Ink() const { return m_ink; }
    const std::vector<Run>& Uncertain() const { return m_uncertain; }

private:
    std::vector<Run> m_ink;
    std::vector<Run> m_uncertain;
};
