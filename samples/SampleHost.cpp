// A host of TarsilDlg29.dll: shows the Word Verification dialog for one word, its picture
// taken from an image file or rendered from the text, and prints what came back as JSON.
// Run with --help for the options.

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <limits>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ComScope.h"
#include "ImageDecoder.h"
#include "LoadedLibrary.h"
#include "ParseNumber.h"
#include "ShownPicture.h"
#include "TarsilDlg29.h"
#include "UnattendedAnswer.h"
#include "Utf8.h"
#include "WordPicture.h"

namespace {

using json = nlohmann::ordered_json;

const char kUsage[] =
    "usage: sample_host [options]\n"
    "\n"
    "Shows the Word Verification dialog for one word and prints the outcome as JSON:\n"
    "{\"result\": 1|-1|0, \"text\", \"changed\", \"size\", \"orientation\", \"train\"}.\n"
    "Exits with 0 once the dialog was shown and ended, 1 when it was not shown (the library\n"
    "refused the call or could not show it) or the image cannot be read, 2 for bad options.\n"
    "\n"
    "  --image FILE         the word's picture: an image file that Windows Imaging Component\n"
    "                       reads (PNG, BMP, TIFF, JPEG, GIF; the first frame), binarised at\n"
    "                       its own threshold and fitted into the picture (default: the\n"
    "                       text, rendered in a large font)\n"
    "  --text WORD          the recognised text (default: Tarsil)\n"
    "  --length N           the most characters the word may have, 0 to 83 (default: 40)\n"
    "  --size X             the word's size (default: 24)\n"
    "  --orientation X      the word's orientation (default: 0)\n"
    "  --confidence N       the recogniser's confidence (default: 87)\n"
    "  --kind N             2 or 3 hide the \"Train ICR?\" choice (default: 0)\n"
    "  --mode N             0, 1 or 2: which texts label the buttons (default: 0)\n"
    "  --uncertain LIST     characters the recogniser is unsure of, as indices from 0 to 82,\n"
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

bool ParseInt(const wchar_t* text, int least, int most, int& value)
{
    long long parsed = 0;
    if (!ParseInteger(std::wstring_view(text), least, most, parsed)) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

bool ParseInt(const wchar_t* text, int& value)
{
    return ParseInt(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), value);
}

bool ParseDouble(const wchar_t* text, double& value)
{
    return ParseDecimal(std::wstring_view(text), std::numeric_limits<double>::lowest(),
                        std::numeric_limits<double>::max(), value);
}

bool ParseList(const std::wstring& text, std::vector<int>& values)
{
    values.clear();
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(L',', start), text.size());
        int value = 0;
        if (!ParseInt(text.substr(start, comma - start).c_str(), 0, TARSIL_MAX_LENGTH - 1, value)) {
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
            valid = ParseInt(value, 0, TARSIL_MAX_LENGTH, options.length);
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
            valid = UnattendedAnswer::IsAnswer(options.press);
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

bool g_german = false;

const wchar_t* WINAPI LookupHostText(int id) noexcept
{
    for (const HostText& text : kTexts) {
        if (text.id == id) {
            return g_german ? text.german : text.english;
        }
    }
    return nullptr;
}

// ---- The outcome as JSON ----

// A whole number as an integer ("24", not "24.0"); JSON has no infinities or NaN, which the
// library writes as null.
json JsonNumber(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9007199254740992.0) {
        return json(static_cast<std::int64_t>(value));
    }
    return json(value);
}

// One line, with a blank after each colon and comma, non-ASCII escaped.
std::string JsonLine(const json& fields)
{
    std::string line = "{";
    for (const auto& field : fields.items()) {
        line += (line.size() > 1 ? ", " : "") + json(field.key()).dump() + ": " + field.value().dump(-1, ' ', true);
    }
    return line + "}\n";
}

// False when the console cannot take the text.
bool Print(std::FILE* stream, const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
}

// Reads the word's picture; 0, or the exit status when it cannot.
int MakePicture(const Options& options, WordPicture& picture)
{
    GreyImage image;
    std::vector<int> characterEdges;
    if (options.image.empty()) {
        image = WordPicture::RenderWord(options.text, characterEdges);
    } else {
        ImageDecoder file;
        std::string error;
        double dpi = 0;
        if (!file.Open(options.image, error) || !file.ReadFrame(0, image, dpi, error)) {
            Print(stderr, "cannot read " + WideToUtf8(options.image) + ": " + error + "\n");
            return 1;
        }
        characterEdges = WordPicture::EvenCharacterEdges(image, static_cast<int>(options.text.size()));
    }
    picture = WordPicture::FromImage(image, characterEdges, options.uncertain);
    return 0;
}

int Run(int argc, wchar_t** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Print(stderr, kUsage);
        return 2;
    }
    if (options.help) {
        Print(stdout, kUsage);
        return 0;
    }
    if (options.text.size() > static_cast<size_t>(options.length)) {
        Print(stderr, "the text is longer than --length\n");
        return 2;
    }
    g_german = options.lang == L"de";

