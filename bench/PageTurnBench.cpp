#include "PageTurnBench.h"

#include <windows.h>

#include <cwchar>

#include "FirstPaintWatcher.h"
#include "SessionBench.h"
#include "StationOptions.h"

namespace {

// What the paced dialog below measures against and records; the library calls it without
// context.
const MeasuredDialog* g_dialog = nullptr;
std::vector<double> g_pageTurns;
std::vector<double> g_pageTurnFloor;
int g_lastPage = 0;
double g_lastReturn = 0;

int WINAPI PacedRastStartDialog(HWND parent, int kind, int mode, wchar_t* text, int length, double* size,
                                double* orientation, int confidence, int r1, int g1, int b1, int rb, int gb, int bb,
                                int r2, int g2, int b2, LayerDrawFn layer1, LayerDrawFn layer2, int* reserved,
                                int* train, int* unchanged, TextLookupFn lookup)
{
    const wchar_t* caption = lookup(TARSIL_TEXT_CAPTION);
    const wchar_t* pageText = std::wcsstr(caption, L"page ");
    const int page = pageText != nullptr ? static_cast<int>(std::wcstol(pageText + 5, nullptr, 10)) : 0;
    int result = 0;
    double completed = 0;
    {
        FirstPaintWatcher watcher(true, 2000);
        result = g_dialog->call(parent, kind, mode, text, length, size, orientation, confidence, r1, g1, b1, rb, gb,
                                bb, r2, g2, b2, layer1, layer2, reserved, train, unchanged, lookup);
        completed = watcher.CompletedAt();
    }
    if (page != g_lastPage && g_lastPage != 0 && completed > 0) {
        g_pageTurns.push_back(completed - g_lastReturn);
        for (int i = 0; i < 3; ++i) {
            g_pageTurnFloor.push_back(g_dialog->BareDialog());
        }
    }
    g_lastPage = page;
    g_lastReturn = Stopwatch::Now();
    return result;
}

} // namespace

void PageTurnBench::Run(const MeasuredDialog& dialog, const std::wstring& scan, const std::wstring& engine,
                        const std::string& secondLang, int sessions, std::vector<BenchRow>& rows)
{
    g_dialog = &dialog;
    wchar_t temporary[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temporary);
    const std::wstring folder = std::wstring(temporary) + L"tarsil-bench-batch";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : {L"\\page1.tif", L"\\page2.tif", L"\\page3.tif", L"\\page4.tif", L"\\page5.tif"}) {
        ::CopyFileW(scan.c_str(), (folder + name).c_str(), FALSE);
    }
    StationOptions options;
    options.inputs = {folder};
    options.out = std::wstring(temporary) + L"tarsil-bench-batch-out";
    options.tesseract = engine;
    options.secondLang = std::wstring(secondLang.begin(), secondLang.end()); // a model's name, ASCII
    options.below = 60; // six words a page: 12 s at the operator's pace, the engine's time and more
    options.restart = true;
    g_pageTurns.clear();
    g_pageTurnFloor.clear();
    SessionBench::RunSessions(options, &PacedRastStartDialog, sessions, [] { g_lastPage = 0; });
    const std::string name = secondLang.empty() ? "page turn, 2 s a word"
                                                : "page turn, 2 s a word, read twice (" + secondLang + ")";
    rows.push_back({name, Summary::Of(g_pageTurns), Summary::Of(g_pageTurnFloor), "ms", 1e3});
}
