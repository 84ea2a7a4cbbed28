#include "PictureRenderer.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "framework/CBrush.h"
#include "framework/CDC.h"
#include "framework/CPen.h"
#include "framework/CScopedSelection.h"

const RECT PictureRect{TARSIL_PICTURE_LEFT, TARSIL_PICTURE_TOP, TARSIL_PICTURE_LEFT + TARSIL_PICTURE_WIDTH,
                       TARSIL_PICTURE_TOP + TARSIL_PICTURE_HEIGHT};

CDC* CurrentPictureDC = nullptr;
CPen* CurrentLayerPen = nullptr;

namespace {

// A colour from the host's three integers: only the low 8 bits of each count.
COLORREF HostColour(std::int32_t red, std::int32_t green, std::int32_t blue)
{
    return RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
}

// A client x as the platform's 16-bit coordinates hold it: wrapped into -32768..32767.
int WrapToInt16(int x)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(x));
}

// The cells of one drawing: the surface is set from construction on. On every way out the
// layer pen is deleted and both cells are null again; by then the pen selection, made
// later and so ended first, has put the surface's own pen back.
class PictureInProgress {
public:
    explicit PictureInProgress(CDC& dc) { CurrentPictureDC = &dc; }
    ~PictureInProgress()
    {
        delete CurrentLayerPen;
        CurrentLayerPen = nullptr;
        CurrentPictureDC = nullptr;
    }
    PictureInProgress(const PictureInProgress&) = delete;
    PictureInProgress& operator=(const PictureInProgress&) = delete;
};

void DrawLayer(LayerDrawFn drawLayer, int red, int green, int blue)
{
    // The pen is made even for a missing layer, once per layer and never per run.
    SelectLayerPen(red, green, blue);
    if (drawLayer != nullptr) {
        drawLayer(PictureRect.right - PictureRect.left, PictureRect.bottom - PictureRect.top, &DrawRun);
    }
}

} // namespace

int DrawWordPicture(CDC& dc, const PictureColours* colours, const PictureLayers* layers)
{
    // A host painter that lets the dialog paint again from inside its call must not take
    // the surface away from the drawing in progress.
    if (CurrentPictureDC != nullptr) {
        return 0;
    }
    const PictureInProgress drawing(dc);

    const COLORREF background = HostColour(colours->backRed, colours->backGreen, colours->backBlue);
    CPen backgroundPen;
    if (!backgroundPen.CreatePen(PS_SOLID, 1, background)) {
        return 0;
    }
    CBrush backgroundBrush;
    if (!backgroundBrush.CreateSolidBrush(background)) {
        return 0;
    }

    // Ends before the pens' owners, so the surface's own pen is back before any is deleted.
    const CScopedSelection penSelection(dc, backgroundPen);
    {
        const CScopedSelection brushSelection(dc, backgroundBrush);
        dc.Rectangle(PictureRect);
    }
    backgroundBrush.DeleteObject();

    DrawLayer(layers->drawLayer1, colours->layer1Red, colours->layer1Green, colours->layer1Blue);
    DrawLayer(layers->drawLayer2, colours->layer2Red, colours->layer2Green, colours->layer2Blue);
    return 1;
}

int SelectLayerPen(int red, int green, int blue)
{
    if (CurrentPictureDC == nullptr) {
        return 0;
    }
    std::unique_ptr<CPen> pen(new CPen(PS_SOLID, 1, HostColour(red, green, blue)));
    // The new pen replaces the previous layer pen in the surface before that is deleted.
    CurrentPictureDC->SelectObject(*pen);
    delete CurrentLayerPen;
    CurrentLayerPen = pen.release();
    return 1;
}

void WINAPI DrawRun(short xFrom, short xTo, short y) noexcept
{
    CDC* const dc = CurrentPictureDC;
    if (dc == nullptr) {
        return;
    }
    const int row = PictureRect.top + y;
    if (row < PictureRect.top || row >= PictureRect.bottom) {
        return;
    }
    // The host's line runs from startX to endX and leaves endX out, in either direction.
    const int startX = WrapToInt16(PictureRect.left + xFrom);
    const int endX = WrapToInt16(PictureRect.left + xTo + 1);
    const int first = std::max(startX < endX ? startX : endX + 1, static_cast<int>(PictureRect.left));
    const int last = std::min(startX < endX ? endX - 1 : startX, static_cast<int>(PictureRect.right) - 1);
    if (first > last) {
        return;
    }
    dc->MoveTo(first, row);
    dc->LineTo(last + 1, row);
}
