#pragma once

#include "GreyImage.h"

// Scales a grey image with a proper filter, in grey, before anything is binarised: each
// output pixel averages the source pixels its area covers when the image shrinks (as WIC's
// Fant mode does), so that a stroke one source pixel wide still darkens the output pixels
// it crosses; a cubic (Catmull-Rom) kernel interpolates when it grows, so that the ink's
// edges come out smooth instead of in blocks.
//
// Not WIC's IWICBitmapScaler: under Wine 8, which runs the tests, it implements nearest
// neighbour only. Initialize with Linear, Cubic, Fant or HighQualityCubic succeeds but logs
// "fixme:wincodecs:BitmapScaler_Initialize unsupported mode" and copies pixels (a 100 x 100
// grey image scaled to 25 x 25 or to 400 x 400 kept exactly two grey levels), so the tests
// would see neither smooth edges nor a surviving thin stroke, and Windows and Wine would
// draw different pictures. This filter gives both the same picture.
class GreyResampler {
public:
    // `image` scaled by `scale` (> 0) into a `width` x `height` image whose top-left corner
    // lies at image point (left, top): output pixel (x, y) shows the image around
    // (left + (x + 0.5) / scale, top + (y + 0.5) / scale). Pixels beyond the image's edges
    // repeat its edge.
    static GreyImage Scale(const GreyImage& image, double left, double top, double scale, int width, int height);
};
