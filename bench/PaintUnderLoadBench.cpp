#include "PaintUnderLoadBench.h"

#include <windows.h>

#include "OwnedHandle.h"
#include "StationOptions.h"
#include "TesseractEngine.h"

void PaintUnderLoadBench::Run(const MeasuredDialog& dialog, const std::wstring& scan, const std::wstring& engine,
                              int rounds, std::vector<BenchRow>& rows)
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
        OwnedHandle cancel;
    } load{&tesseract, scan, std::wstring(temporary) + L"tarsil-bench-load",
           OwnedHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr))};
    const auto timeDialogs = [&dialog](int count, std::vector<double>& times) {
        for (int i = 0; i < count; ++i) {
            SIZE_T whileOpen = 0;
            const double time = dialog.TypicalCallToFirstPaint(whileOpen);
            if (time > 0) {
                times.push_back(time);
            }
        }
    };
    std::vector<double> idle;
    std::vector<double> loaded;
    for (int round = 0; round < rounds; ++round) {
        timeDialogs(10, idle);
        ::ResetEvent(load.cancel.get());
        const OwnedHandle worker(::CreateThread(
            nullptr, 0,
            [](void* context) noexcept -> DWORD {
                const auto* work = static_cast<Load*>(context);
                work->engine->Recognise(work->scan, 0, 1, work->base, work->cancel.get());
                return 0;
            },
            &load, CREATE_SUSPENDED, nullptr));
        ::SetThreadPriority(worker.get(), THREAD_PRIORITY_BELOW_NORMAL);
        ::ResumeThread(worker.get());
        ::Sleep(1000); // the engine past its start, recognising
        std::vector<double> block;
        timeDialogs(10, block);
        if (::WaitForSingleObject(worker.get(), 0) == WAIT_TIMEOUT) {
            loaded.insert(loaded.end(), block.begin(), block.end()); // only while it still worked
        }
        ::SetEvent(load.cancel.get());
        ::WaitForSingleObject(worker.get(), INFINITE);
        ::Sleep(1000); // the Linux engine is ended a moment after the relay
    }
    rows.push_back({"first paint, engine working", Summary::Of(loaded), Summary::Of(idle), "ms", 1e3});
}
