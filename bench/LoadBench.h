#pragma once

#include <vector>

#include "BenchRow.h"

// Loading and unloading the DLL, against an empty DLL built the same way. Run first, while
// neither is loaded, so that every load maps and starts the module.
class LoadBench {
public:
    static void Run(int iterations, std::vector<BenchRow>& rows);
};
