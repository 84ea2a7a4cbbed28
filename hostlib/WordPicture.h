#pragma once

#include <functional>
#include <string>
#include <vector>

#include "GreyImage.h"
#include "InkThreshold.h"
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

    // What an ink pixel shows: the word's ink, the ink of its uncertain characters, or the
    // ink around the word (its neighbours in the line), which is drawn as a regular
    // half-tone of the first layer, every other pixel like a chessboard, so that it reads
    // as grey beside the solid word.
    enum PixelLayer : unsigned char { kNone = 0, kInk = 1, kUncertainInk = 2, kContextInk = 3 };

    // Where (part of) an image lands in the picture: picture pixel (left + x, top + y), for
    // x below width and y below height, shows image point (sourceLeft + (x + 0.5) / scale,
    // sourceTop + (y + 0.5) / scale).
    struct Placement {
        double scale = 1;
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        int sourceLeft = 0;
        int sourceTop = 0;
    };
    // A whole image of this size scaled to fit with its aspect kept, centred.
    static Placement Fit(int width, int height);

    // The layer of an ink pixel, given the image pixel it shows.
    using LayerOfInk = std::function<PixelLayer(int imageX, int imageY)>;

    // The part of `image` that `placement` shows, scaled in grey (GreyResampler) and only
    // then binarised at `ink`, the threshold of the word's own pixels (shrunk with the
    // scale); each ink pixel goes into the layer `layerOf` gives it.
    static WordPicture FromGrey(const GreyImage& image, const InkThreshold& ink, const Placement& placement,
                                const LayerOfInk& layerOf);

    // A word's image, fitted into the picture as FromGrey draws it; the ink of the uncertain
    // characters goes into the second layer. Character i covers image columns
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
