#include "WordImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

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

int WordImage::Threshold() const
{
    std::array<double, 256> histogram{};
    for (int y = m_crop.top; y < m_crop.Bottom(); ++y) {
        for (int x = m_crop.left; x < m_crop.Right(); ++x) {
            histogram[m_page.At(x, y)] += 1;
        }
    }
    const double total = static_cast<double>(m_crop.width) * m_crop.height;
    double sumAll = 0;
    for (int level = 0; level < 256; ++level) {
        sumAll += level * histogram[static_cast<size_t>(level)];
    }
    // The level that maximises the variance between the two classes.
    double countBelow = 0;
    double sumBelow = 0;
    double best = -1;
    int threshold = 127;
    for (int level = 0; level < 255; ++level) {
        countBelow += histogram[static_cast<size_t>(level)];
        sumBelow += level * histogram[static_cast<size_t>(level)];
        const double countAbove = total - countBelow;
        if (countBelow == 0 || countAbove == 0) {
            continue;
        }
        const double meanBelow = sumBelow / countBelow;
        const double meanAbove = (sumAll - sumBelow) / countAbove;
        const double between = countBelow * countAbove * (meanBelow - meanAbove) * (meanBelow - meanAbove);
        if (between > best) {
            best = between;
            threshold = level;
        }
    }
    return threshold;
}

bool WordImage::LightInk() const
{
    const int threshold = Threshold();
    size_t dark = 0;
    for (int y = m_crop.top; y < m_crop.Bottom(); ++y) {
        for (int x = m_crop.left; x < m_crop.Right(); ++x) {
            dark += m_page.At(x, y) <= threshold ? 1 : 0;
        }
    }
    return dark * 2 > static_cast<size_t>(m_crop.width) * m_crop.height;
}

WordImage::Placement WordImage::Place() const
{
    Placement placement;
    if (m_crop.Empty()) {
        return placement;
    }
    placement.scale = std::min(static_cast<double>(WordPicture::kWidth) / m_crop.width,
                               static_cast<double>(WordPicture::kHeight) / m_crop.height);
    placement.width = std::min(WordPicture::kWidth, static_cast<int>(std::lround(m_crop.width * placement.scale)));
    placement.height = std::min(WordPicture::kHeight, static_cast<int>(std::lround(m_crop.height * placement.scale)));
    placement.left = (WordPicture::kWidth - placement.width) / 2;
    placement.top = (WordPicture::kHeight - placement.height) / 2;
    return placement;
}

WordPicture WordImage::Picture(const std::vector<RecognisedCharacter>& characters, double uncertainBelow) const
{
    std::vector<unsigned char> layerOfPixel(static_cast<size_t>(WordPicture::kWidth) * WordPicture::kHeight,
                                            WordPicture::kNone);
    if (m_crop.Empty()) {
        return WordPicture::FromLayerMap(layerOfPixel);
    }
    const int threshold = Threshold();
    const bool lightInk = LightInk();
    // Each crop pixel's layer, worked out once; the picture samples it.
    std::vector<unsigned char> cropLayer(static_cast<size_t>(m_crop.width) * m_crop.height, WordPicture::kNone);
    for (int y = 0; y < m_crop.height; ++y) {
        for (int x = 0; x < m_crop.width; ++x) {
            const bool dark = m_page.At(m_crop.left + x, m_crop.top + y) <= threshold;
            if (dark != lightInk) {
                cropLayer[static_cast<size_t>(y) * m_crop.width + x] = WordPicture::kInk;
            }
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
    const Placement placement = Place();
    for (int y = 0; y < placement.height; ++y) {
        const int sourceY = std::min(m_crop.height - 1, static_cast<int>((y + 0.5) / placement.scale));
        for (int x = 0; x < placement.width; ++x) {
            const int sourceX = std::min(m_crop.width - 1, static_cast<int>((x + 0.5) / placement.scale));
            layerOfPixel[static_cast<size_t>(placement.top + y) * WordPicture::kWidth + (placement.left + x)] =
                cropLayer[static_cast<size_t>(sourceY) * m_crop.width + sourceX];
        }
    }
    return WordPicture::FromLayerMap(layerOfPixel);
}
