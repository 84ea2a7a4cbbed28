// The host library's parts: images read through WIC, words turned into the picture's runs,
// and DLLs loaded from trusted folders only.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "GreyImage.h"
#include "ImageDecoder.h"
#include "LoadedLibrary.h"
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
    ::GetTempFileNameW(folder, L"img", 0, path);
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

bool ReadImage(const std::wstring& path, GreyImage& image, std::string& error)
{
    ImageDecoder file;
    double dpi = 0;
    return file.Open(path, error) && file.ReadFrame(0, image, dpi, error);
}

} // namespace

TEST(ImageDecoderRead, EveryDepthAndRowOrderGivesTheSameGreyLevels)
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
            const bool read = ReadImage(path, image, error);
            ::DeleteFileW(path.c_str());
            ASSERT_TRUE(read) << error;
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

TEST(ImageDecoderRead, MissingAndDamagedFilesAreRefusedWithAReason)
{
    std::vector<std::uint8_t> notAnImage = MakeBmp(20, 10, 24, false, [](int, int) { return false; });
    notAnImage[0] = 'P';
    const std::wstring path = WriteTemporary(notAnImage);
    GreyImage image;
    std::string error;
    EXPECT_FALSE(ReadImage(path, image, error));
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(error.find("not an image that Windows Imaging Component can read"), 0u) << error;
    EXPECT_FALSE(ReadImage(L"Z:\\no\\such\\file.bmp", image, error));
    EXPECT_EQ(error, "cannot be opened: no such file");
}

TEST(WordPictureRuns, InkBecomesRunsAndUncertainCharactersTheSecondLayer)
{
    // As wide as the picture, so that it is placed at scale 1, centred in height.
    GreyImage image;
    image.width = WordPicture::kWidth;
    image.height = 2;
    image.grey.assign(static_cast<size_t>(image.width) * 2, 255);
    // Row 0: ink at x 0..9, a word of two characters; row 1: ink at x 2..3 only.
    for (int x = 0; x < 10; ++x) {
        image.grey[static_cast<size_t>(x)] = 0;
    }
    image.grey[static_cast<size_t>(image.width) + 2] = image.grey[static_cast<size_t>(image.width) + 3] = 0;

    const std::vector<int> edges = WordPicture::EvenCharacterEdges(image, 2);
    EXPECT_EQ(edges, (std::vector<int>{0, 5, 10}));
    const int top = (TARSIL_PICTURE_HEIGHT - 2) / 2;
    const WordPicture plain = WordPicture::FromImage(image, edges, {});
    ASSERT_EQ(plain.Ink().size(), 2u);
    EXPECT_EQ(plain.Ink()[0].xFrom, 0);
    EXPECT_EQ(plain.Ink()[0].xTo, 9);
    EXPECT_EQ(plain.Ink()[0].y, top);
    EXPECT_EQ(plain.Ink()[1].xFrom, 2);
    EXPECT_EQ(plain.Ink()[1].xTo, 3);
    EXPECT_EQ(plain.Ink()[1].y, top + 1);
    EXPECT_TRUE(plain.Uncertain().empty());

    // The second character (columns 5..9) is uncertain: row 0 splits between the layers.
    const WordPicture split = WordPicture::FromImage(image, edges, {1, 7});
    ASSERT_EQ(split.Uncertain().size(), 1u);
    EXPECT_EQ(split.Uncertain()[0].xFrom, 5);
    EXPECT_EQ(split.Uncertain()[0].xTo, 9);
    ASSERT_EQ(split.Ink().size(), 2u);
    EXPECT_EQ(split.Ink()[0].xTo, 4);

    // Light ink on dark paper is the same word.
    GreyImage negative = image;
    for (std::uint8_t& grey : negative.grey) {
        grey = static_cast<std::uint8_t>(255 - grey);
    }
    const WordPicture fromNegative = WordPicture::FromImage(negative, WordPicture::EvenCharacterEdges(negative, 2), {1});
    ASSERT_EQ(fromNegative.Ink().size(), split.Ink().size());
    ASSERT_EQ(fromNegative.Uncertain().size(), split.Uncertain().size());
    EXPECT_EQ(fromNegative.Uncertain()[0].xFrom, 5);
    EXPECT_EQ(fromNegative.Ink()[1].xFrom, 2);
}

