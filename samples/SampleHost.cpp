// A host of TarsilDlg29.dll: shows the Word Verification dialog for one word, its picture
// taken from a BMP file or rendered from the text, and prints what came back as JSON.
// Run with --help for the options.

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <algorithm>
#include <string>
#include <vector>

#include "GreyImage.h"
#include "TarsilDlg29.h"
#include "WindowShot.h"
#include "WordPicture.h"

namespace {

const char kUsage[] =
    "usage: sample_host [options]\n"
    "\n"
    "Shows the Word Verification dialog for one word and prints the outcome as JSON:\n"
    "{\"result\": 1|-1|0, \"text\", \"changed\", \"size\", \"orientation\", \"train\"}.\n"
    "Exits with 0 once the dialog was shown and ended, 1 when it was not shown (the library\n"
    "refused the call or could not show it) or the image cannot be read, 2 for bad options.\n"
    "\n"
    "  --image FILE.bmp     the word's picture (default: the text, rendered in a large font)\n"
    "  --text WORD          the recognised text (default: Tarsil)\n"
    "  --length N           the most characters the word may have, 0 to 83 (default: 40)\n"
    "  --size X             the word's size (default: 24)\n"
    "  --orientation X      the word's orientation (default: 0)\n"
    "  --confidence N       the recogniser's confidence (default: 87)\n"
    "  --kind N             2 or 3 hide the \"Train ICR?\" choice (default: 0)\n"
    "  --mode N             0, 1 or 2: which texts label the buttons (default: 0)\n"
    "  --uncertain LIST     characters the recogniser is unsure of, as indices from 0,\n"
    "                       comma-separated; drawn in red (default: 2). For an image file\n"
    "                       the characters are taken to share the ink's width evenly.\n"
    "  --lang en|de         the dialog's texts from this host, in English or German\n"
    "                       (default: the library's built-in texts)\n"
    "  --press ok|ignore|cancel  press that button once the dialog is painted\n"
    "  --screenshot FILE.png     save a picture of the dialog first\n"
    "  --help               this text\n";

struct Options {
    std::wstring image;
    std::wstring text = L"Tarsil";
    int length = 40;
    double size = 24.0;
    double orientation = 0.0;
    int confidence = 87;
    int kind = 0;
    int mode = 0;
    std::vector<int> uncertain{2};
    std::wstring lang;       // "", "en" or "de"
    std::wstring press;      // "", "ok", "ignore" or "cancel"
    std::wstring screenshot; // PNG path, or empty
    bool help = false;
};

bool ParseInt(const wchar_t* text, int& value)
{
    wchar_t* end = nullptr;
    const long parsed = std::wcstol(text, &end, 10);
    value = static_cast<int>(parsed);
    return end != text && *end == L'\0';
}

bool ParseDouble(const wchar_t* text, double& value)
{
    wchar_t* end = nullptr;
    value = std::wcstod(text, &end);
    return end != text && *end == L'\0';
}

bool ParseList(const std::wstring& text, std::vector<int>& values)
{
    values.clear();
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(L',', start), text.size());
        int value = 0;
        if (!ParseInt(text.substr(start, comma - start).c_str(), value)) {
            return false;
        }
        values.push_back(value);
        start = comma + 1;
    }
    return true;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--help") {
            options.help = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const wchar_t* value = argv[++i];
        bool valid = true;
        if (arg == L"--image") {
            options.image = value;
        } else if (arg == L"--text") {
            options.text = value;
        } else if (arg == L"--length") {
            valid = ParseInt(value, options.length) && options.length >= 0 && options.length <= TARSIL_MAX_LENGTH;
        } else if (arg == L"--size") {
            valid = ParseDouble(value, options.size);
        } else if (arg == L"--orientation") {
            valid = ParseDouble(value, options.orientation);
        } else if (arg == L"--confidence") {
            valid = ParseInt(value, options.confidence);
        } else if (arg == L"--kind") {
            valid = ParseInt(value, options.kind);
        } else if (arg == L"--mode") {
            valid = ParseInt(value, options.mode);
        } else if (arg == L"--uncertain") {
            valid = ParseList(value, options.uncertain);
        } else if (arg == L"--lang") {
            options.lang = value;
            valid = options.lang == L"en" || options.lang == L"de";
        } else if (arg == L"--press") {
            options.press = value;
            valid = options.press == L"ok" || options.press == L"ignore" || options.press == L"cancel";
        } else if (arg == L"--screenshot") {
            options.screenshot = value;
        } else {
            valid = false;
        }
        if (!valid) {
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

WordPicture g_picture;

void DrawRuns(const std::vector<WordPicture::Run>& runs, RunFn run)
{
    for (const WordPicture::Run& r : runs) {
        run(r.xFrom, r.xTo, r.y);
    }
}

void WINAPI DrawInk(int, int, RunFn run)
{
    DrawRuns(g_picture.Ink(), run);
}

void WINAPI DrawUncertain(int, int, RunFn run)
{
    DrawRuns(g_picture.Uncertain(), run);
}

// JSON has no infinities or NaN: those are written as null.
std::string JsonNumber(double value)
{
    if (!std::isfinite(value)) {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
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
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (g_options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (g_options.text.size() > static_cast<size_t>(g_options.length)) {
        std::fputs("the text is longer than --length\n", stderr);
        return 2;
    }

    GreyImage image;
    std::vector<int> characterEdges;
    if (g_options.image.empty()) {
        image = WordPicture::RenderWord(g_options.text, characterEdges);
    } else {
        std::string error;
        if (!ReadBmp(g_options.image, image, error)) {
            std::fprintf(stderr, "cannot read %ls: %s\n", g_options.image.c_str(), error.c_str());
            return 1;
        }
        characterEdges = WordPicture::EvenCharacterEdges(image, static_cast<int>(g_options.text.size()));
    }
    g_picture = WordPicture::FromImage(image, characterEdges, g_options.uncertain);

    HMODULE library = ::LoadLibraryW(L"TarsilDlg29.dll");
    if (library == nullptr) {
        std::fputs("TarsilDlg29.dll could not be loaded\n", stderr);
        return 1;
    }
    using RastStartDialogFn = decltype(&RastStartDialog);
    const auto rastStartDialog = reinterpret_cast<RastStartDialogFn>(
        reinterpret_cast<void*>(::GetProcAddress(library, "RastStartDialog")));

    // The hook also tells whether the call showed the dialog at all.
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &WatchForDialog, nullptr, ::GetCurrentThreadId());
    UINT_PTR timer = 0;
    if (!g_options.press.empty() || !g_options.screenshot.empty()) {
        timer = ::SetTimer(nullptr, 0, 50, &ActOnDialog);
    }

    wchar_t text[TARSIL_MAX_LENGTH + 1] = {};
    g_options.text.copy(text, g_options.text.size());
    double size = g_options.size;
    double orientation = g_options.orientation;
    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    const TextLookupFn lookup = g_options.lang.empty() ? nullptr : &LookupHostText;
    const int result = rastStartDialog(nullptr, g_options.kind, g_options.mode, text, g_options.length, &size,
                                       &orientation, g_options.confidence, 0, 0, 0, 255, 255, 255, 220, 0, 0,
                                       &DrawInk, &DrawUncertain, &reserved, &train, &unchanged, lookup);
    const DWORD error = ::GetLastError();

    if (timer != 0) {
        ::KillTimer(nullptr, timer);
    }
    ::UnhookWindowsHookEx(hook);

    const bool ok = result == TARSIL_RESULT_OK;
    std::printf("{\"result\": %d, \"text\": %s, \"changed\": %s, \"size\": %s, \"orientation\": %s, \"train\": %s}\n",
                result, JsonString(text).c_str(), ok && !unchanged ? "true" : "false", JsonNumber(size).c_str(),
                JsonNumber(orientation).c_str(), ok ? std::to_string(train).c_str() : "null");
    ::FreeLibrary(library);
    if (result == TARSIL_RESULT_CANCEL && error != ERROR_SUCCESS) {
        std::fprintf(stderr, "the library refused the call or could not show the dialog (error %lu)\n", error);
        return 1;
    }
    if (g_dialog == nullptr) {
        std::fputs("the call returned without showing the dialog\n", stderr);
        return 1;
    }
    return 0;
}
