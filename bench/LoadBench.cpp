#include "LoadBench.h"

#include "LoadedLibrary.h"

void LoadBench::Run(int iterations, std::vector<BenchRow>& rows)
{
    std::vector<double> libraryTimes;
    std::vector<double> floorTimes;
    for (int i = -5; i < iterations; ++i) {
        Stopwatch libraryWatch;
        {
            const LoadedLibrary loadedOnce = LoadedLibrary::BesideProgram(L"TarsilDlg29.dll");
        }
        const double libraryTime = libraryWatch.Seconds();
        Stopwatch floorWatch;
        {
            const LoadedLibrary loadedOnce = LoadedLibrary::BesideProgram(L"empty_dll.dll");
        }
        const double floorTime = floorWatch.Seconds();
        if (i >= 0) {
            libraryTimes.push_back(libraryTime);
            floorTimes.push_back(floorTime);
        }
    }
    rows.push_back({"LoadLibrary + FreeLibrary", Summary::Of(libraryTimes), Summary::Of(floorTimes), "us", 1e6});
}