TEST(WordPictureRuns, ImagesOfAnySizeAreFittedIntoThePicture)
{
    for (const SIZE size : {SIZE{2000, 300}, SIZE{40, 12}}) {
        SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
        GreyImage image;
        image.width = size.cx;
        image.height = size.cy;
        image.grey.assign(static_cast<size_t>(image.width) * image.height, 255);
        for (int x = 0; x < image.width; x += 4) { // vertical strokes, top to bottom
            for (int y = 0; y < image.height; ++y) {
                image.grey[static_cast<size_t>(y) * image.width + x] = 0;
            }
        }
        const WordPicture picture = WordPicture::FromImage(image, {}, {});
        ASSERT_FALSE(picture.Ink().empty());
        const WordPicture::Placement placement = WordPicture::Fit(image.width, image.height);
        short lowest = TARSIL_PICTURE_WIDTH;
        short highest = 0;
        for (const WordPicture::Run& run : picture.Ink()) {
            EXPECT_GE(run.xFrom, placement.left);
            EXPECT_LT(run.xTo, placement.left + placement.width);
            lowest = std::min(lowest, run.y);
            highest = std::max(highest, run.y);
        }
        // The strokes run the whole fitted height, and one side of the picture is filled.
        EXPECT_EQ(lowest, placement.top);
        EXPECT_EQ(highest, placement.top + placement.height - 1);
        EXPECT_TRUE(placement.width == TARSIL_PICTURE_WIDTH || placement.height == TARSIL_PICTURE_HEIGHT);
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
    // The uncertain ink lies within the third character's columns, and no ink there is left
    // in the first layer. The rendering is the picture's size: it is placed at scale 1.
    for (const WordPicture::Run& run : picture.Uncertain()) {
        EXPECT_GE(run.xFrom, edges[2]);
        EXPECT_LT(run.xTo, edges[3]);
    }
    for (const WordPicture::Run& run : picture.Ink()) {
        EXPECT_TRUE(run.xTo < edges[2] || run.xFrom >= edges[3]);
    }
}

// A DLL is loaded from the program's folder or System32 only: a DLL of the same name in the
// current folder or on PATH, where a plain LoadLibraryW finds it, is not taken.
TEST(LoadedLibraryLoad, OnlyTheProgramsFolderAndSystem32AreSearched)
{
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring programFolder = exe;
    programFolder.resize(programFolder.find_last_of(L"\\/"));
    wchar_t temporary[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temporary);
    const std::wstring folder = std::wstring(temporary) + L"tarsil-load-" + std::to_wstring(::GetCurrentProcessId());
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring stray = folder + L"\\StrayLibrary.dll";
    ASSERT_TRUE(::CopyFileW((programFolder + L"\\empty_dll.dll").c_str(), stray.c_str(), FALSE));

    wchar_t previousFolder[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previousFolder);
    std::vector<wchar_t> previousPath(32768);
    previousPath.resize(::GetEnvironmentVariableW(L"PATH", previousPath.data(), 32768));
    ::SetCurrentDirectoryW(folder.c_str());
    ::SetEnvironmentVariableW(L"PATH", (folder + L";" + std::wstring(previousPath.begin(), previousPath.end())).c_str());

    HMODULE plain = ::LoadLibraryW(L"StrayLibrary.dll");
    const bool foundByPlainSearch = plain != nullptr;
    if (plain != nullptr) {
        ::FreeLibrary(plain);
    }
    {
        const LoadedLibrary stray = LoadedLibrary::BesideProgram(L"StrayLibrary.dll");
        EXPECT_EQ(stray.Module(), nullptr);
        EXPECT_EQ(stray.LoadError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
        // Before it is loaded: a loaded module is found by its name wherever it came from.
        EXPECT_EQ(LoadedLibrary::FromSystem(L"TarsilDlg29.dll").Module(), nullptr);
        const LoadedLibrary beside = LoadedLibrary::BesideProgram(L"TarsilDlg29.dll");
        EXPECT_NE(beside.Function<RastStartDialogFn>("RastStartDialog"), nullptr);
        EXPECT_NE(LoadedLibrary::FromSystem(L"xmllite.dll").Function<void*>("CreateXmlReader"), nullptr);
    }

    ::SetCurrentDirectoryW(previousFolder);
    ::SetEnvironmentVariableW(L"PATH", std::wstring(previousPath.begin(), previousPath.end()).c_str());
    ::DeleteFileW(stray.c_str());
    ::RemoveDirectoryW(folder.c_str());
    EXPECT_TRUE(foundByPlainSearch); // the stray DLL was there to be found
}
