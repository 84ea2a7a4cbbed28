#include "Readability.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "HocrDocument.h"
#include "InkThreshold.h"
#include "PageImage.h"
#include "PageWords.h"
#include "TsvDocument.h"
#include "TsvHocrWords.h"
#include "Utf8.h"
#include "WordImage.h"

namespace {

constexpr double kDoubtful = 90; // the station's default --below and --char-below
constexpr int kSmallest = 4;     // x-heights tried, in picture pixels
constexpr int kLargest = 40;
constexpr int kStep = 2;

struct Marks {
    int components = 0; // ink, 8-connected
    int holes = 0;      // paper, 4-connected, not reaching the region's border
    bool operator==(const Marks& other) const { return components == other.components && holes == other.holes; }
};

// Flood fill from (x, y) over pixels equal to `value`; true when the region touches the border.
bool Fill(std::vector<char>& pixels, int width, int height, int x, int y, char value, bool eightWay)
{
    bool border = false;
    std::vector<std::pair<int, int>> stack{{x, y}};
    pixels[static_cast<size_t>(y) * width + x] = 2;
    while (!stack.empty()) {
        const auto [cx, cy] = stack.back();
        stack.pop_back();
        border = border || cx == 0 || cy == 0 || cx == width - 1 || cy == height - 1;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = cx + dx;
                const int ny = cy + dy;
                if ((dx == 0 && dy == 0) || (!eightWay && dx != 0 && dy != 0) || nx < 0 || ny < 0 || nx >= width ||
                    ny >= height || pixels[static_cast<size_t>(ny) * width + nx] != value) {
                    continue;
                }
                pixels[static_cast<size_t>(ny) * width + nx] = 2;
                stack.emplace_back(nx, ny);
            }
        }
    }
    return border;
}

// `ink` holds 1 for ink, 0 for paper.
Marks Count(std::vector<char> ink, int width, int height)
{
    Marks marks;
    std::vector<char> paper = ink;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (ink[static_cast<size_t>(y) * width + x] == 1) {
                Fill(ink, width, height, x, y, 1, true);
                ++marks.components;
            }
            if (paper[static_cast<size_t>(y) * width + x] == 0 && !Fill(paper, width, height, x, y, 0, false)) {
                ++marks.holes;
            }
        }
    }
    return marks;
}

double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// A word of lower-case letters without ascenders or descenders: its box is the x-height.
bool XHeightOnly(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("acemnorsuvwxz") == std::string::npos;
}

// The marks of `region` (page pixels) in a picture drawn at `scale` from `crop`.
Marks PictureMarks(const WordPicture& picture, const WordPicture::Placement& placement, const Box& region)
{
    // The picture pixels whose page pixel (as WordPicture maps them) lies in the region.
    const auto first = [&placement](int offset) {
        return static_cast<int>(std::ceil(offset * placement.scale - 0.5));
    };
    const int left = placement.left + first(region.left - placement.sourceLeft);
    const int right = placement.left + first(region.Right() - placement.sourceLeft);
    const int top = placement.top + first(region.top - placement.sourceTop);
    const int bottom = placement.top + first(region.Bottom() - placement.sourceTop);
    const int width = right - left;
    const int height = bottom - top;
    std::vector<char> ink(static_cast<size_t>(width) * height, 0);
    for (const auto* layer : {&picture.Ink(), &picture.Uncertain()}) {
        for (const WordPicture::Run& run : *layer) {
            for (int x = run.xFrom; x <= run.xTo; ++x) {
                if (x >= left && x < right && run.y >= top && run.y < bottom) {
                    ink[static_cast<size_t>(run.y - top) * width + (x - left)] = 1;
                }
            }
        }
    }
    return Count(ink, width, height);
}