    // COM once for the thread: the image is read, and the screenshot written, through
    // Windows Imaging Component.
    const ComScope com;
    WordPicture picture;
    if (const int status = MakePicture(options, picture); status != 0) {
        return status;
    }
    const LoadedLibrary library = LoadedLibrary::BesideProgram(L"TarsilDlg29.dll");
    const auto rastStartDialog = library.Function<RastStartDialogFn>("RastStartDialog");
    if (rastStartDialog == nullptr) {
        Print(stderr, "TarsilDlg29.dll could not be loaded from the program's folder\n");
        return 1;
    }

    wchar_t text[TARSIL_MAX_LENGTH + 1] = {};
    options.text.copy(text, options.text.size());
    double size = options.size;
    double orientation = options.orientation;
    int reserved = 0;
    int train = 0;
    int unchanged = 0;
    const TextLookupFn lookup = options.lang.empty() ? nullptr : &LookupHostText;
    int result = TARSIL_RESULT_CANCEL;
    DWORD error = ERROR_SUCCESS;
    bool shown = false;
    {
        // Also tells whether the call showed the dialog at all.
        const UnattendedAnswer unattended(options.press, options.screenshot);
        const ShownPicture onShow(picture);
        result = rastStartDialog(nullptr, options.kind, options.mode, text, options.length, &size, &orientation,
                                 options.confidence, 0, 0, 0, 255, 255, 255, 220, 0, 0, &ShownPicture::DrawInk,
                                 &ShownPicture::DrawUncertainInk, &reserved, &train, &unchanged, lookup);
        error = ::GetLastError();
        shown = unattended.DialogsOpened() > 0;
        if (unattended.ScreenshotFailed()) {
            Print(stderr, "could not write " + WideToUtf8(options.screenshot) + "\n");
        }
    }

    const bool ok = result == TARSIL_RESULT_OK;
    json outcome;
    outcome["result"] = result;
    outcome["text"] = WideToUtf8(text);
    outcome["changed"] = ok && unchanged == 0;
    outcome["size"] = JsonNumber(size);
    outcome["orientation"] = JsonNumber(orientation);
    outcome["train"] = ok ? json(train) : json(nullptr);
    if (!Print(stdout, JsonLine(outcome))) {
        return 1;
    }
    if (result == TARSIL_RESULT_CANCEL && error != ERROR_SUCCESS) {
        Print(stderr, "the library refused the call or could not show the dialog (error " + std::to_string(error) +
                          ")\n");
        return 1;
    }
    if (!shown) {
        Print(stderr, "the call returned without showing the dialog\n");
        return 1;
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& fault) {
        static_cast<void>(std::fprintf(stderr, "sample host: %s\n", fault.what()));
        return 1;
    } catch (...) {
        static_cast<void>(std::fputs("sample host: unexpected failure\n", stderr));
        return 1;
    }
}
