#include "StationOptions.h"

#include "ParseNumber.h"
#include "PathName.h"
#include "UnattendedAnswer.h"
#include "Utf8.h"

const char* StationOptions::Usage()
{
    return "usage: tarsil_verify [options] INPUT...\n"
           "       tarsil_verify --image PAGE (--ocr FILE | --tsv FILE | --hocr FILE)\n"
           "                     [options]\n"
           "       tarsil_verify --team CONNECTION --batch NAME [options] [INPUT...]\n"
           "       tarsil_verify --team CONNECTION --batch NAME (--status | --export DIR)\n"
           "\n"
           "Shows the Word Verification dialog for each word of a scanned page that the\n"
           "recogniser (Tesseract) is unsure of, in reading order, and writes what the\n"
           "operator confirmed and corrected.\n"
           "\n"
           "A batch: each INPUT is a page image, a multi-page image (every frame is a page)\n"
           "or a folder (its images in natural name order, page2 before page10), verified\n"
           "in the order given. A page uses the recogniser's output found beside its image\n"
           "(BASE.tsv and/or BASE.hocr, else an ALTO or PAGE XML document BASE.xml; one for\n"
           "all the frames of a multi-page file); otherwise\n"
           "the station runs Tesseract on it, in the background, ahead of the operator.\n"
           "\n"
           "  --tesseract FILE   the engine (default: tesseract.exe in a folder of the PATH,\n"
           "                     never the current folder; else the installer's\n"
           "                     C:\\Program Files\\Tesseract-OCR\\tesseract.exe)\n"
           "  --lang LANGS       passed to the engine as -l (for example eng+deu)\n"
           "  --second-lang MODEL a second model reads each page the engine reads, ahead\n"
           "                     of the operator (its output in ocr/ as NNNN-NAME.second\n"
           "                     .tsv and .hocr); a page it fails on goes on with the\n"
           "                     first reading alone. --lang and --second-lang must name\n"
           "                     models the engine has (tesseract --list-langs). Not with\n"
           "                     --team yet: a team's batch records no second model\n"
           "  --psm N            passed to the engine as --psm (0 to 13)\n"
           "  --ahead N          pages prepared ahead of the operator (default 1)\n"
           "  --engine-seconds N the most one page's recognition may take (default 600)\n"
           "\n"
           "The one-page form:\n"
           "  --image FILE       the page: PNG, TIFF, JPEG, BMP, GIF (whatever Windows\n"
           "                     Imaging Component reads); of a file with several frames (a\n"
           "                     multi-page TIFF) each frame the recogniser's output names\n"
           "                     is a page. Its DPI turns pixels into points (300 when the\n"
           "                     file states none that is plausible)\n"
           "  --ocr FILE         the recogniser's output, whichever format its content is:\n"
           "                     Tesseract's TSV, any engine's hOCR, ALTO (v2, v3, v4) or\n"
           "                     PAGE XML (2013, 2019)\n"
           "  --tsv FILE         Tesseract's TSV output (tesseract PAGE OUT tsv); with\n"
           "                     --hocr, or --ocr giving the other, both are read\n"
           "  --hocr FILE        hOCR, any engine's; Tesseract's with character boxes\n"
           "                     (tesseract PAGE OUT -c hocr_char_boxes=1 hocr): marks the\n"
           "                     uncertain characters and gives each line's size and angle\n"
           "\n"
           "A team on one batch (several stations, each its own operator):\n"
           "  --team CONNECTION  the team's PostgreSQL database, an ODBC connection string\n"
           "                     (\"Driver={PostgreSQL Unicode};Server=...;Database=...;\n"
           "                     Uid=...;\" or \"DSN=...\"); the password may come from the\n"
           "                     variable TARSIL_DB_PASSWORD instead of the string, and is\n"
           "                     never shown\n"
           "  --batch NAME       the batch: the first station creates it from its INPUTs,\n"
           "                     the others join it with the same INPUTs or none (other\n"
           "                     inputs are refused). Its rule (--catch or --below),\n"
           "                     --char-below, --lang and --psm win over a joining\n"
           "                     station's, which is told so, and a station's\n"
           "                     engine output is kept only from the engine version that\n"
           "                     made the batch's first. Each station takes one page at a\n"
           "                     time, the first no other station holds, and verifies the\n"
           "                     recogniser output the database holds for it, whichever\n"
           "                     station made it; every answer is committed to the\n"
           "                     database before the next dialog; no output folder is\n"
           "                     written (the batch's files are exported from the\n"
           "                     database). The images are read where the batch recorded\n"
           "                     them, and must not have changed; the recogniser output\n"
           "                     the database holds is cached, while the station runs, in\n"
           "                     %LOCALAPPDATA%\\TarsilVerify\\team-cache. A station that\n"
           "                     reaches the end goes round again while it finds pages\n"
           "                     whose leases ran out, then says how many others hold\n"
           "  --lease-seconds N  a page a station stops renewing (it died, or lost the\n"
           "                     server) is free for another after N s (default 120)\n"
           "  --retry-seconds N  how long the server may stay away before the station\n"
           "                     stops with exit 1 (default 60; retried with back-off, at\n"
           "                     the start and with --status and --export too)\n"
           "  --outbox FILE      where each answer waits until the server has taken it:\n"
           "                     what a run could not send, the next sends first, to the\n"
           "                     server and batch it belongs to (default:\n"
           "                     %LOCALAPPDATA%\\TarsilVerify\\team-outbox.json; stations\n"
           "                     may share it). Answers the server refuses are kept apart\n"
           "                     in NAME.refused.json beside it, not sent again: once the\n"
           "                     cause is put right, a run with --outbox naming that file\n"
           "                     sends them\n"
           "  --status           print the batch: pages by state, who holds which, each\n"
           "                     operator's words, corrections and pace, the batch's pace\n"
           "  --export DIR       write in DIR what a one-station session with the same\n"
           "                     answers writes for the pages done so far (pages, train,\n"
           "                     ocr, text.txt), from the database, while others work\n"
           "\n"
           "Both forms:\n"
           "  --catch PERCENT    show each page's words in falling probability of error\n"
           "                     until the expected share of the page's wrong words among\n"
           "                     them reaches PERCENT, 50 to 99.9 (the probability from the\n"
           "                     weights word-errors.txt beside the program); the default,\n"
           "                     at 95, when --below is not given (a new team's batch\n"
           "                     chooses by --below 90 unless its first station gives\n"
           "                     --catch); the weights are refitted on the batch's answers\n"
           "                     (in a team, every station's) after each page\n"
           "  --fixed-model      with --catch, keep the shipped weights all through\n"
           "  --below N          instead, show only the words whose confidence is below N,\n"
           "                     0 to 101 (101 shows every word)\n"
           "  --audit PERCENT    also show this percentage of each page's words not chosen,\n"
           "                     drawn at random and shown as the others are, 0 (none) to 50\n"
           "                     (default 3, and at least 20 words a batch where it has them;\n"
           "                     not with --team yet, whose batch records no audit's draws):\n"
           "                     the summary estimates from their answers\n"
           "                     the share of wrong words left among the words not shown\n"
           "  --audit-seed N     the audit's draws come from N, 0 to 2147483647 (default: one\n"
           "                     drawn at the start; the summary prints it and the journal\n"
           "                     keeps it, and a later run goes on with the session's)\n"
           "  --char-below N     characters below N are drawn in red, 0 to 101 (default 90)\n"
           "  --out DIR          where the results go (default: IMAGE.verified next to the\n"
           "                     image, or INPUT.verified next to the first input); one\n"
           "                     station at a time may use it; an input that the session\n"
           "                     would overwrite there is refused\n"
           "  --restart          forget the answers of an earlier session in DIR\n"
           "  --press ok|ignore|cancel  answer every dialog by itself once it has painted\n"
           "  --answers FILE     UTF-8 lines \"recognised<TAB>typed\": a dialog showing the\n"
           "                     recognised text gets the typed one in its text field first\n"
           "  --screenshots DIR  save each dialog as it painted, named as the word's\n"
           "                     training pair: DIR/WWWW.png (WWWW: the word's index), in\n"
           "                     a batch DIR/NNNN-NAME-WWWW.png\n"
           "  --truth DIR        no operator: every word shown is answered with its text in\n"
           "                     the page's ground truth, DIR/NAME.xml (PAGE XML or ALTO)\n"
           "                     for the image NAME.EXT, which every page must have, of\n"
           "                     its image's size; the counts of the words read one to one\n"
           "                     with the truth's, wrong, shown and caught are printed and\n"
           "                     written to yield.json in the output folder\n"
           "  --help             this text\n"
           "\n"
           "Paths may be relative to the current folder. Limits: a frame of at most\n"
           "200,000,000 pixels and 100,000 along a side; an hOCR, ALTO or PAGE document\n"
           "and the answers of at most 64 MiB, XML nested at most 100 elements deep, with\n"
           "no comment over 64 KiB; coordinates of at most 1,000,000 pixels.\n"
           "\n"
           "OK: the word is verified (corrected or not), and marked for training when Train\n"
           "ICR? is Yes. Ignore: the word stays as recognised. Cancel, Escape or the close\n"
           "box: the session stops, keeping every answer so far; a later run with the same\n"
           "inputs shows only the words not yet answered.\n"
           "\n"
           "Written in DIR, each file replaced whole (a temporary file, flushed to the disk,\n"
           "then renamed over the old one): only the journal after every answer, the others\n"
           "at the end of each page and of each run:\n"
           "  verified.tsv   the input TSV, each verified word's text replaced by the\n"
           "                 operator's and its conf set to 100 (when a TSV was given)\n"
           "  verified.hocr, verified.xml  the input hOCR, ALTO or PAGE document with only\n"
           "                 the verified words changed: the operator's text, certain\n"
           "  text.txt       the page's text, one line per recognised line, corrected\n"
           "  train/WWWW.png, train/WWWW.gt.txt  each word confirmed for training: its\n"
           "                 image (grey, the page's resolution) and its text, the line\n"
           "                 ground truth that Tesseract's training (tesstrain) reads\n"
           "  session.json   the inputs with their SHA-256, the thresholds, every page's\n"
           "                 state and every word shown or skipped, and the summary\n"
           "In a batch, each page's verified documents and text are pages/NNNN-NAME.tsv,\n"
           ".hocr, .xml (as its input) and .txt (NNNN: the page's place in the batch,\n"
           "NAME: its file's, and -frameK for a frame of a multi-page file), the training\n"
           "pairs train/NNNN-NAME-WWWW.png and .gt.txt, text.txt every page's text in\n"
           "order, and ocr/ the engine's output for the pages it read.\n"
           "A later run with inputs whose content changed is refused; --restart starts over.\n"
           "A later run goes on with the session's --catch or --below, whatever it gives,\n"
           "and recognises again a page whose output in ocr/ is missing or changed.\n"
           "Every file that can be named then is tried before the first dialog. A file\n"
           "another program holds for a moment (an indexer, a sync client, antivirus) is\n"
           "waited for, up to two seconds.\n"
           "\n"
           "Exit status:\n"
           "  0  the session ran, finished or cancelled (and --help)\n"
           "  1  the session could not go on: a dialog could not be shown, a file of DIR\n"
           "     could not be written during the run, TarsilDlg29.dll could not be\n"
           "     loaded from the program's folder, the team's server could not be reached\n"
           "     or stayed away, the server refused an answer, another failure (every\n"
           "     answer given is kept: a team's in the outbox when the server could not\n"
           "     take it, apart beside it when the server refused it)\n"
           "  2  bad input, before any dialog and with nothing written: an unusable command\n"
           "     line, an input that cannot be read or breaks a limit, no engine to be\n"
           "     found or a model it lacks, an output folder in use by another station\n"
           "     or that cannot be written, a team's batch joined with other inputs or a\n"
           "     database of a newer version; with --status or --export, a batch the team's database\n"
           "     does not have, an image that is missing or changed\n"
           "  3  the session ran, but pages are not done: the engine failed on them, or\n"
           "     their files could not be written (a later run tries them again)\n";
}

