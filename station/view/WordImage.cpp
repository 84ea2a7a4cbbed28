#include "WordImage.h"

#include <algorithm>
#include <cstddef>

#include "InkThreshold.h"

WordImage::WordImage(const GreyImage& page, const Box& wordBox)
    : m_page(page)
    , m_word(wordBox)
{
    if (wordBox.Empty()) {
        return;
    }
    const Box pageBox{0, 0, page.width, page.height};
    if (!wordBox.ClippedTo(pageBox).Empty()) {
        m_crop = WithMargin(wordBox).ClippedTo(pageBox);
    }
}

Box WordImage::WithMargin(const Box& box)
{
    const int margin = std::max(2, std::min(box.width, box.height) / 5);
    return {box.left - margin, box.top - margin, box.width + 2 * margin, box.height + 2 * margin};
}

GreyImage WordImage::CropPixels() const
{
    GreyImage crop;
    crop.width = m_crop.width;
    crop.height = m_crop.height;
    crop.grey.reserve(static_cast<size_t>(crop.width) * crop.height);
    for (int y = m_crop.top; y < m_crop.Bottom(); ++y) {
        const auto row = m_page.grey.begin() + static_cast<std::ptrdiff_t>(y) * m_page.width;
        crop.grey.insert(crop.grey.end(), row + m_crop.left, row + m_crop.Right());
    }
    return crop;
}

WordPicture WordImage::Picture(const WordPicture::Placement& placement,
                               const std::vector<RecognisedCharacter>& characters, double uncertainBelow) const
{
    std::vector<Box> uncertain;
    for (const RecognisedCharacter& character : characters) {
        if (character.confidence < uncertainBelow) {
            uncertain.push_back(character.box.ClippedTo(m_crop));
        }
    }
    // The word's own ink: its box, and the page pixel around it where the smoothed edge of
    // a stroke on the box's border falls.
    const Box own{m_word.left - 1, m_word.top - 1, m_word.width + 2, m_word.height + 2};
    return WordPicture::FromGrey(m_page, InkThreshold(CropPixels()), placement, [&](int x, int y) {
        for (const Box& box : uncertain) {
            if (box.Contains(x, y)) {
                return WordPicture::kUncertainInk;
            }
        }
        return own.Contains(x, y) ? WordPicture::kInk : WordPicture::kContextInk;
    });
}
