#pragma once

#include <vector>

#include "Box.h"
#include "GreyImage.h"
#include "RecognisedCharacter.h"
#include "WordPicture.h"

// One word of the page as the operator sees it and as the training data keeps it: the
// word's box with a small margin, clipped to the page.
class WordImage {
public:
    WordImage(const GreyImage& page, const Box& wordBox);

    // The crop's place on the page (empty when the word's box lies outside the page).
    const Box& Crop() const { return m_crop; }
    // The crop's pixels at the page's resolution.
    GreyImage CropPixels() const;

    // The grey level that best splits the crop into two classes (Otsu's method): pixels
    // at or below it are one class, those above the other.
    int Threshold() const;
    // True when the ink is lighter than the paper (the darker class is the larger one).
    bool LightInk() const;

    // Where the crop lands in the dialog's picture: scaled to fit with its aspect kept,
    // centred. Picture pixel (x, y) shows crop pixel (Source(x), Source(y)).
    struct Placement {
        double scale = 1;
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };
    Placement Place() const;

    // The binarised crop as the dialog's two layers: the ink, and the ink inside the boxes
    // of the characters whose confidence is below `uncertainBelow`.
    WordPicture Picture(const std::vector<RecognisedCharacter>& characters, double uncertainBelow) const;

private:
    const GreyImage& m_page;
    Box m_crop;
};
