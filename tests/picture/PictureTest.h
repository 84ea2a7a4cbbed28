#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "entry/PictureColours.h"
#include "entry/PictureLayers.h"
#include "framework/AfxFaults.h"
#include "picture/MemorySurface.h"
#include "picture/PictureRenderer.h"
#include "support/HostPicture.h"

// A picture drawn by the library's renderer on a surface in memory, with the host's two
// layers replaying the runs that a test gives them.
class PictureTest : public ::testing::Test {
protected:
    static constexpr COLORREF kBackground = RGB(0x23, 0x45, 0x67);
    static constexpr COLORREF kLayer1 = RGB(0xC8, 0x1E, 0x5A);
    static constexpr COLORREF kLayer2 = RGB(0x1B, 0xB4, 0x3C);

    void TearDown() override { AfxClearFaults(); }

    int Draw() { return DrawWordPicture(surface.Dc(), &colours, &layers); }

    // The untouched surface.
    static Pixels Paper() { return Pixels(MemorySurface::kWidth, MemorySurface::kHeight, MemorySurface::kPaper); }
    // The picture that the host's runs make on an untouched surface.
    Pixels Expected() const { return host.Expected(Paper(), kBackground, kLayer1, kLayer2); }

    // Succeeds when the surface has its own pen and brush selected and no picture is being
    // drawn, as before any drawing.
    ::testing::AssertionResult LeftAsBefore() const
    {
        if (::GetCurrentObject(surface.Handle(), OBJ_PEN) != surface.OwnPen()) {
            return ::testing::AssertionFailure() << "the surface's own pen is not selected";
        }
        if (::GetCurrentObject(surface.Handle(), OBJ_BRUSH) != surface.OwnBrush()) {
            return ::testing::AssertionFailure() << "the surface's own brush is not selected";
        }
        if (CurrentPictureDC != nullptr || CurrentLayerPen != nullptr) {
            return ::testing::AssertionFailure() << "a picture still counts as being drawn";
        }
        return ::testing::AssertionSuccess();
    }

    MemorySurface surface;
    HostPicture host;
    PictureColours colours{GetRValue(kLayer1),     GetGValue(kLayer1),     GetBValue(kLayer1),
                           GetRValue(kBackground), GetGValue(kBackground), GetBValue(kBackground),
                           GetRValue(kLayer2),     GetGValue(kLayer2),     GetBValue(kLayer2)};
    PictureLayers layers{&HostPicture::PaintLayer1, &HostPicture::PaintLayer2};
};
