#include "WordImage.h"

#include <algorithm>
#include <cstddef>

#include "InkThreshold.h"

WordImage::WordImage(const GreyImage& page, const Box& wordBox)
    : m_page(page)
{
    if (wordBox.Empty()) {
        return;
    }
    const Box pageBox{0, 0, page.width, page.height};
    // Enough paper around the word for the threshold and for the eye; clipped to the page.
    const int margin = std::max(2, std::min(wordBox.width, wordBox.height) / 5);
    const Box widened{wordBox.left - margin, wordBox.top - margin, wordBox.width + 2 * margin,
                      wordBox.height + 2 * margin};
    if (!wordBox.ClippedTo(pageBox).Empty()) {
        m_crop = widened.ClippedTo(pageBox);
    }
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

WordPicture WordImage::Picture(const std::vector<RecognisedCharacter>& characters, double uncertainBelow) const
{
    const GreyImage crop = CropPixels();
    const InkThreshold ink(crop);
    std::vector<unsigned char> cropLayer(crop.grey.size(), WordPicture::kNone);
    for (size_t i = 0; i < crop.grey.size(); ++i) {
        if (ink.IsInk(crop.grey[i])) {
            cropLayer[i] = WordPicture::kInk;
        }
    }
    for (const RecognisedCharacter& character : characters) {
        if (character.confidence >= uncertainBelow) {
            continue;
        }
        const Box inside = character.box.ClippedTo(m_crop);
        for (int y = inside.top; y < inside.Bottom(); ++y) {
            for (int x = inside.left; x < inside.Right(); ++x) {
                unsigned char& layer = cropLayer[static_cast<size_t>(y - m_crop.top) * m_crop.width + (x - m_crop.left)];
                if (layer != WordPicture::kNone) {
                    layer = WordPicture::kUncertainInk;
                }
            }
        }
    }
    return WordPicture::FromLayers(cropLayer, crop.width, crop.height);
}
