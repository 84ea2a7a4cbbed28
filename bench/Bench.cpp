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

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <algorithm>
#include <string>
#include <vector>

#include "ComScope.h"
#include "HocrDocument.h"
#include "LoadedLibrary.h"
#include "PageImage.h"
#include "PageWords.h"
#include "ParseNumber.h"
#include "Readability.h"
#include "StationOptions.h"
#include "TeamSetUp.h"
#include "TesseractEngine.h"
#include "TsvDocument.h"
#include "TsvHocrWords.h"
#include "Stopwatch.h"
#include "VerificationSession.h"
#include "WordInLine.h"
#include "TarsilDlg29.h"
#include "entry/PictureColours.h"
#include "entry/PictureLayers.h"
#include "framework/CDC.h"
#include "picture/PictureRenderer.h"

namespace {

// ---- Watching a dialog paint ----

// Notes when the dialog and each of its visible controls have finished their first paint,
// and ends the dialog at that moment (or presses its OK button, as an operator would). The
// windows are subclassed as they are created, so the watcher sees the end of each WM_PAINT,
// whoever handles it.
class FirstPaintWatcher {
public:
    // `pressAfterMs`: OK is pressed that long after the first complete paint, as an operator
    // who reads the word first would.
    explicit FirstPaintWatcher(bool pressOk = false, UINT pressAfterMs = 0)
        : m_pressOk(pressOk)
        , m_pressAfterMs(pressAfterMs)
    {
        s_watcher = this;
        m_hook = ::SetWindowsHookExW(WH_CBT, &FirstPaintWatcher::OnCreate, nullptr, ::GetCurrentThreadId());
    }
    ~FirstPaintWatcher()
    {
        ::UnhookWindowsHookEx(m_hook);
        s_watcher = nullptr;
    }
    FirstPaintWatcher(const FirstPaintWatcher&) = delete;
    FirstPaintWatcher& operator=(const FirstPaintWatcher&) = delete;

    // When the last first paint ended, or 0 if the dialog never finished painting.
    double CompletedAt() const { return m_completedAt; }
    // Committed memory while the painted dialog was open.
    SIZE_T MemoryWhileOpen() const { return m_memoryWhileOpen; }

private:
    struct Watched {
        HWND window;
        WNDPROC original;
        bool painted;
    };

    static LRESULT CALLBACK OnCreate(int code, WPARAM wParam, LPARAM lParam)
    {
        FirstPaintWatcher* watcher = s_watcher;
        if (code == HCBT_CREATEWND && watcher != nullptr) {
            HWND window = reinterpret_cast<HWND>(wParam);
            const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
            wchar_t className[16] = {};
            ::GetClassNameW(window, className, 16);
            const bool isDialog = watcher->m_dialog == nullptr && std::wcscmp(className, L"#32770") == 0;
            if (isDialog) {
                watcher->m_dialog = window;
            }
            if (isDialog || (watcher->m_dialog != nullptr && create->lpcs->hwndParent == watcher->m_dialog)) {
                const auto original = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
                    window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FirstPaintWatcher::Subclass)));
                watcher->m_watched.push_back({window, original, false});
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        FirstPaintWatcher* watcher = s_watcher;
        Watched* watched = nullptr;
        for (Watched& w : watcher->m_watched) {
            if (w.window == window) {
                watched = &w;
            }
        }
        const LRESULT result = ::CallWindowProcW(watched->original, window, message, wParam, lParam);
        if (message == WM_PAINT && !watched->painted) {
            watched->painted = true;
            watcher->CheckComplete();
        }
        return result;
    }

    void CheckComplete()
    {
        if (m_completedAt != 0) {
            return;
        }
        for (const Watched& w : m_watched) {
            if (!w.painted && ::IsWindowVisible(w.window)) {
                return;
            }
        }
        m_completedAt = Stopwatch::Now();
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
        m_memoryWhileOpen = counters.PagefileUsage;
        if (m_pressOk && m_pressAfterMs > 0) {
            ::SetTimer(m_dialog, 1, m_pressAfterMs, &FirstPaintWatcher::PressOk);
        } else if (m_pressOk) {
            ::PostMessageW(::GetDlgItem(m_dialog, IDOK), BM_CLICK, 0, 0);
        } else {
            ::EndDialog(m_dialog, IDCANCEL);
        }
    }

