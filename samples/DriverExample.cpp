// How a host's own tests can drive the Word Verification dialog: the operator corrects
// the word, says not to train, and presses OK; the test checks what the host got back
// and what the picture showed. Exits with 0 when everything holds.

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "TarsilDlg29.h"
#include "TarsilDlg29Driver.h"

namespace {

// The host's word picture: one black bar across picture row 10.
void WINAPI DrawBar(int, int, RunFn run)
{
    run(0, 99, 10);
}

int g_failures = 0;

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::printf("driver example: %s does not hold\n", what);
        ++g_failures;
    }
}

} // namespace

int main()
{
    wchar_t text[TARSIL_MAX_LENGTH + 1] = L"recognised";
    double size = 12.0;
    double orientation = 0.0;
    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    COLORREF onTheBar = 0;
    COLORREF besideTheBar = 0;

    tarsil::DialogDriver driver;
    driver
        .Do([&](tarsil::DialogDriver& d) {
            onTheBar = d.PicturePixel(50, 10);
            besideTheBar = d.PicturePixel(50, 11);
        })
        .Type(1000, L"corrected") // the text field
        .Click(1008)              // No: do not train
        .Click(IDOK);
    const int result = RastStartDialog(nullptr, 0, 0, text, 40, &size, &orientation, 90, 0, 0, 0, 255, 255, 255, 255,
                                       0, 0, &DrawBar, nullptr, &reserved, &train, &unchanged, nullptr);

    Check(!driver.TimedOut(), "the dialog ended in time");
    Check(result == TARSIL_RESULT_OK, "result is OK");
    Check(std::wcscmp(text, L"corrected") == 0, "the corrected text came back");
    Check(unchanged == 0, "the text is reported changed");
    Check(train == 0, "train is 0");
    Check(onTheBar == RGB(0, 0, 0), "the bar is black");
    Check(besideTheBar == RGB(255, 255, 255), "the background is white");
    if (g_failures == 0) {
        std::printf("driver example: ok\n");
    }
    return g_failures == 0 ? 0 : 1;
}
