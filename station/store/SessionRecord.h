#pragma once

#include <string>
#include <vector>

#include "PageState.h"
#include "VerifiedWord.h"

// A file the session read, and its content's SHA-256: a later run goes on only with the same.
struct StoredFile {
    std::string path; // full path, UTF-8; empty when there is none
    std::string sha256;
};

// The audit's draw on a page (AuditDraw): the page's words not chosen that it drew from, how
// many it drew, and whether above its rate (towards the batch's least).
struct StoredAudit {
    int candidates = -1; // -1: no draw made on the page
    int drawn = 0;
    bool toppedUp = false;
};

// One page of the session: where it comes from, its recogniser output, how far it got.
struct StoredPage {
    std::string name; // names the page's files in the output folder; empty in the one-page form
    StoredFile image;
    int frame = 1; // from 1
    StoredFile tsv;
    StoredFile hocr;
    StoredFile xml; // an ALTO or PAGE document
    int ocrPage = 1;           // the page number its rows and ocr_page carry
    bool ocrByStation = false; // the engine's output, kept in the session's folder
    PageState state = PageState::kWaiting;
    std::string failure;           // why the page failed
    StoredAudit audit;
    std::vector<VerifiedWord> words;
};

// The session's figures, kept with it: every page, all runs.
struct StoredSummary {
    int pages = 0;
    int pagesDone = 0;
    int pagesFailed = 0;
    int shown = 0; // words answered in a dialog
    int corrected = 0;
    int ignored = 0;
    int skipped = 0;
    double operatorSeconds = 0; // dialog shown to answer, summed over the words shown
    std::vector<std::string> failedPages;
};

// What a session holds: its inputs and thresholds, every page with its words shown or
// skipped (in reading order), and its figures.
struct SessionRecord {
    std::vector<std::string> inputs; // as given, full paths, UTF-8
    double below = 0;
    double charBelow = 0;
    double catchPercent = 0; // above 0: the words chosen to catch it (--catch); 0: those below `below`
    double auditPercent = 0; // of the words not chosen, shown for the audit (--audit); 0: none
    int auditSeed = 0;       // the audit's draws come from it (--audit-seed)
    bool finished = false; // every page done: each word to verify answered or skipped
    std::vector<StoredPage> pages;
    StoredSummary summary;

    // The summary's figures, counted from the pages.
    StoredSummary Count() const;
    // The order of the latest answer, 0 before the first.
    int LastOrder() const;
};