    static void CALLBACK PressOk(HWND dialog, UINT, UINT_PTR timer, DWORD)
    {
        ::KillTimer(dialog, timer);
        ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }

    static FirstPaintWatcher* s_watcher;
    bool m_pressOk;
    UINT m_pressAfterMs;
    HHOOK m_hook = nullptr;
    HWND m_dialog = nullptr;
    std::vector<Watched> m_watched;
    double m_completedAt = 0;
    SIZE_T m_memoryWhileOpen = 0;
};

FirstPaintWatcher* FirstPaintWatcher::s_watcher = nullptr;

SIZE_T CommittedMemory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// ---- The word the benchmarks show ----

// A typical word: about 3,000 runs over the two layers.
void WINAPI TypicalInk(int, int, RunFn run)
{
    for (short y = 20; y < 180; ++y) {
        for (short x = 40; x < 480; x += 25) {
            run(x, static_cast<short>(x + 6 + (y % 7)), y);
        }
    }
}

void WINAPI TypicalUncertain(int, int, RunFn run)
{
    for (short y = 20; y < 180; ++y) {
        run(300, 330, y);
    }
}

// From the call to the end of the first complete paint of a typical word's dialog, which is
// then ended; 0 when it never painted. `whileOpen`: the committed memory meanwhile.
double TypicalCallToFirstPaint(RastStartDialogFn library, SIZE_T& whileOpen)
{
    wchar_t text[84] = L"Tarsil";
    double size = 24;
    double orientation = 0;
    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    FirstPaintWatcher watcher;
    const double start = Stopwatch::Now();
    library(nullptr, 0, 0, text, 40, &size, &orientation, 87, 0, 0, 0, 255, 255, 255, 220, 0, 0, &TypicalInk,
            &TypicalUncertain, &reserved, &train, &unchanged, nullptr);
    whileOpen = watcher.MemoryWhileOpen();
    return watcher.CompletedAt() > 0 ? watcher.CompletedAt() - start : 0;
}

struct Row {
    std::string name;
    Summary library;
    Summary floor;
    const char* unit;
    double scale;
};

// ---- The picture alone ----

struct Run {
    short xFrom, xTo, y;
};

std::vector<Run> g_layer1;
std::vector<Run> g_layer2;

void WINAPI ReplayLayer1(int, int, RunFn run)
{
    for (const Run& r : g_layer1) {
        run(r.xFrom, r.xTo, r.y);
    }
}

void WINAPI ReplayLayer2(int, int, RunFn run)
{
    for (const Run& r : g_layer2) {
        run(r.xFrom, r.xTo, r.y);
    }
}

void WINAPI RecordLayer1(short xFrom, short xTo, short y)
{
    g_layer1.push_back({xFrom, xTo, y});
}

void WINAPI RecordLayer2(short xFrom, short xTo, short y)
{
    g_layer2.push_back({xFrom, xTo, y});
}

// Times DrawWordPicture with the recorded runs against the platform drawing the same runs
// itself (MoveToEx and LineTo with a pen already selected) on the same memory surface.
void BenchPicture(const char* name, int repetitions, std::vector<Row>& rows)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 560;
    info.bmiHeader.biHeight = -240;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    CDC surface;
    surface.CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(surface.GetSafeHdc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = ::SelectObject(surface.GetSafeHdc(), bitmap);

    PictureColours colours{0, 0, 0, 255, 255, 255, 220, 0, 0};
    PictureLayers layers{&ReplayLayer1, &ReplayLayer2};
    HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = ::SelectObject(surface.GetSafeHdc(), pen);

    std::vector<double> libraryTimes;
    std::vector<double> floorTimes;
    for (int i = -2; i < repetitions; ++i) {
        Stopwatch libraryWatch;
        DrawWordPicture(surface, &colours, &layers);
        ::GdiFlush();
        const double libraryTime = libraryWatch.Seconds();

        Stopwatch floorWatch;
        HDC dc = surface.GetSafeHdc();
        for (const std::vector<Run>* layer : {&g_layer1, &g_layer2}) {
            for (const Run& r : *layer) {
                ::MoveToEx(dc, 8 + r.xFrom, 5 + r.y, nullptr);
                ::LineTo(dc, 8 + r.xTo + 1, 5 + r.y);
            }
        }
        ::GdiFlush();
        const double floorTime = floorWatch.Seconds();
        if (i >= 0) {
            libraryTimes.push_back(libraryTime);
            floorTimes.push_back(floorTime);
        }
    }
    ::SelectObject(surface.GetSafeHdc(), oldPen);
    ::DeleteObject(pen);
    ::SelectObject(surface.GetSafeHdc(), oldBitmap);
    ::DeleteObject(bitmap);

    const double runs = static_cast<double>(g_layer1.size() + g_layer2.size());
    rows.push_back({std::string(name) + " (" + std::to_string(static_cast<long>(runs)) + " runs)",
                    Summary::Of(libraryTimes), Summary::Of(floorTimes), "ms", 1e3});
    std::vector<double> perRun;
    for (double t : libraryTimes) {
        perRun.push_back(t / runs);
    }
    std::vector<double> floorPerRun;
    for (double t : floorTimes) {
        floorPerRun.push_back(t / runs);
    }
    rows.push_back({std::string("  per run"), Summary::Of(perRun), Summary::Of(floorPerRun), "ns", 1e9});
}

