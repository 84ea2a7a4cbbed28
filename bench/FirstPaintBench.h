#pragma once

#include <vector>

#include "BenchRow.h"
#include "MeasuredDialog.h"

// From the host's call to the end of the dialog's first complete paint, against the bare
// dialog, interleaved after a warm-up; and the memory a call adds while its dialog is open.
class FirstPaintBench {
public:
    // False when a call returned without painting its dialog.
    static bool Run(const MeasuredDialog& dialog, int iterations, std::vector<BenchRow>& rows);
};
