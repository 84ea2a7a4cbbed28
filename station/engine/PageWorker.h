#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "OwnedHandle.h"
#include "PagePreparer.h"

// A page's files written, or why they could not be.
struct WrittenPage {
    size_t position = 0;
    std::string failure; // empty: every file of the page is on the disk
};

// Two threads, below the dialog's priority, that work around the operator: one runs the
// engine for the pages that need it, reads their output and decodes their images, up to
// `ahead` pages past the one being verified; the other writes the files of finished pages, so
// that they never wait for an engine run. Neither calls the library: the dialogs stay on the
// operator's thread, one at a time.
class PageWorker {
public:
    // `recognised` holds the output files of the pages that need the engine and have been
    // recognised before (kept in the session's folder), by position; `engine` may be null
    // when no page needs it; `skip` marks the pages that are not to be prepared. Throws
    // SessionFailure when its threads cannot be started.
    PageWorker(std::vector<PlannedPage> pages, std::vector<bool> skip,
               std::map<size_t, std::pair<std::wstring, std::wstring>> recognised,
               std::shared_ptr<const TesseractEngine> engine, OutputLayout layout, int ahead);
    // Cancels the engine, writes what is posted and waits for the threads.
    ~PageWorker();
    PageWorker(const PageWorker&) = delete;
    PageWorker& operator=(const PageWorker&) = delete;

    // The operator is at `position`: hands over that page once it is prepared; calls
    // `waiting` first when it is not ready yet. Throws SessionFailure when the preparing
    // thread has failed (it found no memory), rather than waiting for ever.
    std::unique_ptr<PreparedPage> Take(size_t position, const std::function<void()>& waiting);
    // The engine's runs finished since the last call.
    std::vector<Recognition> TakeRecognitions();
    // Writes the files of the page at `position` with `write`, which throws when one cannot be
    // written, after the quiet moment a page turn gets (the files are posted when a page is
    // finished); TakeWritten tells how it went.
    void PostWrite(size_t position, std::function<void()> write);
    // The pages whose writes ended since the last call, in the order they were posted.
    std::vector<WrittenPage> TakeWritten();
    // Stops preparing, writes what is posted and ends the threads.
    void Finish();

private:
    struct PendingWrite {
        size_t position = 0;
        std::function<void()> write;
    };

    static DWORD WINAPI PrepareEntry(void* worker) noexcept;
    static DWORD WINAPI WriteEntry(void* worker) noexcept;
    void PrepareAhead();
    void WriteFinished();
    DWORD QuietLeft() const;
    // Runs one of the two loops on its thread; notes why it ended early in `failure`.
    void RunLoop(void (PageWorker::*loop)(), const char*& failure) noexcept;
    void Stop();

    std::vector<bool> m_skip;
    size_t m_ahead;
    OwnedHandle m_cancel; // before the preparer, which is given it
    const PagePreparer m_preparation;

    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    OwnedHandle m_preparer;
    OwnedHandle m_writer;
    size_t m_current = 0;
    ULONGLONG m_turnedAt = 0; // when the operator last took a page or finished one
    size_t m_next = 0; // the first page not yet taken up for preparing
    bool m_finishing = false;
    // Why a thread ended early (a static text: it is set where nothing can be allocated).
    const char* m_preparerFailure = nullptr;
    const char* m_writerFailure = nullptr;
    std::map<size_t, std::unique_ptr<PreparedPage>> m_prepared;
    std::vector<Recognition> m_recognitions;
    std::deque<PendingWrite> m_writes; // the writer's own stay in place while more are posted
    std::vector<WrittenPage> m_written;
};