// ---- A verification session ----

RastStartDialogFn g_library = nullptr;
const DLGTEMPLATE* g_bareTemplate = nullptr;
HMODULE g_bareModule = nullptr;
std::vector<double> g_sessionFloor;
std::vector<double> g_sessionGaps;
std::vector<double> g_hostWork;
std::vector<double> g_callToPaint;
double g_previousReturn = 0;

INT_PTR CALLBACK DoNothing(HWND, UINT, WPARAM, LPARAM);

// The library's call, timed from the previous word's return to this dialog's first
// complete paint; the operator presses OK there. Each word is followed by the floor, a bare
// dialog of the same template, so that the two sides are measured side by side.
int WINAPI TimedRastStartDialog(HWND parent, int kind, int mode, wchar_t* text, int length, double* size,
                                double* orientation, int confidence, int r1, int g1, int b1, int rb, int gb, int bb,
                                int r2, int g2, int b2, LayerDrawFn layer1, LayerDrawFn layer2, int* reserved,
                                int* train, int* unchanged, TextLookupFn lookup)
{
    const double called = Stopwatch::Now();
    int result = 0;
    double completed = 0;
    {
        FirstPaintWatcher watcher(true);
        result = g_library(parent, kind, mode, text, length, size, orientation, confidence, r1, g1, b1, rb, gb, bb, r2,
                           g2, b2, layer1, layer2, reserved, train, unchanged, lookup);
        completed = watcher.CompletedAt();
    }
    if (g_previousReturn > 0 && completed > 0) {
        g_sessionGaps.push_back(completed - g_previousReturn);
        g_hostWork.push_back(called - g_previousReturn);
        g_callToPaint.push_back(completed - called);
    }
    {
        FirstPaintWatcher bare;
        const double start = Stopwatch::Now();
        ::DialogBoxIndirectParamW(g_bareModule, g_bareTemplate, nullptr, &DoNothing, 0);
        g_sessionFloor.push_back(bare.CompletedAt() - start);
    }
    g_previousReturn = Stopwatch::Now();
    return result;
}

// Fresh sessions with the options, every dialog through `dialog`; `fresh` runs before each.
void RunSessions(const StationOptions& options, VerificationSession::DialogFn dialog, int sessions, void (*fresh)())
{
    for (int i = 0; i < sessions; ++i) {
        VerificationSession session(options, dialog, [](const std::string&) {});
        session.Prepare();
        fresh();
        session.Run();
    }
}

// The figures of the sessions just run, as rows named after `name`.
void SessionRows(const std::string& name, std::vector<Row>& rows)
{
    const Summary floor = Summary::Of(g_sessionFloor);
    rows.push_back({name + ", return to next paint", Summary::Of(g_sessionGaps), floor, "ms", 1e3});
    rows.push_back({"  the host's work", Summary::Of(g_hostWork), floor, "ms", 1e3});
    rows.push_back({"  call to first complete paint", Summary::Of(g_callToPaint), floor, "ms", 1e3});
    g_sessionGaps.clear();
    g_hostWork.clear();
    g_callToPaint.clear();
    g_sessionFloor.clear();
}

