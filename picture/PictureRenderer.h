#pragma once

#include <windows.h>

#include "TarsilDlg29.h"
#include "entry/PictureColours.h"
#include "entry/PictureLayers.h"

class CDC;
class CPen;

// The word's picture: a fixed area of the dialog's client area, painted in the host's
// background colour, on which the host draws two layers as horizontal runs through
// DrawRun, each layer in its own pen colour.

// The picture area in device pixels of the dialog's client area: picture pixel (x, y) is
// client pixel (8 + x, 5 + y). The picture is 528 x 201 pixels.
extern const RECT PictureRect;

// The surface of the picture being drawn (not owned) and the pen of the layer being drawn
// (owned). Both are null whenever no picture is being drawn.
extern CDC* CurrentPictureDC;
extern CPen* CurrentLayerPen;

// Paints the picture area in the background colour, then lets the host draw the first
// layer and then the second one, each in its pen colour; a null layer painter is skipped.
// Runs are clipped to the picture area. Returns 1 when the picture was drawn, 0 when the
// background pen or brush cannot be made or a picture is already being drawn. A layer pen
// that cannot be made raises CResourceException (CMemoryException without memory); on
// every way out the surface has its own pen and brush again, every pen and brush made
// here is deleted, and both cells are null.
int DrawWordPicture(CDC& dc, const PictureColours* colours, const PictureLayers* layers);

// Makes a new one-pixel solid pen of the colour the surface's current pen and deletes the
// previous layer pen. Returns 1, or 0 with nothing changed when no picture is being drawn.
// Raises CResourceException when the platform gives no pen.
int SelectLayerPen(int red, int green, int blue);

// The RunFn handed to the host's layer painters: paints picture pixels xFrom to xTo, both
// included, of row y in the current layer's colour, as a line from x = xFrom to x = xTo + 1
// that leaves its end out (so xTo < xFrom paints xTo + 2 to xFrom). Both x are worked out
// as 16-bit client coordinates; the row is not wrapped. Does nothing while no picture is
// being drawn.
void WINAPI DrawRun(short xFrom, short xTo, short y) noexcept;
