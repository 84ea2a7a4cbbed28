// The sample host's image reading and its turning of images into runs.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "GreyImage.h"
#include "support/ChildProcess.h"
#include "WordPicture.h"

namespace {

// Writes a BMP the way common tools do: bottom-up unless `topDown`, rows padded to four
// bytes, a grey colour table for 1 and 8 bits. `ink(x, y)` says which pixels are black.
std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, bool topDown,
                                  const std::function<bool(int, int)>& ink)
{
    const int paletteEntries = bits <= 8 ? 1 << bits : 0;
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    const size_t pixelOffset = 14 + 40 + static_cast<size_t>(paletteEntries) * 4;
    std::vector<std::uint8_t> file(pixelOffset + stride * height, 0);
    auto put = [&](size_t offset, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<std::uint32_t>(file.size()), 4);
    put(10, static_cast<std::uint32_t>(pixelOffset), 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(topDown ? -height : height), 4);
    put(26, 1, 2);
    put(28, static_cast<std::uint32_t>(bits), 2);
    for (int i = 0; i < paletteEntries; ++i) {
        const auto grey = static_cast<std::uint8_t>(i * 255 / (paletteEntries - 1));
        file[54 + i * 4] = file[55 + i * 4] = file[56 + i * 4] = grey;
    }
    for (int y = 0; y < height; ++y) {
        const size_t row = pixelOffset + stride * static_cast<size_t>(topDown ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const bool black = ink(x, y);
            if (bits == 1) {
                file[row + x / 8] |= black ? 0 : static_cast<std::uint8_t>(0x80 >> (x % 8));
            } else if (bits == 8) {
                file[row + x] = black ? 0 : 255;
            } else {
                for (int channel = 0; channel < bits / 8; ++channel) {
                    file[row + static_cast<size_t>(x) * (bits / 8) + channel] = black ? 0 : 255;
                }
            }
        }
    }
    return file;
}

std::wstring WriteTemporary(const std::vector<std::uint8_t>& bytes)
{
    wchar_t folder[MAX_PATH];
    wchar_t path[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    ::GetTempFileNameW(folder, L"bmp", 0, path);
    FILE* file = _wfopen(path, L"wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

// An L-shaped mark: a vertical stroke at x 2 and a foot along the bottom row.
bool LShape(int x, int y, int height)
{
    return x == 2 || (y == height - 1 && x >= 2 && x <= 6);
}

} // namespace

TEST(GreyImageRead, EveryDepthAndRowOrderGivesTheSamePicture)
{
    const int width = 13; // odd, so that rows need padding
    const int height = 7;
    for (int bits : {1, 8, 24, 32}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << (topDown ? "top-down" : "bottom-up"));
            const std::wstring path =
                WriteTemporary(MakeBmp(width, height, bits, topDown, [&](int x, int y) { return LShape(x, y, height); }));
            GreyImage image;
            std::string error;
            ASSERT_TRUE(ReadBmp(path, image, error)) << error;
            ::DeleteFileW(path.c_str());
            ASSERT_EQ(image.width, width);
            ASSERT_EQ(image.height, height);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    EXPECT_EQ(image.At(x, y), LShape(x, y, height) ? 0 : 255) << x << "," << y;
                }
            }
        }
    }
}

