#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BatchPlan.h"
#include "PageImage.h"
#include "PageWords.h"
#include "TesseractEngine.h"

// A page ready for its dialogs: decoded, its words read; or why it could not be.
struct PreparedPage {
    size_t position = 0;
    std::string failure; // not empty: the page failed (the engine, or its output)
    PageImage image;
    PageWords words;
    std::shared_ptr<const PageOcr> ocr;
};

// What the engine made of a page, for the journal.
struct Recognition {
    size_t position = 0;
    std::string failure;
    std::wstring tsv;
    std::wstring hocr;
    std::string tsvSha256; // taken on the worker, off the operator's way
    std::string hocrSha256;
};

// One thread, below the dialog's priority, that works ahead of the operator: it runs the
// engine for the pages that need it, reads their output and decodes their images, up to
// `ahead` pages past the one being verified, and writes the outputs of finished pages. It
// never calls the library: the dialogs stay on the operator's thread, one at a time.
class PageWorker {
public:
    // `recognised` holds the output files of the pages that need the engine and have been
    // recognised before (kept in the session's folder), by position; `engine` may be null
    // when no page needs it; `skip` marks the pages that are not to be prepared.
    PageWorker(std::vector<PlannedPage> pages, std::vector<bool> skip,
               std::map<size_t, std::pair<std::wstring, std::wstring>> recognised,
               std::shared_ptr<const TesseractEngine> engine, std::wstring ocrFolder, int ahead);
    // Cancels the engine and waits for the thread.
    ~PageWorker();
    PageWorker(const PageWorker&) = delete;
    PageWorker& operator=(const PageWorker&) = delete;

    // The operator is at `position`: hands over that page once it is prepared; calls
    // `waiting` first when it is not ready yet.
    std::unique_ptr<PreparedPage> Take(size_t position, const std::function<void()>& waiting);
    // The engine's runs finished since the last call.
    std::vector<Recognition> TakeRecognitions();
    // Runs `task` on the thread before anything else it has still to prepare (after the quiet
    // moment a page turn gets: a task is posted when a page is finished).
    void Post(std::function<void()> task);
    // Runs the posted tasks, stops preparing and ends the thread; throws the first failure of
    // a task (as std::runtime_error).
    void Finish();

private:
    static DWORD WINAPI Entry(void* worker) noexcept;
    void Work();
    std::unique_ptr<PreparedPage> Prepare(size_t position, Recognition& recognition) const;
    void Stop();

    std::vector<PlannedPage> m_pages;
    std::vector<bool> m_skip;
    std::map<size_t, std::pair<std::wstring, std::wstring>> m_recognised;
    std::shared_ptr<const TesseractEngine> m_engine;
    std::wstring m_ocrFolder;
    size_t m_ahead;

    CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_changed;
    HANDLE m_cancel;
    HANDLE m_thread = nullptr;
    size_t m_current = 0;
    ULONGLONG m_turnedAt = 0; // when the operator last took a page
    size_t m_next = 0; // the first page not yet taken up for preparing
    bool m_finishing = false;
    std::map<size_t, std::unique_ptr<PreparedPage>> m_prepared;
    std::vector<Recognition> m_recognitions;
    std::vector<std::function<void()>> m_tasks;
    std::string m_taskFailure;
};
