#include "PictureBench.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "MeasuredDialog.h"
#include "TarsilDlg29.h"
#include "entry/PictureColours.h"
#include "entry/PictureLayers.h"
#include "framework/CDC.h"
#include "picture/PictureRenderer.h"

namespace {

struct Run {
    short xFrom, xTo, y;
};

// The layers' runs, replayed by the library's callbacks, which take no context.
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

// Times the recorded runs drawn both ways.
void BenchPicture(const char* name, int repetitions, std::vector<BenchRow>& rows)
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

} // namespace

void PictureBench::Run(int iterations, std::vector<BenchRow>& rows)
{
    g_layer1.clear();
    g_layer2.clear();
    MeasuredDialog::TypicalInk(TARSIL_PICTURE_WIDTH, TARSIL_PICTURE_HEIGHT, &RecordLayer1);
    MeasuredDialog::TypicalUncertain(TARSIL_PICTURE_WIDTH, TARSIL_PICTURE_HEIGHT, &RecordLayer2);
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
}
