#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BatchPlan.h"
#include "OutputLayout.h"
#include "PreparedPage.h"
#include "TesseractEngine.h"

// What the engine made of a page, for the journal.
struct Recognition {
    size_t position = 0;
    std::string failure;
    std::wstring tsv;
    std::wstring hocr;
    std::string tsvSha256; // taken on the worker, off the operator's way
    std::string hocrSha256;
};

// Makes one page of the batch ready for the operator: runs the engine for a page that needs
// it (or takes its output from an earlier run), reads the words, decodes the image. Holds
// nothing that changes, so the worker calls it without its lock.
class PagePreparer {
public:
    // `recognised` holds the output files of the pages that need the engine and have been
    // recognised before, by position; `engine` may be null when no page needs it; `cancel`
    // (owned by the caller) stops an engine run when set.
    PagePreparer(std::vector<PlannedPage> pages, std::map<size_t, std::pair<std::wstring, std::wstring>> recognised,
                 std::shared_ptr<const TesseractEngine> engine, OutputLayout layout, HANDLE cancel);

    size_t Pages() const { return m_pages.size(); }

    // The page at `position`, its failure set (never thrown) when it cannot be prepared;
    // what the engine made of it in `recognition` when the engine ran.
    std::unique_ptr<PreparedPage> PrepareOrFail(size_t position, Recognition& recognition) const;

    // The words of a page the engine recognised, read into `page` from the engine's output
    // (its TSV and/or hOCR); `page`'s failure says why when that output cannot be used.
    static void ReadEngineOutput(const PlannedPage& planned, const std::wstring& tsv, const std::wstring& hocr,
                                 PreparedPage& page);

    // Where the engine's second model puts its reading of a page, beside the first's.
    static std::wstring SecondOutput(const std::wstring& stem, const wchar_t* extension);

private:
    std::unique_ptr<PreparedPage> Prepare(size_t position, Recognition& recognition) const;
    // Reads the page a second time into `page.secondWords` (or keeps the reading an earlier
    // run made with the first reading kept, `firstKept`); a failure is the page's
    // `secondFailure`, a cancel its failure.
    void ReadSecond(const PlannedPage& planned, bool firstKept, PreparedPage& page) const;
    static std::shared_ptr<const PageOcr> ReadOutput(const PlannedPage& planned, const std::wstring& tsv,
                                                     const std::wstring& hocr, std::string& failure);

    std::vector<PlannedPage> m_pages;
    std::map<size_t, std::pair<std::wstring, std::wstring>> m_recognised;
    std::shared_ptr<const TesseractEngine> m_engine;
    OutputLayout m_layout; // where the engine's output goes
    HANDLE m_cancel;
};
