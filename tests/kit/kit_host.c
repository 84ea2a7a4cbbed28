/* A host in plain C, linked against the installed kit. It verifies one word as an operator
 * would, driving the dialog from a timer on its own thread, and checks every value that
 * crosses the boundary. Prints "kit host: ok" and exits with 0 when all of them hold. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "TarsilDlg29.h"

static HWND g_dialog;
static int g_step;
static int g_failures;
static int g_lookups;
static wchar_t g_caption[64];

#define CHECK(condition)                                                   \
    do {                                                                   \
        if (!(condition)) {                                                \
            printf("kit host: check failed: %s (line %d)\n", #condition, __LINE__); \
            ++g_failures;                                                  \
        }                                                                  \
    } while (0)

static LRESULT CALLBACK WatchForDialog(int code, WPARAM wParam, LPARAM lParam)
{
    wchar_t className[16];
    if (code == HCBT_CREATEWND && g_dialog == NULL && GetClassNameW((HWND)wParam, className, 16) > 0 &&
        wcscmp(className, L"#32770") == 0) {
        g_dialog = (HWND)wParam;
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

static void CALLBACK Operate(HWND window, UINT message, UINT_PTR id, DWORD time)
{
    (void)window; (void)message; (void)id; (void)time;
    if (g_dialog == NULL || !IsWindowVisible(g_dialog)) {
        return;
    }
    switch (g_step++) {
    case 0:
        GetWindowTextW(g_dialog, g_caption, 64);
        SetDlgItemTextW(g_dialog, 1000, L"corrected");
        SetDlgItemTextW(g_dialog, 1001, L"31.25");
        PostMessageW(GetDlgItem(g_dialog, 1008), BM_CLICK, 0, 0);
        break;
    case 1:
        PostMessageW(GetDlgItem(g_dialog, IDOK), BM_CLICK, 0, 0);
        break;
    default:
        break;
    }
}

static const wchar_t* WINAPI Lookup(int textId)
{
    ++g_lookups;
    return textId == 102 ? L"Kit host" : NULL;
}

#define WIDE_(text) L##text
#define WIDE(text) WIDE_(text)

/* The kit states its version three times: the CMake package, the header and the DLL's
 * version resource (the fixed part and the strings). All of them must agree. */
static void CheckVersionsAgree(void)
{
    wchar_t path[MAX_PATH];
    DWORD ignored = 0, size;
    BOOL readable;
    static unsigned char info[4096];
    VS_FIXEDFILEINFO* fixed = NULL;
    wchar_t* text = NULL;
    UINT length = 0;

    CHECK(strcmp(KIT_PACKAGE_VERSION, TARSILDLG29_VERSION_STRING) == 0);

    CHECK(GetModuleFileNameW(GetModuleHandleW(L"TarsilDlg29.dll"), path, MAX_PATH) > 0);
    size = GetFileVersionInfoSizeW(path, &ignored);
    readable = size > 0 && size <= sizeof info && GetFileVersionInfoW(path, 0, size, info);
    CHECK(readable);
    if (!readable) {
        return;
    }
    CHECK(VerQueryValueW(info, L"\\", (void**)&fixed, &length) && fixed != NULL);
    if (fixed != NULL) {
        CHECK(fixed->dwFileVersionMS == MAKELONG(TARSILDLG29_VERSION_MINOR, TARSILDLG29_VERSION_MAJOR));
        CHECK(fixed->dwFileVersionLS == MAKELONG(TARSILDLG29_VERSION_TWEAK, TARSILDLG29_VERSION_PATCH));
        CHECK(fixed->dwProductVersionMS == fixed->dwFileVersionMS);
        CHECK(fixed->dwProductVersionLS == fixed->dwFileVersionLS);
    }
    CHECK(VerQueryValueW(info, L"\\StringFileInfo\\040904b0\\FileVersion", (void**)&text, &length) &&
          wcscmp(text, WIDE(TARSILDLG29_VERSION_STRING)) == 0);
    CHECK(VerQueryValueW(info, L"\\StringFileInfo\\040904b0\\ProductVersion", (void**)&text, &length) &&
          wcscmp(text, WIDE(TARSILDLG29_VERSION_STRING)) == 0);
}

static void WINAPI DrawLayer(int width, int height, RunFn run)
{
    (void)width; (void)height;
    run(0, 10, 0);
}

int main(void)
{
    wchar_t text[TARSIL_MAX_LENGTH + 1] = L"recognised";
    double size = 12.5, orientation = -3.0;
    int reserved = 0, train = 5, unchanged = 5;
    HHOOK hook;
    UINT_PTR timer;
    int result;
    /* The header's function type matches the function: with -Werror a mismatch fails here. */
    RastStartDialogFn start = RastStartDialog;

    CHECK(dummyfunction() == 1);
    CheckVersionsAgree();

    /* A refused call (bad length), through the function type. */
    result = start(NULL, 0, 0, text, 84, &size, &orientation, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DrawLayer,
                             NULL, &reserved, &train, &unchanged, Lookup);
    CHECK(result == TARSIL_RESULT_CANCEL);
    CHECK(GetLastError() == ERROR_INVALID_PARAMETER);

    hook = SetWindowsHookExW(WH_CBT, WatchForDialog, NULL, GetCurrentThreadId());
    timer = SetTimer(NULL, 0, 20, Operate);
    result = RastStartDialog(NULL, 0, 0, text, 20, &size, &orientation, 90, 0, 0, 0, 255, 255, 255, 255, 0, 0,
                             DrawLayer, NULL, &reserved, &train, &unchanged, Lookup);
    KillTimer(NULL, timer);
    UnhookWindowsHookEx(hook);

    CHECK(result == TARSIL_RESULT_OK);
    CHECK(wcscmp(text, L"corrected") == 0);
    CHECK(size == 31.25);
    CHECK(orientation == -3.0);
    CHECK(reserved == 1);
    CHECK(train == 0);
    CHECK(unchanged == 0);
    CHECK(g_lookups == 11);
    CHECK(wcscmp(g_caption, L"Kit host") == 0);

    if (g_failures == 0) {
        printf("kit host: ok\n");
    }
    return g_failures == 0 ? 0 : 1;
}
