// The pens and brushes of a picture, checked on their real handles: the surface gets its
// own ones back, everything the renderer makes is deleted, and nothing while selected.

#include <chrono>
#include <cstdio>
#include <vector>

#include "picture/GdiObjectLog.h"
#include "picture/PictureTest.h"

using PictureObjects = PictureTest;

TEST_F(PictureObjects, EveryLayerCombinationLeavesTheSurfaceAsItWasAndDeletesEverything)
{
    const PictureLayers combinations[] = {
        {&HostPicture::PaintLayer1, &HostPicture::PaintLayer2},
        {&HostPicture::PaintLayer1, nullptr},
        {nullptr, &HostPicture::PaintLayer2},
        {nullptr, nullptr},
    };
    host.layer1 = {{0, 10, 0}};
    host.layer2 = {{5, 15, 1}};
    for (const PictureLayers& combination : combinations) {
        SCOPED_TRACE(::testing::Message() << "layer 1 " << (combination.drawLayer1 != nullptr) << ", layer 2 "
                                          << (combination.drawLayer2 != nullptr));
        layers = combination;
        GdiObjectLog log(surface.Handle());
        ASSERT_EQ(Draw(), 1);

        EXPECT_TRUE(LeftAsBefore());
        // The background pen and one pen per layer, painted or not.
        EXPECT_EQ(log.pens.size(), 3u);
        EXPECT_EQ(log.brushes.size(), 1u);
        EXPECT_TRUE(log.AllDeleted());
        EXPECT_TRUE(log.deletedWhileSelected.empty());
    }
}

TEST_F(PictureObjects, PensAreMadePerLayerNotPerRun)
{
    // Every other pixel of every row in the first layer, the pixels between in the second.
    for (short y = 0; y < TARSIL_PICTURE_HEIGHT; ++y) {
        for (short x = 0; x < TARSIL_PICTURE_WIDTH; x += 2) {
            host.layer1.push_back({x, x, y});
            host.layer2.push_back({static_cast<short>(x + 1), static_cast<short>(x + 1), y});
        }
    }
    GdiObjectLog log(surface.Handle());
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Draw(), 1);
    const auto took = std::chrono::steady_clock::now() - started;

    EXPECT_EQ(log.pens.size(), 3u);
    EXPECT_TRUE(SamePixels(surface.Read(), Expected()));
    std::printf("%zu runs drawn in %lld us\n", host.layer1.size() + host.layer2.size(),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
}

TEST_F(PictureObjects, DrawingStartedFromInsideAPainterIsRefused)
{
    MemorySurface other;
    const Pixels otherBefore = other.Read();
    PictureLayers noLayers{nullptr, nullptr};
    int nestedResult = -1;
    host.whilePaintingLayer1 = [&] { nestedResult = DrawWordPicture(other.Dc(), &colours, &noLayers); };
    host.layer1 = {{0, 5, 0}};
    host.layer2 = {{0, 2, 1}};

    ASSERT_EQ(Draw(), 1);

    EXPECT_EQ(nestedResult, 0);
    EXPECT_TRUE(SamePixels(other.Read(), otherBefore));
    // The drawing in progress kept its surface: the first layer's runs after the nested
    // call and the whole second layer are there.
    EXPECT_TRUE(SamePixels(surface.Read(), Expected()));
    EXPECT_TRUE(LeftAsBefore());
}
