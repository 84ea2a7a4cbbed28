#pragma once

#include <windows.h>

#include "TarsilDlg29.h"

// The library's dialog as the benchmarks call it, and its floor: a bare dialog of the same
// template whose procedure does nothing.
struct MeasuredDialog {
    RastStartDialogFn call = nullptr;
    HMODULE module = nullptr;
    const DLGTEMPLATE* bareTemplate = nullptr;

    // From the call to the end of the first complete paint of a typical word's dialog, which
    // is then ended; 0 when it never painted. `whileOpen`: the committed memory meanwhile.
    double TypicalCallToFirstPaint(SIZE_T& whileOpen) const;
    // The bare dialog, from its creation to the end of its first complete paint.
    double BareDialog() const;

    // A typical word: about 3,000 runs over the two layers.
    static void WINAPI TypicalInk(int width, int height, RunFn run);
    static void WINAPI TypicalUncertain(int width, int height, RunFn run);
};
