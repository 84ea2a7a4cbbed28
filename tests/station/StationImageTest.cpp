// The page through the platform's codecs: every format the station names, its resolution,
// and the resolutions it does not believe.

#include <gtest/gtest.h>

#include <windows.h>

#include <wincodec.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ImageFile.h"
#include "InputError.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "StationData.h"

TEST(StationImage, EachFormatDecodesToThePagesGreyLevelsWithTheResolutionItStates)
{
    ScratchFolder folder;
    const PageImage original = PageImage::Read(StationData(L"page.png"));
    EXPECT_NEAR(original.Dpi(), 72.0, 0.01); // the scan's pHYs says 2835 pixels a metre
    ASSERT_EQ(original.Grey().width, 384);
    ASSERT_EQ(original.Grey().height, 191);

    struct Format {
        const char* name;
        GUID container;
        double dpi;
        bool lossless;
    };
    const Format formats[] = {
        {"bmp", GUID_ContainerFormatBmp, 150, true},
        {"tiff", GUID_ContainerFormatTiff, 400, true},
        {"png", GUID_ContainerFormatPng, 600, true},
        {"jpeg", GUID_ContainerFormatJpeg, 300, false},
        {"png with 1 dpi", GUID_ContainerFormatPng, 1, true},
        {"tiff with 50000 dpi", GUID_ContainerFormatTiff, 50000, true},
    };
    for (const Format& format : formats) {
        SCOPED_TRACE(format.name);
        const std::wstring path = folder / (std::to_wstring(&format - formats) + L".image");
        WriteImageFile(format.container, {{original.Grey(), format.dpi}}, true, path);
        const PageImage decoded = PageImage::Read(path);
        ASSERT_EQ(decoded.Grey().width, 384);
        ASSERT_EQ(decoded.Grey().height, 191);
        int most = 0;
        double total = 0;
        for (size_t i = 0; i < decoded.Grey().grey.size(); ++i) {
            const int difference = std::abs(decoded.Grey().grey[i] - original.Grey().grey[i]);
            most = std::max(most, difference);
            total += difference;
        }
        if (format.lossless) {
            EXPECT_EQ(most, 0);
        } else {
            EXPECT_LT(total / static_cast<double>(decoded.Grey().grey.size()), 4.0);
        }
        const double expectedDpi = format.dpi < 20 || format.dpi > 10000 ? PageImage::kDefaultDpi : format.dpi;
        EXPECT_NEAR(decoded.Dpi(), expectedDpi, 0.5);
    }
}
