#pragma once

#include <string>

// What tarsil_verify is asked to do, from its command line.
class StationOptions {
public:
    std::wstring image;
    std::wstring tsv;
    std::wstring hocr;
    std::wstring ocr;     // TSV, hOCR, ALTO or PAGE XML, told by its content
    std::wstring answers; // "recognised<TAB>typed" lines, typed into the dialogs
    std::wstring out; // empty: next to the image, "<image>.verified"
    double below = 90;
    double charBelow = 90;
    bool restart = false;
    std::wstring press;       // "", "ok", "ignore" or "cancel"
    std::wstring screenshots; // folder, or empty
    bool help = false;

    // Reads the command line; false, with the reason in `error`, when it is not usable.
    bool Parse(int argc, const wchar_t* const* argv, std::string& error);
    // The output folder: `out`, or its default.
    std::wstring OutputFolder() const;

    static const char* Usage();
};
