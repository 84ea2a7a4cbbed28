#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "TarsilDlg29.h"

// Loads TarsilDlg29.dll as a host does (by name, from the test program's folder) and
// returns its exports. TARSIL_LIBRARY names another build of it to load instead.
class TarsilLibrary {
public:
    using RastStartDialogFn = decltype(&RastStartDialog);
    using DummyFunctionFn = decltype(&dummyfunction);

    static TarsilLibrary& Get();

    HMODULE module;
    RastStartDialogFn rastStartDialog;
    DummyFunctionFn dummyFunction;

private:
    TarsilLibrary();
};

// One call of RastStartDialog with every argument a host passes, preset to a typical
// word. The caller's buffers are filled with sentinels so that tests see exactly what
// the library wrote.
struct HostCall {
    static constexpr wchar_t kTextSentinel = 0xBEEF;
    static constexpr int kIntSentinel = 0x5EED;
    static constexpr double kDoubleSentinel = -777.25;
    static constexpr size_t kBufferSize = 256;

    HostCall();

    // Puts `word` into the caller's buffer: the word, its terminator, then sentinels.
    void SetText(const std::wstring& word);
    // The caller's buffer up to its first terminator.
    std::wstring Text() const;

    // Calls the export and records its result and the thread's last error.
    int Run();

    // Success when the last call left every caller variable as it found it: the whole
    // text buffer, size, orientation and the three out-values.
    testing::AssertionResult NothingWritten() const;

    HWND parent = nullptr;
    int kind = 0;
    int mode = 0;
    std::array<wchar_t, kBufferSize> buffer{};
    wchar_t* text; // points into `buffer` unless a test changes it
    int length = 20;
    double sizeValue = 12.5;
    double orientationValue = 0.0;
    double* size = &sizeValue;
    double* orientation = &orientationValue;
    int confidence = 87;
    int colours[9] = {0, 0, 0, 255, 255, 255, 255, 0, 0};
    LayerDrawFn drawLayer1;
    LayerDrawFn drawLayer2 = nullptr;
    int reservedValue = kIntSentinel;
    int trainValue = kIntSentinel;
    int unchangedValue = kIntSentinel;
    int* reservedOut = &reservedValue;
    int* trainOut = &trainValue;
    int* unchangedOut = &unchangedValue;
    TextLookupFn lookup = nullptr;

    int result = 12345;
    DWORD lastError = 0;

    // The caller's variables as the last call found them.
    struct Variables {
        std::array<wchar_t, kBufferSize> buffer{};
        double size = 0;
        double orientation = 0;
        int reserved = 0;
        int train = 0;
        int unchanged = 0;
    };
    Variables before;

    // A layer painter that draws nothing, so that the dialog is shown.
    static void WINAPI NoRuns(int width, int height, RunFn run);
};
