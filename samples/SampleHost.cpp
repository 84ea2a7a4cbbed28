// A small host of TarsilDlg29.dll: shows the Word Verification dialog for a sample word
// and prints what came back as JSON.
//
//   sample_host [--lang en|de] [--mode N] [--press ok|ignore|cancel] [--screenshot FILE.png]
//
// --lang supplies every text of the dialog from the host (English or German); without it
// the dialog shows its built-in texts. --mode chooses the dialog's mode (0, 1 or 2).
// With --press the host presses that button itself once the dialog is painted; with
// --screenshot it first saves a picture of the dialog. Without either, a person uses it.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PngWriter.h"
#include "TarsilDlg29.h"

namespace {

struct Options {
    std::wstring press;      // "", "ok", "ignore" or "cancel"
    std::wstring screenshot; // PNG path, or empty
    std::wstring lang;       // "", "en" or "de"
    int mode = 0;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--press" && i + 1 < argc) {
            options.press = argv[++i];
            if (options.press != L"ok" && options.press != L"ignore" && options.press != L"cancel") {
                return false;
            }
        } else if (arg == L"--screenshot" && i + 1 < argc) {
            options.screenshot = argv[++i];
        } else if (arg == L"--lang" && i + 1 < argc) {
            options.lang = argv[++i];
            if (options.lang != L"en" && options.lang != L"de") {
                return false;
            }
        } else if (arg == L"--mode" && i + 1 < argc) {
            options.mode = _wtoi(argv[++i]);
        } else {
            return false;
        }
    }
    return true;
}

// ---- Unattended runs: find the dialog, photograph it, press a button ----

Options g_options;
HWND g_dialog = nullptr;
bool g_done = false;

LRESULT CALLBACK WatchForDialog(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && g_dialog == nullptr) {
        wchar_t className[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(wParam), className, 16);
        if (std::wstring(className) == L"#32770") {
            g_dialog = reinterpret_cast<HWND>(wParam);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool SaveScreenshot(HWND window, const std::wstring& path)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();

    std::vector<std::uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        rgb[i * 3 + 0] = pixels[i * 4 + 2];
        rgb[i * 3 + 1] = pixels[i * 4 + 1];
        rgb[i * 3 + 2] = pixels[i * 4 + 0];
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return WritePng(path, width, height, rgb);
}

void CALLBACK ActOnDialog(HWND, UINT, UINT_PTR, DWORD)
{
    // Timer messages arrive only once nothing else is waiting, so the dialog is painted.
    if (g_done || g_dialog == nullptr || !::IsWindowVisible(g_dialog)) {
        return;
    }
    g_done = true;
    if (!g_options.screenshot.empty() && !SaveScreenshot(g_dialog, g_options.screenshot)) {
        std::fwprintf(stderr, L"could not write %ls\n", g_options.screenshot.c_str());
    }
    const int button = g_options.press == L"ok" ? IDOK : g_options.press == L"ignore" ? 1009 : IDCANCEL;
    if (!g_options.press.empty()) {
        ::PostMessageW(::GetDlgItem(g_dialog, button), BM_CLICK, 0, 0);
    }
}

// ---- The host's texts ----

struct HostText {
    int id;
    const wchar_t* english;
    const wchar_t* german;
};

// Every text id the dialog asks for.
const HostText kTexts[] = {
    {102, L"Word Verification", L"Wortpr\u00fcfung"},
    {1007, L"  &Yes", L"  &Ja"},
    {1008, L"  &No", L"  &Nein"},
    {1013, L"    Enter Text:", L"    Text:"},
    {1014, L"   Size:", L"   Gr\u00f6\u00dfe:"},
    {1015, L"   Orientation:", L"   Winkel:"},
    {1016, L"    Confidence:", L"    Konfidenz:"},
    {1022, L"   Train ICR?", L"   ICR lernen?"},
    {2, L"  &Cancel ", L"  &Abbrechen "},
    {1009, L"  &Ignore  ", L" &Ignorieren "},
    {1, L"   &OK   ", L"   &OK   "},
    {1067, L"  &Accept  ", L" &Weiter "},
    {1068, L"  &Skip  ", L" &Sp\u00e4ter "},
    {1069, L"Error Message", L"Fehlermeldung"},
    {1070, L" Size cannot be negative.", L" Die Gr\u00f6\u00dfe darf nicht negativ sein."},
    {1071, L" No text was entered.", L" Es wurde kein Text eingegeben."},
    {1072, L"   Learn word?", L"   Wort lernen?"},
    {1073, L"Word Verification (review)", L"Wortpr\u00fcfung (Nachkontrolle)"},
};

const wchar_t* WINAPI LookupHostText(int id)
{
    for (const HostText& text : kTexts) {
        if (text.id == id) {
            return g_options.lang == L"de" ? text.german : text.english;
        }
    }
    return nullptr;
}

// ---- The word ----

void WINAPI DrawInk(int, int, RunFn)
{
}

std::string JsonString(const wchar_t* text)
{
    std::string out = "\"";
    for (; *text != L'\0'; ++text) {
        const wchar_t c = *text;
        if (c == L'"' || c == L'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out + "\"";
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (!ParseOptions(argc, argv, g_options)) {
        std::fputs("usage: sample_host [--lang en|de] [--mode N] [--press ok|ignore|cancel] [--screenshot FILE.png]\n",
                   stderr);
        return 2;
    }

    HMODULE library = ::LoadLibraryW(L"TarsilDlg29.dll");
    if (library == nullptr) {
        std::fputs("TarsilDlg29.dll could not be loaded\n", stderr);
        return 1;
    }
    using RastStartDialogFn = decltype(&RastStartDialog);
    const auto rastStartDialog = reinterpret_cast<RastStartDialogFn>(
        reinterpret_cast<void*>(::GetProcAddress(library, "RastStartDialog")));

    HHOOK hook = nullptr;
    UINT_PTR timer = 0;
    if (!g_options.press.empty() || !g_options.screenshot.empty()) {
        hook = ::SetWindowsHookExW(WH_CBT, &WatchForDialog, nullptr, ::GetCurrentThreadId());
        timer = ::SetTimer(nullptr, 0, 50, &ActOnDialog);
    }

    wchar_t text[TARSIL_MAX_LENGTH + 1] = L"Tarsil";
    double size = 24.0;
    double orientation = 0.0;
    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    const TextLookupFn lookup = g_options.lang.empty() ? nullptr : &LookupHostText;
    const int result = rastStartDialog(nullptr, 0, g_options.mode, text, 20, &size, &orientation, 87, 0, 0, 0, 255,
                                       255, 255, 220, 0, 0, &DrawInk, nullptr, &reserved, &train, &unchanged,
                                       lookup);

    if (timer != 0) {
        ::KillTimer(nullptr, timer);
        ::UnhookWindowsHookEx(hook);
    }

    std::printf("{\"result\": %d", result);
    if (result == TARSIL_RESULT_OK) {
        std::printf(", \"text\": %s, \"changed\": %s, \"size\": %.17g, \"orientation\": %.17g, \"train\": %d",
                    JsonString(text).c_str(), unchanged ? "false" : "true", size, orientation, train);
    }
    std::printf("}\n");
    ::FreeLibrary(library);
    return 0;
}