TEST(GreyImageRead, DamagedFilesAreRefusedWithAReason)
{
    const std::vector<std::uint8_t> good = MakeBmp(20, 10, 24, false, [](int, int) { return false; });
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    };
    std::vector<std::uint8_t> truncated(good.begin(), good.end() - 7);
    std::vector<std::uint8_t> notBmp = good;
    notBmp[0] = 'P';
    std::vector<std::uint8_t> compressed = MakeBmp(8, 8, 8, false, [](int, int) { return false; });
    compressed[30] = 1; // RLE8
    std::vector<std::uint8_t> headerOnly(good.begin(), good.begin() + 30);
    const Case cases[] = {
        {"truncated", truncated, "ends before its last row"},
        {"not a bitmap", notBmp, "not a BMP"},
        {"compressed", compressed, "compressed"},
        {"cut in its header", headerOnly, "not a BMP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GreyImage image;
        std::string error;
        EXPECT_FALSE(DecodeBmp(c.bytes, image, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    GreyImage image;
    std::string error;
    EXPECT_FALSE(ReadBmp(L"Z:\\no\\such\\file.bmp", image, error));
    EXPECT_EQ(error, "cannot open the file");
}

TEST(WordPictureRuns, InkBecomesCentredRunsAndUncertainCharactersTheSecondLayer)
{
    GreyImage image;
    image.width = 10;
    image.height = 2;
    image.grey.assign(20, 255);
    // Row 0: ink at x 0..9, a word of two characters; row 1: ink at x 2..3 only.
    for (int x = 0; x < 10; ++x) {
        image.grey[x] = 0;
    }
    image.grey[12] = image.grey[13] = 0;

    const std::vector<int> edges = WordPicture::EvenCharacterEdges(image, 2);
    EXPECT_EQ(edges, (std::vector<int>{0, 5, 10}));
    const WordPicture plain = WordPicture::FromImage(image, edges, {});
    const int left = (TARSIL_PICTURE_WIDTH - 10) / 2;
    const int top = (TARSIL_PICTURE_HEIGHT - 2) / 2;
    ASSERT_EQ(plain.Ink().size(), 2u);
    EXPECT_EQ(plain.Ink()[0].xFrom, left);
    EXPECT_EQ(plain.Ink()[0].xTo, left + 9);
    EXPECT_EQ(plain.Ink()[0].y, top);
    EXPECT_EQ(plain.Ink()[1].xFrom, left + 2);
    EXPECT_EQ(plain.Ink()[1].xTo, left + 3);
    EXPECT_EQ(plain.Ink()[1].y, top + 1);
    EXPECT_TRUE(plain.Uncertain().empty());

    // The second character (columns 5..9) is uncertain: row 0 splits between the layers.
    const WordPicture split = WordPicture::FromImage(image, edges, {1, 7});
    ASSERT_EQ(split.Uncertain().size(), 1u);
    EXPECT_EQ(split.Uncertain()[0].xFrom, left + 5);
    EXPECT_EQ(split.Uncertain()[0].xTo, left + 9);
    ASSERT_EQ(split.Ink().size(), 2u);
    EXPECT_EQ(split.Ink()[0].xTo, left + 4);
}

TEST(WordPictureRuns, LargeImagesAreScaledIntoThePicture)
{
    GreyImage image;
    image.width = 2000;
    image.height = 300;
    image.grey.assign(static_cast<size_t>(image.width) * image.height, 0);
    const WordPicture picture = WordPicture::FromImage(image, WordPicture::EvenCharacterEdges(image, 1), {});
    ASSERT_FALSE(picture.Ink().empty());
    for (const WordPicture::Run& run : picture.Ink()) {
        EXPECT_GE(run.xFrom, 0);
        EXPECT_LT(run.xTo, TARSIL_PICTURE_WIDTH);
        EXPECT_GE(run.y, 0);
        EXPECT_LT(run.y, TARSIL_PICTURE_HEIGHT);
    }
}

TEST(WordPictureRuns, RenderedWordHasInkInsideThePicture)
{
    std::vector<int> edges;
    const GreyImage word = WordPicture::RenderWord(L"Tarsil", edges);
    ASSERT_EQ(word.width, TARSIL_PICTURE_WIDTH);
    ASSERT_EQ(word.height, TARSIL_PICTURE_HEIGHT);
    ASSERT_EQ(edges.size(), 7u);
    EXPECT_TRUE(std::is_sorted(edges.begin(), edges.end()));
    const WordPicture picture = WordPicture::FromImage(word, edges, {2});
    EXPECT_GT(picture.Ink().size(), 100u);
    EXPECT_GT(picture.Uncertain().size(), 10u);
    // The uncertain ink lies within the third character's columns, and no ink there is
    // left in the first layer. The word is as wide as the picture: it starts at its left edge.
    const int left = 0;
    for (const WordPicture::Run& run : picture.Uncertain()) {
        EXPECT_GE(run.xFrom, left + edges[2]);
        EXPECT_LT(run.xTo, left + edges[3]);
    }
    for (const WordPicture::Run& run : picture.Ink()) {
        EXPECT_TRUE(run.xTo < left + edges[2] || run.xFrom >= left + edges[3]);
    }
}

namespace {

ChildProcess RunSampleHost(const std::wstring& arguments)
{
    return ChildProcess::Run(L"sample_host.exe", arguments);
}

} // namespace

TEST(SampleHost, TruncatedImageIsReportedWithoutShowingTheDialog)
{
    std::vector<std::uint8_t> bytes = MakeBmp(64, 32, 24, false, [](int x, int) { return x % 5 == 0; });
    bytes.resize(bytes.size() / 2);
    const std::wstring path = WriteTemporary(bytes);
    const ChildProcess run = RunSampleHost(L"--image \"" + path + L"\" --press ok");
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find("cannot read"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("ends before its last row"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("\"result\""), std::string::npos) << run.output;
}

TEST(SampleHost, ImageFileIsShownAndTheEditedWordComesBackAsJson)
{
    const std::wstring path = WriteTemporary(MakeBmp(64, 32, 8, true, [](int x, int) { return x % 5 == 0; }));
    const ChildProcess run =
        RunSampleHost(L"--image \"" + path + L"\" --text abc --size 7.5 --kind 2 --mode 1 --press ok");
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output,
              "{\"result\": 1, \"text\": \"abc\", \"changed\": false, \"size\": 7.5, \"orientation\": 0, \"train\": 1}\r\n");
}

TEST(SampleHost, BadOptionsPrintTheUsage)
{
    const ChildProcess run = RunSampleHost(L"--press maybe");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_NE(run.output.find("usage: sample_host"), std::string::npos);
}
