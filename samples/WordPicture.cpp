#include "WordPicture.h"

#include <windows.h>

#include <algorithm>

WordPicture WordPicture::FromImage(const GreyImage& image, int characters, const std::vector<int>& uncertain)
{
    WordPicture picture;
    if (image.width <= 0 || image.height <= 0) {
        return picture;
    }
    // Scale by a whole factor of pixels so that strokes stay crisp; centre the result.
    const int scale = std::max({1, (image.width + kWidth - 1) / kWidth, (image.height + kHeight - 1) / kHeight});
    const int width = image.width / scale;
    const int height = image.height / scale;
    const int left = (kWidth - width) / 2;
    const int top = (kHeight - height) / 2;
    auto isInk = [&](int x, int y) { return image.At(x * scale, y * scale) < 128; };

    // The ink's horizontal extent, over which the characters are spread.
    int inkLeft = width;
    int inkRight = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (isInk(x, y)) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
        }
    }
    std::vector<bool> uncertainColumn(static_cast<size_t>(std::max(width, 1)), false);
    if (characters > 0 && inkRight >= inkLeft) {
        const double perCharacter = static_cast<double>(inkRight - inkLeft + 1) / characters;
        for (int index : uncertain) {
            if (index < 0 || index >= characters) {
                continue;
            }
            const int from = inkLeft + static_cast<int>(index * perCharacter);
            const int to = inkLeft + static_cast<int>((index + 1) * perCharacter);
            for (int x = from; x < to && x < width; ++x) {
                uncertainColumn[static_cast<size_t>(x)] = true;
            }
        }
    }

    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            if (!isInk(x, y)) {
                ++x;
                continue;
            }
            // A run ends where the ink ends or where it passes between the two layers.
            const bool inUncertain = uncertainColumn[static_cast<size_t>(x)];
            int end = x;
            while (end + 1 < width && isInk(end + 1, y) && uncertainColumn[static_cast<size_t>(end + 1)] == inUncertain) {
                ++end;
            }
            const Run run{static_cast<short>(left + x), static_cast<short>(left + end), static_cast<short>(top + y)};
            (inUncertain ? picture.m_uncertain : picture.m_ink).push_back(run);
            x = end + 1;
        }
    }
    return picture;
}

GreyImage WordPicture::RenderWord(const std::wstring& word)
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
