#include "FirstPaintBench.h"

#include "FirstPaintWatcher.h"

bool FirstPaintBench::Run(const MeasuredDialog& dialog, int iterations, std::vector<BenchRow>& rows)
{
    std::vector<double> libraryTimes;
    std::vector<double> floorTimes;
    std::vector<double> memoryAdded;
    for (int i = -5; i < iterations; ++i) {
        const SIZE_T before = FirstPaintWatcher::CommittedMemory();
        SIZE_T whileOpen = 0;
        const double libraryTime = dialog.TypicalCallToFirstPaint(whileOpen);
        if (libraryTime == 0) {
            return false;
        }
        if (i >= 0) {
            memoryAdded.push_back(static_cast<double>(whileOpen) - static_cast<double>(before));
        }
        const double floorTime = dialog.BareDialog();
        if (i >= 0) {
            libraryTimes.push_back(libraryTime);
            floorTimes.push_back(floorTime);
        }
    }
    rows.push_back({"call to first complete paint", Summary::Of(libraryTimes), Summary::Of(floorTimes), "ms", 1e3});
    rows.push_back({"memory a call adds while open", Summary::Of(memoryAdded), {0, 0, 0}, "KB", 1.0 / 1024});
    return true;
}
