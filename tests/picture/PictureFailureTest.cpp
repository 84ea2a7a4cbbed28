// Every way the renderer's pens and brush can fail, made to happen for real.

#include "framework/CMemoryException.h"
#include "framework/CResourceException.h"
#include "picture/GdiObjectLog.h"
#include "picture/PictureTest.h"

using PictureFailures = PictureTest;

TEST_F(PictureFailures, NoBackgroundPenDrawsAndCallsNothingAndGivesZero)
{
    host.layer1 = {{0, 5, 0}};
    GdiObjectLog log(surface.Handle());
    AfxArmFault(AfxFault::PenCreation, 1);

    EXPECT_EQ(Draw(), 0);

    EXPECT_TRUE(SamePixels(surface.Read(), Paper()));
    EXPECT_EQ(host.layer1Calls + host.layer2Calls, 0);
    EXPECT_TRUE(log.brushes.empty());
    EXPECT_TRUE(LeftAsBefore());
}

TEST_F(PictureFailures, NoBackgroundBrushDeletesThePenAndGivesZero)
{
    host.layer1 = {{0, 5, 0}};
    GdiObjectLog log(surface.Handle());
    AfxArmFault(AfxFault::BrushCreation, 1);

    EXPECT_EQ(Draw(), 0);

    EXPECT_TRUE(SamePixels(surface.Read(), Paper()));
    EXPECT_EQ(host.layer1Calls + host.layer2Calls, 0);
    EXPECT_EQ(log.pens.size(), 1u);
    EXPECT_TRUE(log.AllDeleted());
    EXPECT_TRUE(LeftAsBefore());
}

TEST_F(PictureFailures, LayerPenThatCannotBeMadeRaisesAndTheNextDrawingIsComplete)
{
    enum class Raised { Nothing, Resource, Memory };
    struct Case {
        const char* what;
        AfxFault fault;
        int occurrence;
        Raised expected;
        bool firstLayerDrawn;
    };
    const Case cases[] = {
        {"no pen for the first layer", AfxFault::PenCreation, 2, Raised::Resource, false},
        {"no pen for the second layer", AfxFault::PenCreation, 3, Raised::Resource, true},
        {"no memory for the first layer's pen", AfxFault::ObjectAllocation, 1, Raised::Memory, false},
        {"no memory for the second layer's pen", AfxFault::ObjectAllocation, 2, Raised::Memory, true},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        MemorySurface fresh;
        HostPicture twoLayers;
        twoLayers.layer1 = {{0, 20, 3}};
        twoLayers.layer2 = {{10, 30, 4}};
        Raised raised = Raised::Nothing;
        {
            GdiObjectLog log(fresh.Handle());
            AfxArmFault(each.fault, each.occurrence);
            try {
                DrawWordPicture(fresh.Dc(), &colours, &layers);
            } catch (CMemoryException* failure) {
                raised = Raised::Memory;
                failure->Delete();
            } catch (CResourceException* failure) {
                raised = Raised::Resource;
                failure->Delete();
            }
            AfxClearFaults();

            EXPECT_EQ(raised, each.expected);
            EXPECT_TRUE(log.AllDeleted());
            EXPECT_TRUE(log.deletedWhileSelected.empty());
        }
        EXPECT_EQ(::GetCurrentObject(fresh.Handle(), OBJ_PEN), fresh.OwnPen());
        EXPECT_EQ(::GetCurrentObject(fresh.Handle(), OBJ_BRUSH), fresh.OwnBrush());
        EXPECT_EQ(CurrentPictureDC, nullptr);
        EXPECT_EQ(CurrentLayerPen, nullptr);

        // The picture as far as it got: the background, the first layer if its pen was made.
        EXPECT_EQ(twoLayers.layer1Calls, each.firstLayerDrawn ? 1 : 0);
        EXPECT_EQ(twoLayers.layer2Calls, 0);
        Pixels partial = Paper();
        partial.Fill(HostPicture::kArea, kBackground);
        if (each.firstLayerDrawn) {
            partial.Fill(RECT{8, 8, 29, 9}, kLayer1);
        }
        EXPECT_TRUE(SamePixels(fresh.Read(), partial));
        if (twoLayers.run != nullptr) {
            twoLayers.run(0, 527, 150);
            EXPECT_TRUE(SamePixels(fresh.Read(), partial));
        }

        // The next drawing makes its own pens and draws the whole picture.
        ASSERT_EQ(DrawWordPicture(fresh.Dc(), &colours, &layers), 1);
        EXPECT_TRUE(SamePixels(fresh.Read(), twoLayers.Expected(Paper(), kBackground, kLayer1, kLayer2)));
    }
}
