// The word in the dialog's picture: the page's ink where the crop puts it, the uncertain
// character in red, on a dark-on-light page and on its negative.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "PageImage.h"
#include "PngWriter.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "VerificationSession.h"
#include "WordImage.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(220, 0, 0);

// "“based", row 14: box 74,12 68 x 18; its "“" (x_bboxes 74 21 81 24, x_conf 89) is the
// only character below 90.
const Box kWord{74, 12, 68, 18};
const Box kQuote{74, 21, 7, 3};

struct Tally {
    int checked = 0;
    int wrong = 0;
    int red = 0;
};

// Page pixels that are clearly ink or clearly paper against the dialog's picture pixel at
// the centre of the block each one becomes (the crop is enlarged about seven times). The
// negative page must look the same as the scan.
Tally CompareWithPage(const DialogDriver& driver, const GreyImage& page)
{
    const WordImage image(page, kWord);
    const Box crop = image.Crop();
    const double scale = std::min(double{TARSIL_PICTURE_WIDTH} / crop.width, double{TARSIL_PICTURE_HEIGHT} / crop.height);
    const double left = (TARSIL_PICTURE_WIDTH - crop.width * scale) / 2;
    const double top = (TARSIL_PICTURE_HEIGHT - crop.height * scale) / 2;
    Tally tally;
    for (int y = crop.top; y < crop.Bottom(); ++y) {
        for (int x = crop.left; x < crop.Right(); ++x) {
            const int grey = page.At(x, y);
            if (grey >= 90 && grey <= 160) {
                continue; // near the threshold
            }
            const bool ink = grey < 90;
            const int pictureX = static_cast<int>(left + (x - crop.left + 0.5) * scale);
            const int pictureY = static_cast<int>(top + (y - crop.top + 0.5) * scale);
            const COLORREF shown = driver.PicturePixel(pictureX, pictureY);
            const COLORREF expected = !ink ? kWhite : kQuote.Contains(x, y) ? kRed : kBlack;
            ++tally.checked;
            tally.red += shown == kRed ? 1 : 0;
            if (shown != expected && ++tally.wrong <= 5) {
                ADD_FAILURE() << "page (" << x << "," << y << ") at picture (" << pictureX << "," << pictureY
                              << ") shows " << std::hex << shown << ", expected " << expected;
            }
        }
    }
    return tally;
}

} // namespace

TEST(StationPicture, TheWordsInkAppearsWhereTheCropPutsItAndTheUncertainCharacterIsRed)
{
    ScratchFolder folder;
    const GreyImage page = PageImage::Read(StationData(L"page.png")).Grey();
    // The same page as a negative: light ink on dark paper.
    GreyImage negative = page;
    for (std::uint8_t& grey : negative.grey) {
        grey = static_cast<std::uint8_t>(255 - grey);
    }
    const std::vector<std::uint8_t> png = EncodePng(negative.width, negative.height, 1, negative.grey);
    std::string error;
    ASSERT_TRUE(AtomicFile::Write(folder / L"negative.png", std::string(png.begin(), png.end()), error)) << error;

    for (const bool isNegative : {false, true}) {
        SCOPED_TRACE(isNegative ? "negative" : "scan");
        StationOptions options = CommittedScan(folder / (isNegative ? L"out-negative" : L"out"));
        if (isNegative) {
            options.image = folder / L"negative.png";
        }
        options.below = 23; // only "“based" (22.7)
        Tally tally;
        DialogDriver driver(20000);
        AnswerWord(driver, 1, 1, [&](DialogDriver& d) {
            d.Do([&](DialogDriver& dialog) { tally = CompareWithPage(dialog, page); }).Click(IDOK);
        });
        VerificationSession session(options, &RastStartDialog, [](const std::string&) {});
        session.Prepare();
        session.Run();
        EXPECT_TRUE(driver.Finished());
        EXPECT_GT(tally.checked, 1000);
        EXPECT_GE(tally.red, 6); // the quote's clearly dark pixels
        EXPECT_EQ(tally.wrong, 0);
    }
}
