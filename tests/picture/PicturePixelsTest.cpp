// Where the picture's background and the host's runs land, pixel by pixel, on real GDI.

#include <vector>

#include "picture/PictureTest.h"

using PicturePixels = PictureTest;

TEST_F(PicturePixels, BackgroundFillsClientX8To535AndY5To205AndNothingElse)
{
    layers = {nullptr, nullptr};
    EXPECT_EQ(Draw(), 1);

    Pixels expected = Paper();
    expected.Fill(HostPicture::kArea, kBackground);
    EXPECT_TRUE(SamePixels(surface.Read(), expected));
}

TEST_F(PicturePixels, EachRunPaintsExactlyItsPixelsClippedToThePicture)
{
    struct Case {
        const char* what;
        HostPicture::Run run;
        RECT painted; // client pixels in the first layer's colour; empty for none
    };
    const Case cases[] = {
        {"one pixel", {5, 5, 0}, {13, 5, 14, 6}},
        {"xTo one left of xFrom: the line starts and ends at x 13", {5, 4, 0}, {}},
        {"leftwards from x 18 to x 12, 12 left out", {10, 3, 0}, {13, 5, 19, 6}},
        {"leftwards across the left edge", {3, -10, 0}, {8, 5, 12, 6}},
        {"the picture's last row, both ends included", {0, 527, 200}, {8, 205, 536, 206}},
        {"start x wraps to -32768, end x to -32767", {32760, 32760, 0}, {}},
        {"end x 32767 does not wrap: the row as far as the picture goes", {0, 32758, 0}, {8, 5, 536, 6}},
        {"end x wraps to -32768: the line runs leftwards from x 8", {0, 32759, 0}, {8, 5, 9, 6}},
        {"across the right edge", {520, 600, 10}, {528, 15, 536, 16}},
        {"across the left edge", {-3, 2, 0}, {8, 5, 11, 6}},
        {"below and to the right of the picture", {0, 600, 250}, {}},
        {"the client's top-left pixel", {-8, -8, -5}, {}},
        {"the row above the picture", {0, 527, -1}, {}},
        {"the row below the picture", {0, 527, 201}, {}},
        {"the lowest row a host can name", {0, 527, 32767}, {}},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        MemorySurface fresh;
        HostPicture oneRun;
        oneRun.layer1 = {each.run};
        ASSERT_EQ(DrawWordPicture(fresh.Dc(), &colours, &layers), 1);

        Pixels expected = Paper();
        expected.Fill(HostPicture::kArea, kBackground);
        expected.Fill(each.painted, kLayer1);
        EXPECT_TRUE(SamePixels(fresh.Read(), expected));
    }
}

TEST_F(PicturePixels, SecondLayerShowsOverTheFirstWhereTheyMeet)
{
    host.layer1 = {{0, 20, 3}, {100, 100, 200}, {527, 527, 0}, {40, 60, 7}};
    host.layer2 = {{10, 30, 3}, {0, 0, 0}, {50, 50, 7}};
    EXPECT_EQ(Draw(), 1);

    EXPECT_TRUE(SamePixels(surface.Read(), Expected()));
    EXPECT_EQ(host.layer1Calls, 1);
    EXPECT_EQ(host.layer2Calls, 1);
    EXPECT_EQ(host.width, TARSIL_PICTURE_WIDTH);
    EXPECT_EQ(host.height, TARSIL_PICTURE_HEIGHT);
}

TEST_F(PicturePixels, OnlyTheSecondLayerGiven)
{
    layers.drawLayer1 = nullptr;
    host.layer2 = {{4, 9, 7}, {0, 527, 100}};
    EXPECT_EQ(Draw(), 1);

    EXPECT_EQ(host.layer1Calls, 0);
    EXPECT_TRUE(SamePixels(surface.Read(), Expected()));
}

TEST_F(PicturePixels, OnlyTheLowEightBitsOfEachColourComponentCount)
{
    colours = {0x12345678, -2, 0x180, 256, 511, -1, -1, 256, 511};
    host.layer1 = {{0, 0, 0}};
    host.layer2 = {{1, 1, 0}};
    EXPECT_EQ(Draw(), 1);

    const Pixels drawn = surface.Read();
    EXPECT_EQ(drawn.At(8, 5), RGB(0x78, 0xFE, 0x80));
    EXPECT_EQ(drawn.At(9, 5), RGB(255, 0, 255));
    EXPECT_EQ(drawn.At(10, 5), RGB(0, 255, 255));
    EXPECT_EQ(drawn.At(535, 205), RGB(0, 255, 255));
}

TEST_F(PicturePixels, RunDoesNothingWhileNoPictureIsBeingDrawn)
{
    DrawRun(0, 100, 50); // before any picture: there is no surface at all

    host.layer1 = {{0, 3, 0}};
    ASSERT_EQ(Draw(), 1);
    const Pixels drawn = surface.Read();
    ASSERT_NE(host.run, nullptr);

    // The host keeps the run function and calls it once its layer's call is over.
    host.run(0, 527, 100);
    host.run(5, 5, 0);
    EXPECT_TRUE(SamePixels(surface.Read(), drawn));
}
