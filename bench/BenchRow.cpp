#include "BenchRow.h"

#include <cstdio>

void BenchRow::PrintTable(const std::vector<BenchRow>& rows)
{
    std::printf("%-34s %12s %12s %12s %12s %8s\n", "benchmark", "median", "min", "max", "floor med.", "ratio");
    for (const BenchRow& row : rows) {
        const double ratio = row.floor.median > 0 ? row.library.median / row.floor.median : 0;
        std::printf("%-34s %10.3f%-2s %10.3f%-2s %10.3f%-2s %10.3f%-2s %8.3f\n", row.name.c_str(),
                    row.library.median * row.scale, row.unit, row.library.min * row.scale, row.unit,
                    row.library.max * row.scale, row.unit, row.floor.median * row.scale, row.unit, ratio);
    }
}
