// The word in the dialog's picture, read from the screen: the word's own ink solid where the
// page has it, the uncertain character in red, the neighbours in its line as a half-tone on
// the side it has them, on a dark-on-light page and on its negative; and a thin stroke of a
// large word that survives shrinking.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "PageImage.h"
#include "PngWriter.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "VerificationSession.h"
#include "WordImage.h"
#include "WordInLine.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(220, 0, 0);

// Rows of the committed TSV: "“based" (row 14) opens its line, whose other word is
// "segmentation"; its "“" (x_bboxes 74 21 81 24, x_conf 89) is its only character below 90.
// "extreme" (row 46) stands in the middle of its line.
const Box kBased{74, 12, 68, 18};
const Box kQuote{74, 21, 7, 3};
const std::vector<Box> kBasedLine{kBased, {151, 14, 140, 24}};
const Box kExtreme{240, 107, 55, 11};
const std::vector<Box> kExtremeLine{{137, 105, 16, 12}, {160, 106, 14, 23}, {179, 105, 23, 12}, {208, 106, 25, 12},
                                    kExtreme,           {302, 106, 32, 13}, {340, 103, 12, 11}, {358, 102, 18, 11}};

struct Tally {
    int checked = 0;
    int wrong = 0;
    int red = 0;
    int contextLeft = 0;   // neighbours' ink pixels shown left of the word
    int contextRight = 0;  // and right of it
    int inkLeftOfWord = 0; // picture pixels with any ink left of the word's margin
};

// The page's grey at a point between pixel centres, interpolated linearly.
double Interpolated(const GreyImage& page, double x, double y)
{
    const auto at = [&page](double px, double py) {
        return static_cast<double>(page.At(std::clamp(static_cast<int>(px), 0, page.width - 1),
                                           std::clamp(static_cast<int>(py), 0, page.height - 1)));
    };
    const double left = std::floor(x);
    const double top = std::floor(y);
    const double fx = x - left;
    const double fy = y - top;
    return (1 - fy) * ((1 - fx) * at(left, top) + fx * at(left + 1, top)) +
           fy * ((1 - fx) * at(left, top + 1) + fx * at(left + 1, top + 1));
}

// Every picture pixel whose point of the page is clearly ink or clearly paper there, against
// the dialog's screen. The word's ink is solid (red inside the quote's box when `quote` is
// given, else black or red); the ink beyond the word's box is a half-tone: black on the
// picture's even pixels, paper on the odd ones.
Tally CompareWithPage(const DialogDriver& driver, const GreyImage& page, const Box& word,
                      const std::vector<Box>& line, const Box* quote)
{
    const WordInLine view(Box{0, 0, page.width, page.height}, word, line);
    const WordPicture::Placement& placement = view.Placement();
    const Box shown = view.Shown();
    const Box own{word.left - 1, word.top - 1, word.width + 2, word.height + 2};
    Tally tally;
    for (int y = placement.top; y < placement.top + placement.height; ++y) {
        for (int x = placement.left; x < placement.left + placement.width; ++x) {
            const double pageX = shown.left + (x - placement.left + 0.5) / placement.scale;
            const double pageY = shown.top + (y - placement.top + 0.5) / placement.scale;
            const double grey = Interpolated(page, pageX - 0.5, pageY - 0.5);
            if (grey >= 80 && grey <= 170) {
                continue; // near the threshold
            }
            const bool ink = grey < 80;
            const int pixelX = static_cast<int>(pageX);
            const int pixelY = static_cast<int>(pageY);
            const COLORREF colour = driver.PicturePixel(x, y);
            bool right = colour == kWhite;
            if (ink && own.Contains(pixelX, pixelY)) {
                right = quote ? colour == (quote->Contains(pixelX, pixelY) ? kRed : kBlack)
                              : colour == kBlack || colour == kRed;
            } else if (ink) {
                right = colour == ((x + y) % 2 == 0 ? kBlack : kWhite);
                tally.contextLeft += pixelX < own.left ? 1 : 0;
                tally.contextRight += pixelX >= own.Right() ? 1 : 0;
            }
            ++tally.checked;
            tally.red += colour == kRed ? 1 : 0;
            if (!right && ++tally.wrong <= 5) {
                ADD_FAILURE() << "page (" << pageX << "," << pageY << ") at picture (" << x << "," << y << ") shows "
                              << std::hex << colour;
            }
        }
    }
    // Nothing at all left of the word's margin.
    const int marginLeft = placement.left + static_cast<int>((WordImage::WithMargin(word).left - shown.left) * placement.scale);
    for (int y = 0; y < TARSIL_PICTURE_HEIGHT; ++y) {
        for (int x = 0; x < marginLeft; ++x) {
            tally.inkLeftOfWord += driver.PicturePixel(x, y) != kWhite ? 1 : 0;
        }
    }
    return tally;
}

} // namespace

