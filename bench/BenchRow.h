#pragma once

#include <string>
#include <vector>

#include "Stopwatch.h"

// One line of the benchmarks' table: the library's samples against the platform's floor.
struct BenchRow {
    std::string name;
    Summary library;
    Summary floor;
    const char* unit;
    double scale; // seconds to `unit`

    // Prints the rows as a table: median, min and max, the floor's median and the ratio of
    // the library's median to the floor's.
    static void PrintTable(const std::vector<BenchRow>& rows);
};
