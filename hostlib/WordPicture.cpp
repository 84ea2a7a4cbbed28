#include "WordPicture.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "DibSurface.h"
#include "GdiObject.h"
#include "GdiSelection.h"
#include "InkThreshold.h"

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

WordPicture WordPicture::FromLayers(const std::vector<unsigned char>& layerOfPixel, int width, int height)
{
    std::vector<unsigned char> picture(static_cast<size_t>(kWidth) * kHeight, kNone);
    const Placement placement = Fit(width, height);
    for (int y = 0; y < placement.height; ++y) {
        const int sourceY = std::min(height - 1, static_cast<int>((y + 0.5) / placement.scale));
        for (int x = 0; x < placement.width; ++x) {
            const int sourceX = std::min(width - 1, static_cast<int>((x + 0.5) / placement.scale));
            picture[static_cast<size_t>(placement.top + y) * kWidth + (placement.left + x)] =
                layerOfPixel[static_cast<size_t>(sourceY) * width + sourceX];
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
    const InkThreshold ink(image);
    std::vector<unsigned char> layers(image.grey.size(), kNone);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (ink.IsInk(image.At(x, y))) {
                layers[static_cast<size_t>(y) * image.width + x] =
                    uncertainColumn[static_cast<size_t>(x)] ? kUncertainInk : kInk;
            }
        }
    }
    return FromLayers(layers, image.width, image.height);
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
