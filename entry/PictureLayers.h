#pragma once

#include "TarsilDlg29.h"

// The host's two layer painters; either may be null.
struct PictureLayers {
    LayerDrawFn drawLayer1;
    LayerDrawFn drawLayer2;
};