void PrintPage(const std::wstring& image, const std::wstring& tsvPath, const std::wstring& hocrPath)
{
    const PageImage page = PageImage::Read(image);
    const GreyImage& grey = page.Grey();
    const TsvDocument tsv = TsvDocument::Read(tsvPath);
    const HocrDocument hocr = HocrDocument::Read(hocrPath);
    const PageWords words = TsvHocrWords::From(&tsv, &hocr, hocrPath);

    std::map<int, std::vector<double>> heights;
    std::map<int, std::vector<double>> xHeights;
    std::vector<double> allXHeights;
    for (const PageWords::Word& word : words.Words()) {
        heights[word.line].push_back(word.box.height);
        if (XHeightOnly(word.text)) {
            xHeights[word.line].push_back(word.box.height);
            allXHeights.push_back(word.box.height);
        }
    }
    std::vector<double> shares;
    for (const auto& [line, lineXHeights] : xHeights) {
        shares.push_back(Median(lineXHeights) / Median(heights[line]));
    }
    const double pageXHeight = Median(allXHeights);
    std::printf("%ls, %.0f dpi: x-height %.0f px (median of %zu words without ascenders or descenders), "
                "%.2f of its line's median word height (median of %zu lines)\n",
                image.c_str(), page.Dpi(), pageXHeight, allXHeights.size(), Median(shares), shares.size());

    // For each x-height tried: the characters whose marks the picture keeps, of those drawn.
    std::vector<int> kept(kLargest + 1, 0);
    std::vector<int> drawn(kLargest + 1, 0);
    for (const PageWords::Word& word : words.Words()) {
        if (word.confidence >= kDoubtful) {
            continue;
        }
        const WordImage cut(grey, word.box);
        const Box crop = cut.Crop();
        const InkThreshold ink(cut.CropPixels());
        // The line's own where two words give it; one alone may be a box gone astray.
        const double xHeight = xHeights[word.line].size() >= 2 ? Median(xHeights[word.line]) : pageXHeight;
        // Every character of a doubtful word: the engine's characters are sure of themselves
        // even where the word is not, and the operator reads them all.
        std::vector<Box> regions;
        std::vector<Marks> original;
        for (const RecognisedCharacter& character : word.characters) {
            const Box region = Box{character.box.left - 1, character.box.top - 1, character.box.width + 2,
                                   character.box.height + 2}
                                   .ClippedTo(crop);
            std::vector<char> pageInk;
            for (int y = region.top; y < region.Bottom(); ++y) {
                for (int x = region.left; x < region.Right(); ++x) {
                    pageInk.push_back(ink.IsInk(grey.At(x, y)) ? 1 : 0);
                }
            }
            regions.push_back(region);
            original.push_back(Count(pageInk, region.width, region.height));
        }
        for (int target = kSmallest; target <= kLargest; target += kStep) {
            WordPicture::Placement placement;
            placement.scale = target / xHeight;
            placement.width = static_cast<int>(std::lround(crop.width * placement.scale));
            placement.height = static_cast<int>(std::lround(crop.height * placement.scale));
            if (placement.width > WordPicture::kWidth || placement.height > WordPicture::kHeight) {
                continue;
            }
            placement.left = (WordPicture::kWidth - placement.width) / 2;
            placement.top = (WordPicture::kHeight - placement.height) / 2;
            placement.sourceLeft = crop.left;
            placement.sourceTop = crop.top;
            const WordPicture picture = cut.Picture(placement, word.characters, kDoubtful);
            for (size_t i = 0; i < regions.size(); ++i) {
                ++drawn[static_cast<size_t>(target)];
                kept[static_cast<size_t>(target)] += PictureMarks(picture, placement, regions[i]) == original[i] ? 1 : 0;
            }
        }
    }
    if (drawn[kSmallest] == 0) {
        return; // no doubtful word on the page
    }
    std::printf("  x-height in the picture:");
    for (int target = kSmallest; target <= kLargest; target += kStep) {
        std::printf(" %4d", target);
    }
    std::printf("\n  marks kept (%%):         ");
    for (int target = kSmallest; target <= kLargest; target += kStep) {
        const int count = drawn[static_cast<size_t>(target)];
        std::printf(" %4.0f", count > 0 ? 100.0 * kept[static_cast<size_t>(target)] / count : 0.0);
    }
    std::printf("\n  characters drawn:        ");
    for (int target = kSmallest; target <= kLargest; target += kStep) {
        std::printf(" %4d", drawn[static_cast<size_t>(target)]);
    }
    std::printf("\n");
}

} // namespace

void Readability::Print(const std::wstring& stationData)
{
    PrintPage(stationData + L"\\scans\\8087_054.3B.tif", stationData + L"\\scans\\8087_054.3B.tsv",
              stationData + L"\\scans\\8087_054.3B.hocr");
    PrintPage(stationData + L"\\scans\\phototest.tif", stationData + L"\\scans\\phototest.tsv",
              stationData + L"\\scans\\phototest.hocr");
    PrintPage(stationData + L"\\page.png", stationData + L"\\page.tsv", stationData + L"\\page.hocr");
}