bool StationOptions::Parse(int argc, const wchar_t* const* argv, std::string& error)
{
    error.clear();
    long long whole = 0;
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
        if (option == L"--fixed-model") {
            fixedModel = true;
            continue;
        }
        if (option == L"--status") {
            status = true;
            continue;
        }
        if (option.compare(0, 2, L"--") != 0) {
            inputs.push_back(option);
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
                             : option == L"--tesseract"   ? &tesseract
                             : option == L"--lang"        ? &lang
                             : option == L"--second-lang" ? &secondLang
                             : option == L"--psm"         ? &psm
                             : option == L"--team"        ? &team
                             : option == L"--batch"       ? &batch
                             : option == L"--export"      ? &exportFolder
                             : option == L"--outbox"      ? &outbox
                             : option == L"--truth"       ? &truth
                                                          : nullptr;
        double* number = option == L"--below" ? &below : option == L"--char-below" ? &charBelow : nullptr;
        belowGiven = belowGiven || option == L"--below";
        if (option == L"--audit" || option == L"--audit-seed") {
            const bool percent = option == L"--audit";
            const std::string value = i + 1 < argc ? WideToUtf8(argv[i + 1]) : std::string();
            ++i;
            auditGiven = auditGiven || percent;
            if (percent ? !ParseDecimal(std::string_view(value), 0, 50, auditPercent)
                        : !ParseInteger(std::string_view(value), 0, 2147483647, whole)) {
                error = percent ? "--audit needs a percentage from 0 to 50, not \"" + value + "\""
                                : "--audit-seed needs a whole number from 0 to 2147483647, not \"" + value + "\"";
                return false;
            }
            auditSeed = percent ? auditSeed : static_cast<int>(whole);
            continue;
        }
        if (option == L"--catch") {
            if (i + 1 >= argc) {
                error = "--catch needs a value";
                return false;
            }
            if (!ParseDecimal(std::wstring_view(argv[++i]), 50, 99.9, catchPercent)) {
                error = "--catch needs a percentage from 50 to 99.9, not \"" + WideToUtf8(argv[i]) + "\"";
                return false;
            }
            continue;
        }
        int* count = option == L"--ahead"            ? &ahead
                     : option == L"--engine-seconds" ? &engineSeconds
                     : option == L"--lease-seconds"  ? &leaseSeconds
                     : option == L"--retry-seconds"  ? &retrySeconds
                                                     : nullptr;
        if (text == nullptr && number == nullptr && count == nullptr) {
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
        } else if (number != nullptr && !ParseDecimal(std::wstring_view(value), 0, 101, *number)) {
            error = WideToUtf8(option) + " needs a number from 0 to 101, not \"" + WideToUtf8(value) + "\"";
            return false;
        } else if (count != nullptr) {
            if (!ParseInteger(std::wstring_view(value), 1, 100000, whole)) {
                error = WideToUtf8(option) + " needs a whole number from 1, not \"" + WideToUtf8(value) + "\"";
                return false;
            }
            *count = static_cast<int>(whole);
        }
    }
    if (help) {
        return true;
    }
    MakePathsFull();
    if (ReportsOnTeam()) {
        if (team.empty() || batch.empty()) {
            error = std::string(status ? "--status" : "--export") +
                    " needs --team and --batch: the team's batch to read";
        } else if (status && !exportFolder.empty()) {
            error = "give --status or --export, not both";
        } else if (!inputs.empty() || !image.empty()) {
            error = "--status and --export read the batch from the database: they take no inputs";
        }
        return error.empty();
    }
    if (team.empty() != batch.empty()) {
        error = "--team and --batch go together: the team's database and the batch's name";
    } else if (!team.empty() && !image.empty()) {
        error = "--team takes a batch of INPUTs (or none, to join), not --image";
    } else if (!team.empty() && !truth.empty()) {
        error = "--truth counts a session of its own output folder, not a team's batch";
    } else if (!team.empty() && !secondLang.empty()) {
        // A team's batch fixes how its pages are read for every station; it does not record
        // a second model yet, so a station may not read otherwise than the others.
        error = "--second-lang is for a station of its own, not yet a team's batch";
    } else if (!team.empty() && ((auditGiven && auditPercent > 0) || auditSeed >= 0)) {
        // The team's store keeps no reason for a word's showing yet, nor the audit's draws.
        error = "--audit is for a station of its own, not yet a team's batch (--audit 0 there)";
    } else if (catchPercent > 0 && belowGiven) {
        error = "give --catch or --below, not both: each chooses the words shown";
    } else if (fixedModel && belowGiven) {
        // Accepted, it would change nothing: the confidence rule weighs no model.
        error = "--fixed-model keeps the error model of --catch; --below chooses by confidence alone";
    } else if (!team.empty() && !out.empty()) {
        error = "--team writes no output folder: the batch's files come from the database";
    } else if (!inputs.empty() && (!image.empty() || !ocr.empty() || !tsv.empty() || !hocr.empty())) {
        error = "give either INPUTs (a batch) or --image with --ocr, --tsv or --hocr (one page), not both";
    } else if (inputs.empty() && image.empty() && team.empty()) {
        error = "no input: give page images or folders, or --image";
    } else if (OnePageForm() && ocr.empty() && tsv.empty() && hocr.empty()) {
        error = "--ocr, --tsv or --hocr is missing: the station needs the recogniser's output";
    } else if (!press.empty() && !UnattendedAnswer::IsAnswer(press)) {
        error = "--press takes ok, ignore or cancel";
    } else if (!psm.empty() && !ParseInteger(std::wstring_view(psm), 0, 13, whole)) {
        error = "--psm takes a page segmentation mode from 0 to 13";
    } else if (team.empty()) {
        catchPercent = catchPercent == 0 && !belowGiven ? kDefaultCatchPercent : catchPercent;
        auditPercent = auditGiven ? auditPercent : kDefaultAuditPercent;
    }
    return error.empty();
}

void StationOptions::MakePathsFull()
{
    // Once, here, for every use after: the engine runs in the session's ocr folder, where a
    // path relative to the station's current folder names another file or none.
    for (std::wstring& input : inputs) {
        input = PathName::Full(input);
    }
    for (std::wstring* path : {&image, &tsv, &hocr, &ocr, &answers, &out, &screenshots, &tesseract, &exportFolder, &outbox,
                               &truth}) {
        *path = PathName::Full(*path);
    }
}

std::wstring StationOptions::OutputFolder() const
{
    if (!out.empty()) {
        return out;
    }
    std::wstring first = OnePageForm() ? image : inputs.front();
    while (first.size() > 1 && (first.back() == L'\\' || first.back() == L'/')) {
        first.pop_back(); // "scans\" gives "scans.verified"
    }
    return first + L".verified";
}
