// Benchmarks of TarsilDlg29.dll against what the platform itself costs, measured in the
// same process and run. Prints a table: median, min and max over repeated runs, and the
// ratio of the library's median to the floor's.
//
//   bench [--iterations N]     (default 200 dialogs per side)
//         [--station-data DIR] the station's test data: the session benchmark
//         [--readability]      with --station-data: instead of timings, how large the doubtful
//                              characters of the real scans must be drawn (Readability.h)
//         [--engine FILE]      the engine the station runs: the batch benchmarks (page turn,
//                              paint while the engine works)
//         [--team CONNECTION]  with --station-data: the session again through a team's
//                              database (its password from TARSIL_DB_PASSWORD)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchRow.h"
#include "ComScope.h"
#include "FirstPaintBench.h"
#include "LoadBench.h"
#include "LoadedLibrary.h"
#include "MeasuredDialog.h"
#include "PageTurnBench.h"
#include "PaintUnderLoadBench.h"
#include "ParseNumber.h"
#include "PictureBench.h"
#include "Readability.h"
#include "SessionBench.h"
#include "WordPreparationBench.h"

int main(int argc, char** argv)
{
    int iterations = 200;
    std::wstring stationData; // the station's test data: the scan and Tesseract's output
    std::wstring engine;      // the engine the station runs, for the batch benchmarks
    std::wstring team;        // a team's database, for the session through it
    bool readability = false;
    for (int i = 1; i < argc; ++i) {
        readability = readability || std::string(argv[i]) == "--readability";
    }
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--iterations") {
            long long parsed = 0;
            iterations = ParseInteger(std::string_view(argv[i + 1]), 1, 1000000, parsed) ? static_cast<int>(parsed) : 0;
        } else if (std::string(argv[i]) == "--station-data") {
            const std::string path = argv[i + 1];
            stationData.assign(path.begin(), path.end());
        } else if (std::string(argv[i]) == "--team") {
            const std::string connection = argv[i + 1];
            team.assign(connection.begin(), connection.end());
        } else if (std::string(argv[i]) == "--engine") {
            const std::string path = argv[i + 1];
            engine.assign(path.begin(), path.end());
        }
    }
    if (iterations < 1) {
        std::fputs("usage: bench [--iterations N] [--station-data DIR [--engine FILE] [--team CONNECTION]]\n", stderr);
        return 2;
    }

    if (readability && !stationData.empty()) {
        const ComScope com;
        Readability::Print(stationData);
        return 0;
    }

    std::vector<BenchRow> rows;
    LoadBench::Run(iterations, rows); // first, while the DLL is not loaded

    // The session decodes the page and encodes its training images through WIC.
    const ComScope com;
    const LoadedLibrary loaded = LoadedLibrary::BesideProgram(L"TarsilDlg29.dll");
    HMODULE library = loaded.Module();
    if (library == nullptr) {
        std::fputs("TarsilDlg29.dll could not be loaded\n", stderr);
        return 1;
    }
    MeasuredDialog dialog;
    dialog.call = loaded.Function<RastStartDialogFn>("RastStartDialog");
    dialog.module = library;
    HRSRC found = ::FindResourceW(library, MAKEINTRESOURCEW(102), MAKEINTRESOURCEW(5));
    dialog.bareTemplate = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(library, found)));

    if (!FirstPaintBench::Run(dialog, iterations, rows)) {
        std::fputs("the call returned without painting the dialog\n", stderr);
        return 1;
    }
    if (!stationData.empty()) {
        SessionBench::Run(dialog, stationData, team, std::max(1, iterations / 10), rows);
        WordPreparationBench::Run("word in its line, 72-dpi page", stationData + L"\\page", L".png",
                                  std::max(1, iterations / 20), rows);
        WordPreparationBench::Run("word in its line, 300-dpi page", stationData + L"\\scans\\8087_054.3B", L".tif",
                                  std::max(1, iterations / 100), rows);
        if (!engine.empty()) {
            const std::wstring scan = stationData + L"\\scans\\8087_054.3B.tif";
            PaintUnderLoadBench::Run(dialog, scan, engine, std::max(1, iterations / 10), rows);
            for (const char* secondLang : {"", "deu"}) {
                PageTurnBench::Run(dialog, scan, engine, secondLang, std::max(1, iterations / 50), rows);
            }
        }
    }
    BenchRow::PrintTable(rows);
    rows.clear();

    PictureBench::Run(iterations, rows);
    BenchRow::PrintTable(rows);

    // The DLL's size.
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(library, path, MAX_PATH);
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ::GetFileAttributesExW(path, GetFileExInfoStandard, &attributes);
    std::printf("%-34s %10.1f KB\n", "size of TarsilDlg29.dll", attributes.nFileSizeLow / 1024.0);
    std::printf("(%d iterations per side)\n", iterations);
    return 0;
}
