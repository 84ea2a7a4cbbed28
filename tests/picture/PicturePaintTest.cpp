// The picture in the real dialog when a paint fails part way.

#include <windows.h>

#include <gtest/gtest.h>

#include "dialog/COndrelDlg.h"
#include "framework/AfxFaults.h"
#include "framework/AfxModule.h"
#include "framework/CClientDC.h"
#include "picture/PictureRenderer.h"
#include "support/DialogDriver.h"
#include "support/HostPicture.h"
#include "support/Pixels.h"

namespace {

constexpr COLORREF kBackground = RGB(0x23, 0x45, 0x67);
constexpr COLORREF kLayer1 = RGB(0xC8, 0x1E, 0x5A);
constexpr COLORREF kLayer2 = RGB(0x1B, 0xB4, 0x3C);

// The dialog's client area through the framework's client surface.
Pixels ReadClient(HWND dialog)
{
    RECT client{};
    ::GetClientRect(dialog, &client);
    CClientDC surface(CWnd::FromHandle(dialog));
    return Pixels::Read(surface.GetSafeHdc(), client.right, client.bottom);
}

} // namespace

TEST(PicturePaint, FailedPaintIsValidatedTheDialogGoesOnAndTheNextPaintIsComplete)
{
    // The dialog's template comes from this program's resources.
    AfxWinInit(::GetModuleHandleW(nullptr));
    HostPicture host;
    host.layer1 = {{0, 100, 10}, {50, 60, 150}};
    host.layer2 = {{20, 40, 10}, {300, 310, 100}};
    WordRecord record{};
    record.text[0] = L'w';
    PictureColours colours{GetRValue(kLayer1),     GetGValue(kLayer1),     GetBValue(kLayer1),
                           GetRValue(kBackground), GetGValue(kBackground), GetBValue(kBackground),
                           GetRValue(kLayer2),     GetGValue(kLayer2),     GetBValue(kLayer2)};
    PictureLayers layers{&HostPicture::PaintLayer1, &HostPicture::PaintLayer2};
    COndrelDlg dialog(nullptr);
    dialog.SetWordRecord(&record);
    dialog.SetPicture(&colours, &layers);

    Pixels failed(1, 1, 0);
    Pixels failedExpected(1, 1, 0);
    Pixels next(1, 1, 0);
    Pixels nextExpected(1, 1, 0);
    HostPicture firstLayerOnly;
    firstLayerOnly.layer1 = host.layer1;
    host.BecomeCurrent();
    bool updateRegionLeft = true;
    bool pictureStillInProgress = true;
    int layer2CallsBeforeFailure = -1;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            layer2CallsBeforeFailure = host.layer2Calls;
            // The second layer's pen of the next paint cannot be made.
            AfxArmFault(AfxFault::PenCreation, 3);
            ::InvalidateRect(d.Dialog(), nullptr, TRUE);
            ::UpdateWindow(d.Dialog());
            AfxClearFaults();
            RECT update{};
            updateRegionLeft = ::GetUpdateRect(d.Dialog(), &update, FALSE) != FALSE;
            pictureStillInProgress = CurrentPictureDC != nullptr || CurrentLayerPen != nullptr;
            failed = ReadClient(d.Dialog());
            // As far as the paint got: the background and the first layer.
            failedExpected = firstLayerOnly.Expected(failed, kBackground, kLayer1, kLayer2);
        })
        .Repaint(false)
        .Do([&](DialogDriver& d) {
            next = ReadClient(d.Dialog());
            nextExpected = host.Expected(next, kBackground, kLayer1, kLayer2);
        })
        .Click(IDOK);

    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_FALSE(updateRegionLeft);
    EXPECT_FALSE(pictureStillInProgress);
    EXPECT_EQ(host.layer2Calls, layer2CallsBeforeFailure + 1);

    EXPECT_TRUE(SamePixels(failed, failedExpected, HostPicture::kArea));
    EXPECT_TRUE(SamePixels(next, nextExpected, HostPicture::kArea));
}