// Every word of the committed scan verified with OK (training pairs included), `sessions`
// times over, each a fresh session; the page is decoded before the first word. With `team`
// (a connection string) the same again as a team's session, each on a new batch of the
// team's database: every answer committed before the next dialog.
void BenchSession(const std::wstring& data, const std::wstring& team, int sessions, std::vector<Row>& rows)
{
    wchar_t temporary[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temporary);
    StationOptions options;
    options.image = data + L"\\page.png";
    options.tsv = data + L"\\page.tsv";
    options.hocr = data + L"\\page.hocr";
    options.out = std::wstring(temporary) + L"tarsil-bench-session";
    options.below = 101;
    options.restart = true;
    RunSessions(options, &TimedRastStartDialog, sessions, [] { g_previousReturn = 0; });
    SessionRows("session", rows);
    if (team.empty()) {
        return;
    }
    StationOptions teamOptions;
    teamOptions.inputs = {data + L"\\page.png"};
    teamOptions.team = team;
    teamOptions.below = 101;
    teamOptions.outbox = std::wstring(temporary) + L"tarsil-bench-outbox.json";
    for (int i = 0; i < sessions; ++i) {
        teamOptions.batch = L"bench-" + std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(i);
        VerificationSession session(teamOptions, &TimedRastStartDialog, [](const std::string&) {}, {},
                                    [](const StationOptions& options, const VerificationSession::PrintFn& print) {
                                        return TeamSetUp(options, print).Prepare();
                                    });
        session.Prepare();
        g_previousReturn = 0;
        session.Run();
    }
    SessionRows("session with --team", rows);
}

// The picture of each word in its line, as the station makes it before each call: every
// word of the page `repetitions` times, one word at a time.
// `base` names the page's files without their extension; `image` is the image's.
void BenchWordPreparation(const char* name, const std::wstring& base, const wchar_t* image, int repetitions,
                          std::vector<Row>& rows)
{
    const PageImage page = PageImage::Read(base + image);
    const TsvDocument tsv = TsvDocument::Read(base + L".tsv");
    const HocrDocument hocr = HocrDocument::Read(base + L".hocr");
    const PageWords words = TsvHocrWords::From(&tsv, &hocr, base + L".hocr");
    std::vector<double> times;
    size_t runs = 0;
    for (int i = 0; i < repetitions; ++i) {
        for (const PageWords::Word& word : words.Words()) {
            if (word.box.Empty()) {
                continue;
            }
            const Stopwatch watch;
            const WordPicture picture = WordInLine::Draw(page.Grey(), words, word, 90);
            times.push_back(watch.Seconds());
            runs += picture.Ink().size() + picture.Uncertain().size();
        }
    }
    rows.push_back({name, Summary::Of(times), {0, 0, 0}, "ms", 1e3});
    std::printf("(%s: %zu words, %.0f runs a word)\n", name, times.size(),
                times.empty() ? 0.0 : static_cast<double>(runs) / times.size());
}

INT_PTR CALLBACK DoNothing(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// ---- A batch: the page turn, and painting while the engine works ----

std::vector<double> g_pageTurns;
std::vector<double> g_pageTurnFloor;
int g_lastPage = 0;
double g_lastReturn = 0;

double BareDialog()
{
    FirstPaintWatcher bare;
    const double start = Stopwatch::Now();
    ::DialogBoxIndirectParamW(g_bareModule, g_bareTemplate, nullptr, &DoNothing, 0);
    return bare.CompletedAt() - start;
}

// The operator answers each word 2 s after its dialog has painted. The first dialog of each
// page after the first is timed from the last answer of the page before; three bare dialogs
// follow it, outside the timed span.
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
        result = g_library(parent, kind, mode, text, length, size, orientation, confidence, r1, g1, b1, rb, gb, bb, r2,
                           g2, b2, layer1, layer2, reserved, train, unchanged, lookup);
        completed = watcher.CompletedAt();
    }
    if (page != g_lastPage && g_lastPage != 0 && completed > 0) {
        g_pageTurns.push_back(completed - g_lastReturn);
        for (int i = 0; i < 3; ++i) {
            g_pageTurnFloor.push_back(BareDialog());
        }
    }
    g_lastPage = page;
    g_lastReturn = Stopwatch::Now();
    return result;
}

