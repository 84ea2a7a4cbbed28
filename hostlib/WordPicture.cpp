#include "WordPicture.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "DibSurface.h"
#include "GdiObject.h"
#include "GdiSelection.h"
#include "GreyResampler.h"

WordPicture::Placement WordPicture::Fit(int width, int height)
{
    Placement placement;
    if (width <= 0 || height <= 0) {
        return placement;
    }
    placement.scale = std::min(static_cast<double>(kWidth) / width, static_cast<double>(kHeight) / height);
    placement.width = std::min(kWidth, static_cast<int>(std::lround(width * placement.scale)));
    placement.height = std::min(kHeight, static_cast<int>(std::lround(height * placement.scale)));
    placement.left = (kWidth - placement.width) / 2;
    placement.top = (kHeight - placement.height) / 2;
    return placement;
}

WordPicture WordPicture::FromGrey(const GreyImage& image, const InkThreshold& ink, const Placement& placement,
                                  const LayerOfInk& layerOf)
{
    std::vector<unsigned char> picture(static_cast<size_t>(kWidth) * kHeight, kNone);
    const GreyImage scaled = GreyResampler::Scale(image, placement.sourceLeft, placement.sourceTop, placement.scale,
                                                  placement.width, placement.height);
    if (scaled.grey.empty()) {
        return FromPictureLayers(picture);
    }
    const InkThreshold scaledInk = ink.Shrunk(placement.scale);
    // The image pixel under each picture column and row.
    const auto sourceOf = [&placement](int offset, int origin, int size) {
        const int index = origin + static_cast<int>(std::floor((offset + 0.5) / placement.scale));
        return std::clamp(index, 0, size - 1);
    };
    std::vector<int> sourceX(static_cast<size_t>(placement.width));
    for (int x = 0; x < placement.width; ++x) {
        sourceX[static_cast<size_t>(x)] = sourceOf(x, placement.sourceLeft, image.width);
    }
    for (int y = 0; y < placement.height; ++y) {
        const int sourceY = sourceOf(y, placement.sourceTop, image.height);
        const int pictureY = placement.top + y;
        for (int x = 0; x < placement.width; ++x) {
            if (!scaledInk.IsInk(scaled.At(x, y))) {
                continue;
            }
            const int pictureX = placement.left + x;
            PixelLayer layer = layerOf(sourceX[static_cast<size_t>(x)], sourceY);
            if (layer == kContextInk) {
                layer = (pictureX + pictureY) % 2 == 0 ? kInk : kNone;
            }
            picture[static_cast<size_t>(pictureY) * kWidth + pictureX] = layer;
        }
    }
    return FromPictureLayers(picture);
}

WordPicture WordPicture::FromImage(const GreyImage& image, const std::vector<int>& characterEdges,
                                   const std::vector<int>& uncertain)
{
    std::vector<bool> uncertainColumn(static_cast<size_t>(std::max(0, image.width)), false);
    for (const int index : uncertain) {
        if (index < 0 || static_cast<size_t>(index) + 1 >= characterEdges.size()) {
            continue;
        }
        const int from = std::max(0, characterEdges[static_cast<size_t>(index)]);
        const int to = std::min(image.width, characterEdges[static_cast<size_t>(index) + 1]);
        for (int x = from; x < to; ++x) {
            uncertainColumn[static_cast<size_t>(x)] = true;
        }
    }
    return FromGrey(image, InkThreshold(image), Fit(image.width, image.height), [&uncertainColumn](int x, int) {
        return uncertainColumn[static_cast<size_t>(x)] ? kUncertainInk : kInk;
    });
}

std::vector<int> WordPicture::EvenCharacterEdges(const GreyImage& image, int characters)
{
    const InkThreshold ink(image);
    int inkLeft = image.width;
    int inkRight = -1;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (ink.IsInk(image.At(x, y))) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
        }
    }
    std::vector<int> edges;
    if (characters <= 0 || inkRight < inkLeft) {
        return edges;
    }
    const double perCharacter = static_cast<double>(inkRight - inkLeft + 1) / characters;
    for (int i = 0; i <= characters; ++i) {
        edges.push_back(inkLeft + static_cast<int>(i * perCharacter));
    }
    return edges;
}

WordPicture WordPicture::FromPictureLayers(const std::vector<unsigned char>& layerOfPixel)
{
    WordPicture picture;
    for (int y = 0; y < kHeight; ++y) {
        const unsigned char* row = layerOfPixel.data() + static_cast<size_t>(y) * kWidth;
        int x = 0;
        while (x < kWidth) {
            const unsigned char layer = row[x];
            if (layer == kNone) {
                ++x;
                continue;
            }
            // A run ends where the ink ends or where it passes between the two layers.
            int end = x;
            while (end + 1 < kWidth && row[end + 1] == layer) {
                ++end;
            }
            const Run run{static_cast<short>(x), static_cast<short>(end), static_cast<short>(y)};
            (layer == kUncertainInk ? picture.m_uncertain : picture.m_ink).push_back(run);
            x = end + 1;
        }
    }
    return picture;
}

void WordPicture::Draw(const std::vector<Run>& runs, RunFn run) noexcept
{
    for (const Run& r : runs) {
        run(r.xFrom, r.xTo, r.y);
    }
}

GreyImage WordPicture::RenderWord(const std::wstring& word, std::vector<int>& characterEdges)
{
    GreyImage image;
    characterEdges.clear();
    const DibSurface surface(kWidth, kHeight);
    if (!surface.IsValid()) {
        return image;
    }
    const GdiObject font(::CreateFontW(-120, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0,
                                       NONANTIALIASED_QUALITY, 0, L"Times New Roman"));
    const GdiSelection fontSelection(surface.Dc(), font.Get());

    RECT all{0, 0, kWidth, kHeight};
    ::FillRect(surface.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(surface.Dc(), RGB(0, 0, 0));
    ::SetBkMode(surface.Dc(), TRANSPARENT);
    ::DrawTextW(surface.Dc(), word.c_str(), static_cast<int>(word.size()), &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    // Where each character starts: the centred text's left edge plus its prefix's width.
    SIZE whole{};
    ::GetTextExtentPoint32W(surface.Dc(), word.c_str(), static_cast<int>(word.size()), &whole);
    const int textLeft = (kWidth - whole.cx) / 2;
    for (size_t i = 0; i <= word.size(); ++i) {
        SIZE prefix{};
        ::GetTextExtentPoint32W(surface.Dc(), word.c_str(), static_cast<int>(i), &prefix);
        characterEdges.push_back(textLeft + (i == 0 ? 0 : prefix.cx));
    }

    image.width = kWidth;
    image.height = kHeight;
    image.grey.resize(static_cast<size_t>(kWidth) * kHeight);
    const std::uint8_t* pixels = surface.Pixels();
    for (size_t i = 0; i < image.grey.size(); ++i) {
        image.grey[i] = pixels[i * 4 + 1]; // black on white: any channel will do
    }
    return image;
}
