#include "StationOptions.h"

#include <cmath>
#include <cwchar>

#include "Utf8.h"

namespace {

bool ParseThreshold(const wchar_t* text, double& value)
{
    wchar_t* end = nullptr;
    value = std::wcstod(text, &end);
    return end != text && *end == L'\0' && std::isfinite(value);
}

} // namespace

const char* StationOptions::Usage()
{
    return "usage: tarsil_verify --image PAGE (--ocr FILE | --tsv FILE | --hocr FILE | both) [options]\n"
           "\n"
           "Shows the Word Verification dialog for each word of a scanned page that the\n"
           "recogniser (Tesseract) is unsure of, in reading order, and writes what the\n"
           "operator confirmed and corrected.\n"
           "\n"
           "  --image FILE       the page: PNG, TIFF, JPEG, BMP, GIF (whatever Windows\n"
           "                     Imaging Component reads); its DPI turns pixels into points\n"
           "                     (300 when the file states none that is plausible)\n"
           "  --ocr FILE         the recogniser's output, whichever format its content is:\n"
           "                     Tesseract's TSV or hOCR, ALTO (v2, v3, v4) or PAGE XML\n"
           "                     (2013, 2019)\n"
           "  --tsv FILE         Tesseract's TSV output (tesseract PAGE OUT tsv)\n"
           "  --hocr FILE        Tesseract's hOCR with character boxes\n"
           "                     (tesseract PAGE OUT -c hocr_char_boxes=1 hocr): marks the\n"
           "                     uncertain characters and gives each line's size and angle\n"
           "  --below N          show only the words whose confidence is below N (default 90)\n"
           "  --char-below N     characters below N are drawn in red (default 90)\n"
           "  --out DIR          where the results go (default: IMAGE.verified next to the\n"
           "                     image)\n"
           "  --restart          forget the answers of an earlier session in DIR\n"
           "  --press ok|ignore|cancel  answer every dialog by itself once it has painted\n"
           "  --answers FILE     UTF-8 lines \"recognised<TAB>typed\": a dialog showing the\n"
           "                     recognised text gets the typed one in its text field first\n"
           "  --screenshots DIR  save each dialog as DIR/NNNN.png (NNNN: the word's index)\n"
           "  --help             this text\n"
           "\n"
           "OK: the word is verified (corrected or not), and marked for training when Train\n"
           "ICR? is Yes. Ignore: the word stays as recognised. Cancel, Escape or the close\n"
           "box: the session stops, keeping every answer so far; a later run with the same\n"
           "inputs shows only the words not yet answered.\n"
           "\n"
           "Written in DIR, each file replaced whole after every answer:\n"
           "  verified.tsv   the input TSV, each verified word's text replaced by the\n"
           "                 operator's and its conf set to 100 (with a TSV only)\n"
           "  verified.hocr, verified.xml  the input hOCR, ALTO or PAGE document with only\n"
           "                 the verified words changed: the operator's text, certain\n"
           "  text.txt       the page's text, one line per recognised line, corrected\n"
           "  train/NNNN.png, train/NNNN.gt.txt  each word confirmed for training: its\n"
           "                 image (grey, the page's resolution) and its text, the line\n"
           "                 ground truth that Tesseract's training (tesstrain) reads\n"
           "  session.json   the inputs, the thresholds and every word shown or skipped\n"
           "\n"
           "Exit status: 0 when the session ran (finished or cancelled), 2 for bad input,\n"
           "1 when the dialog could not be shown.\n";
}

bool StationOptions::Parse(int argc, const wchar_t* const* argv, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--help") {
            help = true;
            continue;
        }
        if (option == L"--restart") {
            restart = true;
            continue;
        }
        std::wstring* text = option == L"--image"         ? &image
                             : option == L"--tsv"         ? &tsv
                             : option == L"--hocr"        ? &hocr
                             : option == L"--ocr"         ? &ocr
                             : option == L"--answers"     ? &answers
                             : option == L"--out"         ? &out
                             : option == L"--press"       ? &press
                             : option == L"--screenshots" ? &screenshots
                                                          : nullptr;
        double* number = option == L"--below" ? &below : option == L"--char-below" ? &charBelow : nullptr;
        if (text == nullptr && number == nullptr) {
            error = "unknown option " + WideToUtf8(option);
            return false;
        }
        if (i + 1 >= argc) {
            error = WideToUtf8(option) + " needs a value";
            return false;
        }
        const wchar_t* value = argv[++i];
        if (text != nullptr) {
            *text = value;
        } else if (!ParseThreshold(value, *number)) {
            error = WideToUtf8(option) + " needs a number, not \"" + WideToUtf8(value) + "\"";
            return false;
        }
    }
    if (help) {
        return true;
    }
    if (image.empty()) {
        error = "--image is missing";
    } else if (ocr.empty() && tsv.empty() && hocr.empty()) {
        error = "--ocr, --tsv or --hocr is missing: the station needs the recogniser's output";
    } else if (!press.empty() && press != L"ok" && press != L"ignore" && press != L"cancel") {
        error = "--press takes ok, ignore or cancel";
    }
    return error.empty();
}

std::wstring StationOptions::OutputFolder() const
{
    return out.empty() ? image + L".verified" : out;
}