// Batches of five copies of the 300-dpi scan without the engine's output, so that the station
// recognises each page in the background while the operator answers the one before.
void BenchPageTurn(const std::wstring& scan, const std::wstring& engine, int sessions, std::vector<Row>& rows)
{
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
    options.below = 60; // six words a page: 12 s at the operator's pace, the engine's time and more
    options.restart = true;
    g_pageTurns.clear();
    g_pageTurnFloor.clear();
    RunSessions(options, &PacedRastStartDialog, sessions, [] { g_lastPage = 0; });
    rows.push_back({"page turn, 2 s a word", Summary::Of(g_pageTurns), Summary::Of(g_pageTurnFloor), "ms", 1e3});
}

// The dialog's first paint while the engine recognises the scan in the background (as the
// station's worker runs it: a thread below normal priority, the engine's process below
// normal), against the same with the engine idle, in alternating blocks.
void BenchPaintUnderLoad(const std::wstring& scan, const std::wstring& engine, int rounds, std::vector<Row>& rows)
{
    StationOptions options;
    options.tesseract = engine;
    const TesseractEngine tesseract(options);
    wchar_t temporary[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temporary);
    struct Load {
        const TesseractEngine* engine;
        std::wstring scan;
        std::wstring base;
        HANDLE cancel;
    } load{&tesseract, scan, std::wstring(temporary) + L"tarsil-bench-load", ::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    const auto timeDialogs = [](int count, std::vector<double>& times) {
        for (int i = 0; i < count; ++i) {
            SIZE_T whileOpen = 0;
            const double time = TypicalCallToFirstPaint(g_library, whileOpen);
            if (time > 0) {
                times.push_back(time);
            }
        }
    };
    std::vector<double> idle;
    std::vector<double> loaded;
    for (int round = 0; round < rounds; ++round) {
        timeDialogs(10, idle);
        ::ResetEvent(load.cancel);
        HANDLE worker = ::CreateThread(
            nullptr, 0,
            [](void* context) noexcept -> DWORD {
                const auto* work = static_cast<Load*>(context);
                work->engine->Recognise(work->scan, 0, 1, work->base, work->cancel);
                return 0;
            },
            &load, CREATE_SUSPENDED, nullptr);
        ::SetThreadPriority(worker, THREAD_PRIORITY_BELOW_NORMAL);
        ::ResumeThread(worker);
        ::Sleep(1000); // the engine past its start, recognising
        std::vector<double> block;
        timeDialogs(10, block);
        if (::WaitForSingleObject(worker, 0) == WAIT_TIMEOUT) {
            loaded.insert(loaded.end(), block.begin(), block.end()); // only while it still worked
        }
        ::SetEvent(load.cancel);
        ::WaitForSingleObject(worker, INFINITE);
        ::CloseHandle(worker);
        ::Sleep(1000); // the Linux engine is ended a moment after the relay
    }
    ::CloseHandle(load.cancel);
    rows.push_back({"first paint, engine working", Summary::Of(loaded), Summary::Of(idle), "ms", 1e3});
}

void PrintTable(const std::vector<Row>& rows)
{
    std::printf("%-34s %12s %12s %12s %12s %8s\n", "benchmark", "median", "min", "max", "floor med.", "ratio");
    for (const Row& row : rows) {
        const double ratio = row.floor.median > 0 ? row.library.median / row.floor.median : 0;
        std::printf("%-34s %10.3f%-2s %10.3f%-2s %10.3f%-2s %10.3f%-2s %8.3f\n", row.name.c_str(),
                    row.library.median * row.scale, row.unit, row.library.min * row.scale, row.unit,
                    row.library.max * row.scale, row.unit, row.floor.median * row.scale, row.unit, ratio);
    }
}

} // namespace

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

    std::vector<Row> rows;
    // Loading and unloading the DLL, against an empty DLL built the same way; measured
    // first, while neither is loaded, so that every load maps and starts the module.
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

    // The session decodes the page and encodes its training images through WIC.
    const ComScope com;
    const LoadedLibrary loaded = LoadedLibrary::BesideProgram(L"TarsilDlg29.dll");
    HMODULE library = loaded.Module();
    if (library == nullptr) {
        std::fputs("TarsilDlg29.dll could not be loaded\n", stderr);
        return 1;
    }
    const auto rastStartDialog = loaded.Function<RastStartDialogFn>("RastStartDialog");
    HRSRC found = ::FindResourceW(library, MAKEINTRESOURCEW(102), MAKEINTRESOURCEW(5));
    const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(library, found)));

    // From the host's call to the end of the dialog's first complete paint, against a bare
    //    dialog of the same template whose procedure does nothing. Interleaved, after a warm-up.
    {
        std::vector<double> libraryTimes;
        std::vector<double> floorTimes;
        std::vector<double> memoryAdded;
        for (int i = -5; i < iterations; ++i) {
            const SIZE_T before = CommittedMemory();
            SIZE_T whileOpen = 0;
            const double libraryTime = TypicalCallToFirstPaint(rastStartDialog, whileOpen);
            if (libraryTime == 0) {
                std::fputs("the call returned without painting the dialog\n", stderr);
                return 1;
            }
            if (i >= 0) {
                memoryAdded.push_back(static_cast<double>(whileOpen) - static_cast<double>(before));
            }
            double start = 0;
            double floorTime = 0;
            {
                FirstPaintWatcher watcher;
                start = Stopwatch::Now();
                ::DialogBoxIndirectParamW(library, dialogTemplate, nullptr, &DoNothing, 0);
                floorTime = watcher.CompletedAt() - start;
            }
            if (i >= 0) {
                libraryTimes.push_back(libraryTime);
                floorTimes.push_back(floorTime);
            }
        }
        rows.push_back({"call to first complete paint", Summary::Of(libraryTimes), Summary::Of(floorTimes), "ms", 1e3});
        rows.push_back({"memory a call adds while open", Summary::Of(memoryAdded), {0, 0, 0}, "KB", 1.0 / 1024});
    }

    // A session: from one word's return to the next dialog's first complete paint, the
    // host's own work included, against the same bare dialog.
    if (!stationData.empty()) {
        g_library = rastStartDialog;
        g_bareModule = library;
        g_bareTemplate = dialogTemplate;
        BenchSession(stationData, team, std::max(1, iterations / 10), rows);
        BenchWordPreparation("word in its line, 72-dpi page", stationData + L"\\page", L".png", std::max(1, iterations / 20),
                             rows);
        BenchWordPreparation("word in its line, 300-dpi page", stationData + L"\\scans\\8087_054.3B",
                             L".tif", std::max(1, iterations / 100), rows);
        if (!engine.empty()) {
            const std::wstring scan = stationData + L"\\scans\\8087_054.3B.tif";
            BenchPaintUnderLoad(scan, engine, std::max(1, iterations / 10), rows);
            BenchPageTurn(scan, engine, std::max(1, iterations / 50), rows);
        }
    }

    PrintTable(rows);
    rows.clear();

    // The picture: a typical word, and the worst case where every pixel is a run of its own.
    {
        g_layer1.clear();
        g_layer2.clear();
        TypicalInk(TARSIL_PICTURE_WIDTH, TARSIL_PICTURE_HEIGHT, &RecordLayer1);
        TypicalUncertain(TARSIL_PICTURE_WIDTH, TARSIL_PICTURE_HEIGHT, &RecordLayer2);
        BenchPicture("picture, typical word", iterations, rows);

        g_layer1.clear();
        g_layer2.clear();
        for (short y = 0; y < TARSIL_PICTURE_HEIGHT; ++y) {
            for (short x = 0; x < TARSIL_PICTURE_WIDTH; ++x) {
                g_layer1.push_back({x, x, y});
                g_layer2.push_back({x, x, y});
            }
        }
        BenchPicture("picture, every pixel a run", std::max(3, iterations / 10), rows);
        PrintTable(std::vector<Row>(rows.end() - 4, rows.end()));
    }

    // The DLL's size.
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(library, path, MAX_PATH);
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    ::GetFileAttributesExW(path, GetFileExInfoStandard, &attributes);
    std::printf("%-34s %10.1f KB\n", "size of TarsilDlg29.dll", attributes.nFileSizeLow / 1024.0);
    std::printf("(%d iterations per side)\n", iterations);
    return 0;
}
