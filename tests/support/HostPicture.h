#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "TarsilDlg29.h"
#include "support/Pixels.h"

// The host's side of the word picture in tests: two layer painters that replay lists of
// runs, and what the library handed them. The painters are plain functions, as a host's
// are, so they find their runs in the one current HostPicture.
class HostPicture {
public:
    struct Run {
        short xFrom;
        short xTo;
        short y;
    };

    // The picture area as a host sees it in the dialog's client area.
    static constexpr RECT kArea{TARSIL_PICTURE_LEFT, TARSIL_PICTURE_TOP, TARSIL_PICTURE_LEFT + TARSIL_PICTURE_WIDTH,
                                TARSIL_PICTURE_TOP + TARSIL_PICTURE_HEIGHT};

    HostPicture();
    ~HostPicture();
    HostPicture(const HostPicture&) = delete;
    HostPicture& operator=(const HostPicture&) = delete;

    // The painters use this picture's runs from now on. A new HostPicture becomes current.
    void BecomeCurrent() { s_current = this; }

    static void WINAPI PaintLayer1(int width, int height, RunFn run);
    static void WINAPI PaintLayer2(int width, int height, RunFn run);

    // `base` with the picture area in the background colour and every run in its layer's
    // colour, the second layer over the first: picture pixels xFrom to xTo of row y, as far
    // as they lie inside the picture area. Only for runs with xFrom <= xTo.
    Pixels Expected(const Pixels& base, COLORREF background, COLORREF layer1, COLORREF layer2) const;

    std::vector<Run> layer1;
    std::vector<Run> layer2;
    // Runs inside the first layer's call before its runs, when set.
    std::function<void()> whilePaintingLayer1;

    int layer1Calls = 0;
    int layer2Calls = 0;
    int width = -1;
    int height = -1;
    RunFn run = nullptr;

private:
    void Paint(const std::vector<Run>& runs, int width, int height, RunFn run);

    static HostPicture* s_current;
};
