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

    // A box with the paper around it that the threshold and the eye need.
    static Box WithMargin(const Box& box);

    // The part of the page that `placement` shows (WordInLine), as the dialog's two layers,
    // scaled in grey and binarised at the crop's own threshold (InkThreshold): the word's
    // ink solid, the ink inside the boxes of its characters whose confidence is below
    // `uncertainBelow` in the second layer, and the ink around the word (its neighbours) as
    // a half-tone of the first.
    WordPicture Picture(const WordPicture::Placement& placement, const std::vector<RecognisedCharacter>& characters,
                        double uncertainBelow) const;

private:
    const GreyImage& m_page;
    Box m_word;
    Box m_crop;
};
