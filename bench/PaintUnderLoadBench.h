#pragma once

#include <string>
#include <vector>

#include "BenchRow.h"
#include "MeasuredDialog.h"

// The dialog's first paint while the engine recognises the scan in the background (as the
// station's worker runs it: a thread below normal priority, the engine's process below
// normal), against the same with the engine idle, in alternating blocks.
class PaintUnderLoadBench {
public:
    static void Run(const MeasuredDialog& dialog, const std::wstring& scan, const std::wstring& engine, int rounds,
                    std::vector<BenchRow>& rows);
};
