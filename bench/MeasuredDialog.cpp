#include "MeasuredDialog.h"

#include "FirstPaintWatcher.h"
#include "Stopwatch.h"

namespace {

INT_PTR CALLBACK DoNothing(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

} // namespace

void WINAPI MeasuredDialog::TypicalInk(int, int, RunFn run)
{
    for (short y = 20; y < 180; ++y) {
        for (short x = 40; x < 480; x += 25) {
            run(x, static_cast<short>(x + 6 + (y % 7)), y);
        }
    }
}

void WINAPI MeasuredDialog::TypicalUncertain(int, int, RunFn run)
{
    for (short y = 20; y < 180; ++y) {
        run(300, 330, y);
    }
}

double MeasuredDialog::TypicalCallToFirstPaint(SIZE_T& whileOpen) const
{
    wchar_t text[84] = L"Tarsil";
    double size = 24;
    double orientation = 0;
    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    FirstPaintWatcher watcher;
    const double start = Stopwatch::Now();
    call(nullptr, 0, 0, text, 40, &size, &orientation, 87, 0, 0, 0, 255, 255, 255, 220, 0, 0, &TypicalInk,
         &TypicalUncertain, &reserved, &train, &unchanged, nullptr);
    whileOpen = watcher.MemoryWhileOpen();
    return watcher.CompletedAt() > 0 ? watcher.CompletedAt() - start : 0;
}

double MeasuredDialog::BareDialog() const
{
    FirstPaintWatcher bare;
    const double start = Stopwatch::Now();
    ::DialogBoxIndirectParamW(module, bareTemplate, nullptr, &DoNothing, 0);
    return bare.CompletedAt() - start;
}
