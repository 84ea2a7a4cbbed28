#include "WordPicture.h"

#include <windows.h>

#include <algorithm>

std::vector<int> WordPicture::EvenCharacterEdges(const GreyImage& image, int characters)
{
    int inkLeft = image.width;
    int inkRight = -1;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (image.At(x, y) < 128) {
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

WordPicture WordPicture::FromImage(const GreyImage& image, const std::vector<int>& characterEdges,
                                   const std::vector<int>& uncertain)
{
    if (image.width <= 0 || image.height <= 0) {
        return WordPicture();
    }
    // Scale by a whole factor of pixels so that strokes stay crisp; centre the result.
    const int scale = std::max({1, (image.width + kWidth - 1) / kWidth, (image.height + kHeight - 1) / kHeight});
    const int width = image.width / scale;
    const int height = image.height / scale;
    const int left = (kWidth - width) / 2;
    const int top = (kHeight - height) / 2;
    auto isInk = [&](int x, int y) { return image.At(x * scale, y * scale) < 128; };

    std::vector<bool> uncertainColumn(static_cast<size_t>(width), false);
    for (int index : uncertain) {
        if (index < 0 || static_cast<size_t>(index) + 1 >= characterEdges.size()) {
            continue;
        }
        for (int x = characterEdges[static_cast<size_t>(index)] / scale;
             x < characterEdges[static_cast<size_t>(index) + 1] / scale && x < width; ++x) {
            if (x >= 0) {
                uncertainColumn[static_cast<size_t>(x)] = true;
            }
        }
    }

    std::vector<unsigned char> layerOfPixel(static_cast<size_t>(kWidth) * kHeight, kNone);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (isInk(x, y)) {
                layerOfPixel[static_cast<size_t>(top + y) * kWidth + static_cast<size_t>(left + x)] =
                    uncertainColumn[static_cast<size_t>(x)] ? kUncertainInk : kInk;
            }
        }
    }
    return FromLayerMap(layerOfPixel);
}

WordPicture WordPicture::FromLayerMap(const std::vector<unsigned char>& layerOfPixel)
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

GreyImage WordPicture::RenderWord(const std::wstring& word, std::vector<int>& characterEdges)
{
    GreyImage image;
    image.width = kWidth;
    image.height = kHeight;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC surface = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(surface, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HFONT font = ::CreateFontW(-120, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0,
                               NONANTIALIASED_QUALITY, 0, L"Times New Roman");
    HGDIOBJ oldBitmap = ::SelectObject(surface, bitmap);
    HGDIOBJ oldFont = ::SelectObject(surface, font);

    RECT all{0, 0, kWidth, kHeight};
    ::FillRect(surface, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(surface, RGB(0, 0, 0));
    ::SetBkMode(surface, TRANSPARENT);
    ::DrawTextW(surface, word.c_str(), static_cast<int>(word.size()), &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::GdiFlush();

    // Where each character starts: the centred text's left edge plus its prefix's width.
    SIZE whole{};
    ::GetTextExtentPoint32W(surface, word.c_str(), static_cast<int>(word.size()), &whole);
    const int textLeft = (kWidth - whole.cx) / 2;
    characterEdges.clear();
    for (size_t i = 0; i <= word.size(); ++i) {
        SIZE prefix{};
        ::GetTextExtentPoint32W(surface, word.c_str(), static_cast<int>(i), &prefix);
        characterEdges.push_back(textLeft + (i == 0 ? 0 : prefix.cx));
    }

    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    image.grey.resize(static_cast<size_t>(kWidth) * kHeight);
    for (size_t i = 0; i < image.grey.size(); ++i) {
        image.grey[i] = pixels[i * 4 + 1]; // black on white: any channel will do
    }

    ::SelectObject(surface, oldFont);
    ::SelectObject(surface, oldBitmap);
    ::DeleteObject(font);
    ::DeleteObject(bitmap);
    ::DeleteDC(surface);
    return image;
}
