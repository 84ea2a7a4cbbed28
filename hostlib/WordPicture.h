#pragma once

#include <string>
#include <vector>

#include "GreyImage.h"
#include "TarsilDlg29.h"

// A word's picture as the two layers the dialog draws: the ink, and the ink of the
// characters the recogniser is unsure of. Each layer is a list of horizontal runs in the
// picture's coordinates, made once and drawn on every paint.
class WordPicture {
public:
    struct Run {
        short xFrom;
        short xTo;
        short y;
    };

    static constexpr int kWidth = TARSIL_PICTURE_WIDTH;
    static constexpr int kHeight = TARSIL_PICTURE_HEIGHT;

    // What an image pixel shows.
    enum PixelLayer : unsigned char { kNone = 0, kInk = 1, kUncertainInk = 2 };

    // Where an image of this size lands in the picture: scaled to fit with its aspect kept,
    // centred. Picture pixel (left + x, top + y) shows image pixel ((x + 0.5) / scale,
    // (y + 0.5) / scale).
    struct Placement {
        double scale = 1;
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };
    static Placement Fit(int width, int height);

    // An image's pixels as layers, row by row (width * height entries of PixelLayer), placed
    // into the picture as Fit says.
    static WordPicture FromLayers(const std::vector<unsigned char>& layerOfPixel, int width, int height);

    // A word's image, its ink found by InkThreshold, placed into the picture; the ink of the
    // uncertain characters goes into the second layer. Character i covers image columns
    // characterEdges[i] up to characterEdges[i + 1]; `uncertain` holds character indices.
    static WordPicture FromImage(const GreyImage& image, const std::vector<int>& characterEdges,
                                 const std::vector<int>& uncertain);

    // Character edges for an image of a word of `characters` characters when nothing better
    // is known: the ink's width shared evenly.
    static std::vector<int> EvenCharacterEdges(const GreyImage& image, int characters);

    // The word written in black on white with a large font, as a scanner would see it, and
    // the edges of its characters.
    static GreyImage RenderWord(const std::wstring& word, std::vector<int>& characterEdges);

    const std::vector<Run>& Ink() const { return m_ink; }
    const std::vector<Run>& Uncertain() const { return m_uncertain; }

    // Hands each run of a layer to the dialog's `run` callback.
    void DrawInk(RunFn run) const noexcept { Draw(m_ink, run); }
    void DrawUncertainInk(RunFn run) const noexcept { Draw(m_uncertain, run); }

private:
    // A picture-sized layer map (kWidth * kHeight entries) as runs.
    static WordPicture FromPictureLayers(const std::vector<unsigned char>& layerOfPixel);
    static void Draw(const std::vector<Run>& runs, RunFn run) noexcept;

    std::vector<Run> m_ink;
    std::vector<Run> m_uncertain;
};
