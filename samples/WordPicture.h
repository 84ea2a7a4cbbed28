#pragma once

#include <string>
#include <vector>

#include "GreyImage.h"
#include "TarsilDlg29.h"

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

    static constexpr int kWidth = TARSIL_PICTURE_WIDTH;
    static constexpr int kHeight = TARSIL_PICTURE_HEIGHT;

    // Fits the image into the picture (scaled down when larger, centred), takes every
    // pixel darker than mid-grey as ink, and puts the ink of the uncertain characters into
    // the second layer. Character i covers image columns characterEdges[i] up to
    // characterEdges[i + 1]; `uncertain` holds character indices.
    static WordPicture FromImage(const GreyImage& image, const std::vector<int>& characterEdges,
                                 const std::vector<int>& uncertain);

    // What each pixel of the picture shows, row by row: kWidth * kHeight entries, each
    // kNone, kInk or kUncertainInk. Turns them into the two layers' runs.
    enum PixelLayer : unsigned char { kNone = 0, kInk = 1, kUncertainInk = 2 };
    static WordPicture FromLayerMap(const std::vector<unsigned char>& layerOfPixel);

    // Character edges for an image of a word of `characters` characters when nothing better
    // is known: the ink's width shared evenly.
    static std::vector<int> EvenCharacterEdges(const GreyImage& image, int characters);

    // The word written in black on white with a large font, as a scanner would see it, and
    // the edges of its characters.
    static GreyImage RenderWord(const std::wstring& word, std::vector<int>& characterEdges);

    const std::vector<Run>& Ink() const { return m_ink; }
    const std::vector<Run>& Uncertain() const { return m_uncertain; }

private:
    std::vector<Run> m_ink;
    std::vector<Run> m_uncertain;
};
