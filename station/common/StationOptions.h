#pragma once

#include <string>
#include <vector>

// What tarsil_verify is asked to do, from its command line.
class StationOptions {
public:
    // The batch: page images, multi-page images and folders of images, in the order given.
    std::vector<std::wstring> inputs;
    // The one-page form: one image and the recogniser's output for it.
    std::wstring image;
    std::wstring tsv;
    std::wstring hocr;
    std::wstring ocr;     // TSV, hOCR, ALTO or PAGE XML, told by its content
    std::wstring answers; // "recognised<TAB>typed" lines, typed into the dialogs
    std::wstring out; // empty: next to the image (or the first input), "<input>.verified"
    double below = 90;
    double charBelow = 90;
    bool belowGiven = false; // --below was on the command line
    // Above 0: the words shown are those that catch this percentage of each page's expected
    // wrong words (--catch); 0: those below `below`. Parse makes it the command line's
    // default, 95, when neither --catch nor --below is given outside a team (a new team's
    // batch keeps choosing by `below` then; a joining station takes the batch's rule).
    static constexpr double kDefaultCatchPercent = 95;
    double catchPercent = 0;
    bool fixedModel = false; // --fixed-model: the choice by --catch keeps the shipped weights
    // Of each page's words not chosen, the percentage shown for the audit (--audit); 0: none.
    // Parse makes it the command line's default, 3, outside a team.
    static constexpr double kDefaultAuditPercent = 3;
    double auditPercent = 0;
    bool auditGiven = false;
    int auditSeed = -1; // the audit's draws come from it (--audit-seed); -1: one drawn at the start
    bool restart = false;
    std::wstring press;       // "", "ok", "ignore" or "cancel"
    std::wstring screenshots; // folder, or empty
    // The engine, for the pages of a batch that have no recogniser output beside them.
    std::wstring tesseract; // empty: tesseract.exe on the PATH, else the installer's folder
    std::wstring lang;      // passed through as -l
    std::wstring secondLang; // a second model that reads each page the engine reads; empty: none
    std::wstring psm;       // passed through as --psm
    int ahead = 1;          // pages prepared ahead of the one the operator verifies
    int engineSeconds = 600; // the most one page's recognition may take
    // What the team has done so far, instead of a session: its figures printed (--status),
    // or its files written in a folder (--export DIR).
    bool status = false;
    std::wstring exportFolder;
    bool help = false;
    // A team on one batch: the ODBC connection string of the team's database and the batch's
    // name. The station keeps its answers there, not in an output folder.
    std::wstring team;
    std::wstring batch;
    int leaseSeconds = 120;  // a page held by a station that stops renewing it is free again after this
    int retrySeconds = 60;   // how long the server may stay away before the station stops
    std::wstring outbox;     // the answers the server could not take; empty: TeamStore's default
    // Ground truth: every shown word answered with the truth's text, and the yield counted.
    std::wstring truth; // folder, or empty for an operator at the dialog

    // Reads the command line; false, with the reason in `error`, when it is not usable. Every
    // path comes out full, resolved against the current folder.
    bool Parse(int argc, const wchar_t* const* argv, std::string& error);
    // True for --image with --ocr, --tsv and/or --hocr, false for a batch of INPUTs (a team's
    // batch included, which a joining station may give none of).
    bool OnePageForm() const { return inputs.empty() && team.empty(); }
    // True for --status or --export: the team's batch is read, no dialog is shown.
    bool ReportsOnTeam() const { return status || !exportFolder.empty(); }
    // The output folder: `out`, or its default.
    std::wstring OutputFolder() const;

    static const char* Usage();

private:
    void MakePathsFull();
};
