#include "PageWorker.h"

#include <new>

#include "ComScope.h"
#include "ExclusiveLock.h"
#include "SessionFailure.h"

namespace {

// After a page turn the worker leaves the machine to the new page's first dialog this long:
// starting the engine's process and writing the last page's files both wait for the same
// system services (under Wine, its server) that creating and painting a dialog waits for.
constexpr ULONGLONG kQuietAfterTurnMs = 1000;

} // namespace

PageWorker::PageWorker(std::vector<PlannedPage> pages, std::vector<bool> skip,
                       std::map<size_t, std::pair<std::wstring, std::wstring>> recognised,
                       std::shared_ptr<const TesseractEngine> engine, OutputLayout layout, int ahead)
    : m_skip(std::move(skip))
    , m_ahead(static_cast<size_t>(ahead))
    , m_cancel(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    , m_preparation(std::move(pages), std::move(recognised), std::move(engine), std::move(layout), m_cancel.get())
{
    m_preparer.reset(::CreateThread(nullptr, 0, &PageWorker::PrepareEntry, this, CREATE_SUSPENDED, nullptr));
    m_writer.reset(::CreateThread(nullptr, 0, &PageWorker::WriteEntry, this, CREATE_SUSPENDED, nullptr));
    if (!m_preparer || !m_writer || !m_cancel) {
        // A thread that was made ends at once, having nothing to do.
        Stop();
        throw SessionFailure("the station's worker threads could not be started");
    }
    for (const OwnedHandle* thread : {&m_preparer, &m_writer}) {
        ::SetThreadPriority(thread->get(), THREAD_PRIORITY_BELOW_NORMAL);
        ::ResumeThread(thread->get());
    }
}

PageWorker::~PageWorker()
{
    Stop();
}

void PageWorker::Stop()
{
    {
        // Whatever is posted is still written; only the engine is cancelled.
        const ExclusiveLock locked(m_lock);
        m_finishing = true;
    }
    if (m_cancel) {
        ::SetEvent(m_cancel.get());
    }
    ::WakeAllConditionVariable(&m_changed);
    for (const OwnedHandle* thread : {&m_preparer, &m_writer}) {
        if (*thread) {
            ::ResumeThread(thread->get()); // one that was never started
            ::WaitForSingleObject(thread->get(), INFINITE);
        }
    }
}

void PageWorker::Finish()
{
    Stop();
    // Writes the writer did not live to make are reported as failed, not lost.
    for (const PendingWrite& pending : m_writes) {
        WrittenPage written;
        written.position = pending.position;
        written.failure = std::string("the station's writer stopped: ") +
                          (m_writerFailure != nullptr ? m_writerFailure : "unexpectedly");
        m_written.push_back(written);
    }
    m_writes.clear();
}

std::unique_ptr<PreparedPage> PageWorker::Take(size_t position, const std::function<void()>& waiting)
{
    ExclusiveLock locked(m_lock);
    m_current = position;
    m_turnedAt = ::GetTickCount64();
    ::WakeAllConditionVariable(&m_changed);
    bool told = false;
    for (;;) {
        const auto found = m_prepared.find(position);
        if (found != m_prepared.end()) {
            std::unique_ptr<PreparedPage> page = std::move(found->second);
            m_prepared.erase(found);
            return page;
        }
        if (m_preparerFailure != nullptr) {
            throw SessionFailure(std::string("the station's worker stopped preparing the pages: ") + m_preparerFailure);
        }
        if (!told) {
            told = true;
            locked.Released(waiting);
            continue;
        }
        locked.Wait(m_changed);
    }
}

std::vector<Recognition> PageWorker::TakeRecognitions()
{
    const ExclusiveLock locked(m_lock);
    std::vector<Recognition> taken;
    taken.swap(m_recognitions);
    return taken;
}

void PageWorker::PostWrite(size_t position, std::function<void()> write)
{
    {
        const ExclusiveLock locked(m_lock);
        m_writes.push_back(PendingWrite{position, std::move(write)});
        m_turnedAt = ::GetTickCount64();
    }
    ::WakeAllConditionVariable(&m_changed);
}

std::vector<WrittenPage> PageWorker::TakeWritten()
{
    const ExclusiveLock locked(m_lock);
    std::vector<WrittenPage> taken;
    taken.swap(m_written);
    return taken;
}

DWORD WINAPI PageWorker::PrepareEntry(void* worker) noexcept
{
    auto* self = static_cast<PageWorker*>(worker);
    self->RunLoop(&PageWorker::PrepareAhead, self->m_preparerFailure);
    return 0;
}

DWORD WINAPI PageWorker::WriteEntry(void* worker) noexcept
{
    auto* self = static_cast<PageWorker*>(worker);
    self->RunLoop(&PageWorker::WriteFinished, self->m_writerFailure);
    return 0;
}

void PageWorker::RunLoop(void (PageWorker::*loop)(), const char*& failure) noexcept
{
    // Each page's own failures are the page's; what escapes is a failure of the thread's
    // bookkeeping (no memory), which the operator's thread is told of instead of waiting.
    const char* reason = nullptr;
    try {
        const ComScope com; // the image decoder and the PNG encoder are COM objects
        (this->*loop)();
    } catch (const std::bad_alloc&) {
        reason = "out of memory";
    } catch (...) {
        reason = "an unexpected failure";
    }
    if (reason != nullptr) {
        {
            const ExclusiveLock locked(m_lock);
            failure = reason;
        }
        ::WakeAllConditionVariable(&m_changed);
    }
}

DWORD PageWorker::QuietLeft() const
{
    const ULONGLONG sinceTurn = ::GetTickCount64() - m_turnedAt;
    const bool operatorWaits = m_next == m_current && m_prepared.count(m_current) == 0;
    if (m_finishing || m_turnedAt == 0 || sinceTurn >= kQuietAfterTurnMs || operatorWaits) {
        return 0;
    }
    return static_cast<DWORD>(kQuietAfterTurnMs - sinceTurn);
}

void PageWorker::PrepareAhead()
{
    ExclusiveLock locked(m_lock);
    for (;;) {
        const DWORD quiet = QuietLeft();
        if (quiet > 0) {
            locked.Wait(m_changed, quiet);
            continue;
        }
        if (m_finishing) {
            return;
        }
        while (m_next < m_preparation.Pages() && m_skip[m_next]) {
            ++m_next;
        }
        if (m_next >= m_preparation.Pages() || m_next > m_current + m_ahead) {
            locked.Wait(m_changed);
            continue;
        }
        const size_t position = m_next++;
        Recognition recognition;
        recognition.position = position;
        std::unique_ptr<PreparedPage> page =
            locked.Released([&] { return m_preparation.PrepareOrFail(position, recognition); });
        if (!recognition.tsv.empty() || !recognition.failure.empty()) {
            m_recognitions.push_back(std::move(recognition));
        }
        m_prepared[position] = std::move(page);
        ::WakeAllConditionVariable(&m_changed);
    }
}

void PageWorker::WriteFinished()
{
    ExclusiveLock locked(m_lock);
    for (;;) {
        if (m_writes.empty()) {
            if (m_finishing) {
                return;
            }
            locked.Wait(m_changed);
            continue;
        }
        const DWORD quiet = QuietLeft();
        if (quiet > 0) {
            locked.Wait(m_changed, quiet);
            continue;
        }
        WrittenPage written;
        written.position = m_writes.front().position;
        // Taken off the list only once written: a writer that fails leaves it there, for
        // Finish to report.
        const std::function<void()>& write = m_writes.front().write;
        locked.Released([&] {
            try {
                write();
            } catch (const std::exception& fault) {
                written.failure = fault.what();
            } catch (...) {
                written.failure = "an unexpected failure while writing the page's files";
            }
        });
        m_written.push_back(std::move(written));
        m_writes.pop_front();
    }
}