// The committed TSV's words below 90: "“based" is the first of seven, "extreme" the last.
TEST(StationPicture, TheWordIsSolidItsNeighboursHalfToneOnTheSidesItHasThemOnTheScanAndItsNegative)
{
    ScratchFolder folder;
    const GreyImage page = PageImage::Read(StationData(L"page.png")).Grey();
    // The same page as a negative: light ink on dark paper.
    GreyImage negative = page;
    for (std::uint8_t& grey : negative.grey) {
        grey = static_cast<std::uint8_t>(255 - grey);
    }
    std::vector<std::uint8_t> png;
    std::string error;
    ASSERT_TRUE(EncodePng(negative.width, negative.height, 1, negative.grey, png, error)) << error;
    ASSERT_TRUE(WriteBytes(folder / L"negative.png", std::string(png.begin(), png.end())));

    for (const bool isNegative : {false, true}) {
        SCOPED_TRACE(isNegative ? "negative" : "scan");
        StationOptions options = CommittedScan(folder / (isNegative ? L"out-negative" : L"out"));
        if (isNegative) {
            options.image = folder / L"negative.png";
        }
        Tally based;
        Tally extreme;
        DialogDriver driver(30000);
        AnswerWord(driver, 1, 7, [&](DialogDriver& d) {
            d.Do([&](DialogDriver& dialog) { based = CompareWithPage(dialog, page, kBased, kBasedLine, &kQuote); })
                .Click(IDOK);
        });
        for (int ordinal = 2; ordinal < 7; ++ordinal) {
            AnswerWord(driver, ordinal, 7, [](DialogDriver& d) { d.Click(IDOK); });
        }
        AnswerWord(driver, 7, 7, [&](DialogDriver& d) {
            d.Do([&](DialogDriver& dialog) { extreme = CompareWithPage(dialog, page, kExtreme, kExtremeLine, nullptr); })
                .Click(IDOK);
        });
        VerificationSession session(options, &RastStartDialog, [](const std::string&) {});
        session.Prepare();
        session.Run();
        EXPECT_TRUE(driver.Finished());
        EXPECT_GT(based.checked, 1000);
        EXPECT_GE(based.red, 6); // the quote's clearly dark pixels
        EXPECT_EQ(based.wrong, 0);
        EXPECT_EQ(based.contextLeft + based.inkLeftOfWord, 0); // the line starts with it
        EXPECT_GT(based.contextRight, 300);                    // "segmentation"
        EXPECT_EQ(extreme.wrong, 0);
        EXPECT_GT(extreme.contextLeft, 100);  // "two", "the"
        EXPECT_GT(extreme.contextRight, 100); // "parts", "of"
    }
}

// A large word crossed by a diagonal line one pixel wide, shrunk about six times to the
// readable x-height: the line stays unbroken, where picking one page pixel in six would
// lose most of it.
TEST(StationPicture, ADiagonalOnePixelLineSurvivesShrinking)
{
    ScratchFolder folder;
    constexpr int kWidth = 1200;
    constexpr int kHeight = 400;
    const Box word{100, 100, 1000, 200};
    std::vector<std::uint8_t> grey(static_cast<size_t>(kWidth) * kHeight, 255);
    const auto lineY = [](double x) { return 100 + (x - 100) * 0.2; };
    for (int x = word.left; x < word.Right(); ++x) {
        grey[static_cast<size_t>(std::lround(lineY(x))) * kWidth + x] = 0;
    }
    std::vector<std::uint8_t> png;
    std::string error;
    ASSERT_TRUE(EncodePng(kWidth, kHeight, 1, grey, png, error)) << error;
    const std::string tsv = "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n"
                            "5\t1\t1\t1\t1\t1\t100\t100\t1000\t200\t10\tslash\n";
    ASSERT_TRUE(WriteBytes(folder / L"line.png", std::string(png.begin(), png.end())));
    ASSERT_TRUE(WriteBytes(folder / L"line.tsv", tsv));

    StationOptions options;
    options.image = folder / L"line.png";
    options.tsv = folder / L"line.tsv";
    options.out = folder / L"out";
    int columns = 0;
    int broken = 0;
    DialogDriver driver(20000);
    AnswerWord(driver, 1, 1, [&](DialogDriver& d) {
        d.Do([&](DialogDriver& dialog) {
             const WordInLine view(Box{0, 0, kWidth, kHeight}, word, {word});
             const WordPicture::Placement& placement = view.Placement();
             ASSERT_LT(placement.scale, 0.6);
             // Every picture column over the line has ink within a pixel of it.
             const int from = placement.left + static_cast<int>((word.left - view.Shown().left) * placement.scale) + 1;
             const int to = placement.left + static_cast<int>((word.Right() - view.Shown().left) * placement.scale) - 1;
             for (int x = from; x < to; ++x) {
                 const double pageX = view.Shown().left + (x - placement.left + 0.5) / placement.scale;
                 const int y = placement.top + static_cast<int>((lineY(pageX) - view.Shown().top + 0.5) * placement.scale);
                 bool ink = false;
                 for (int dy = -1; dy <= 1; ++dy) {
                     ink = ink || dialog.PicturePixel(x, y + dy) == kBlack;
                 }
                 ++columns;
                 broken += ink ? 0 : 1;
             }
         }).Click(IDOK);
    });
    VerificationSession session(options, &RastStartDialog, [](const std::string&) {});
    session.Prepare();
    session.Run();
    EXPECT_TRUE(driver.Finished());
    EXPECT_GT(columns, 150);
    EXPECT_EQ(broken, 0);
}
