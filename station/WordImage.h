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

    // The crop as the dialog's two layers, binarised at its own threshold (InkThreshold),
    // fitted into the picture: the ink, and the ink inside the boxes of the characters whose
    // confidence is below `uncertainBelow`.
    WordPicture Picture(const std::vector<RecognisedCharacter>& characters, double uncertainBelow) const;

private:
    const GreyImage& m_page;
    Box m_crop;
};
