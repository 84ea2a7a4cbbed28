#include "PageWorker.h"

#include <stdexcept>

#include "ComScope.h"
#include "InputError.h"
#include "Sha256.h"

namespace {

// The lock held for a scope.
class Locked {
public:
    explicit Locked(CRITICAL_SECTION& lock)
        : m_lock(lock)
    {
        ::EnterCriticalSection(&m_lock);
    }
    ~Locked() { ::LeaveCriticalSection(&m_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

// After a page turn the worker leaves the machine to the new page's first dialog this long:
// starting the engine's process and writing the last page's files both wait for the same
// system services (under Wine, its server) that creating and painting a dialog waits for.
constexpr ULONGLONG kQuietAfterTurnMs = 1000;

} // namespace

PageWorker::PageWorker(std::vector<PlannedPage> pages, std::vector<bool> skip,
                       std::map<size_t, std::pair<std::wstring, std::wstring>> recognised,
                       std::shared_ptr<const TesseractEngine> engine, std::wstring ocrFolder, int ahead)
    : m_pages(std::move(pages))
    , m_skip(std::move(skip))
    , m_recognised(std::move(recognised))
    , m_engine(std::move(engine))
    , m_ocrFolder(std::move(ocrFolder))
    , m_ahead(static_cast<size_t>(ahead))
    , m_cancel(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    ::InitializeCriticalSection(&m_lock);
    ::InitializeConditionVariable(&m_changed);
    m_thread = ::CreateThread(nullptr, 0, &PageWorker::Entry, this, CREATE_SUSPENDED, nullptr);
    if (m_thread == nullptr || m_cancel == nullptr) {
        ::DeleteCriticalSection(&m_lock);
        throw std::runtime_error("the station's worker thread could not be started");
    }
    ::SetThreadPriority(m_thread, THREAD_PRIORITY_BELOW_NORMAL);
    ::ResumeThread(m_thread);
}

PageWorker::~PageWorker()
{
    Stop();
    ::CloseHandle(m_thread);
    ::CloseHandle(m_cancel);
    ::DeleteCriticalSection(&m_lock);
}

void PageWorker::Stop()
{
    {
        // Whatever is posted still runs; only the engine is cancelled.
        const Locked locked(m_lock);
        m_finishing = true;
    }
    ::SetEvent(m_cancel);
    ::WakeAllConditionVariable(&m_changed);
    ::WaitForSingleObject(m_thread, INFINITE);
}

void PageWorker::Finish()
{
    Stop();
    if (!m_taskFailure.empty()) {
        throw std::runtime_error(m_taskFailure);
    }
}

std::unique_ptr<PreparedPage> PageWorker::Take(size_t position, const std::function<void()>& waiting)
{
    const Locked locked(m_lock);
    m_current = position;
    m_turnedAt = ::GetTickCount64();
    ::WakeAllConditionVariable(&m_changed);
    bool told = false;
    while (m_prepared.count(position) == 0) {
        if (!told) {
            told = true;
            ::LeaveCriticalSection(&m_lock);
            waiting();
            ::EnterCriticalSection(&m_lock);
            continue;
        }
        ::SleepConditionVariableCS(&m_changed, &m_lock, INFINITE);
    }
    std::unique_ptr<PreparedPage> page = std::move(m_prepared[position]);
    m_prepared.erase(position);
    return page;
}

std::vector<Recognition> PageWorker::TakeRecognitions()
{
    const Locked locked(m_lock);
    std::vector<Recognition> taken;
    taken.swap(m_recognitions);
    return taken;
}

void PageWorker::Post(std::function<void()> task)
{
    {
        const Locked locked(m_lock);
        m_tasks.push_back(std::move(task));
        m_turnedAt = ::GetTickCount64();
    }
    ::WakeAllConditionVariable(&m_changed);
}

DWORD WINAPI PageWorker::Entry(void* worker) noexcept
{
    try {
        const ComScope com; // the image decoder and the PNG encoder are COM objects
        static_cast<PageWorker*>(worker)->Work();
    } catch (...) {
        // Work catches what each step throws; only COM's start-up could fail here, before
        // any page was taken up.
    }
    return 0;
}

void PageWorker::Work()
{
    ::EnterCriticalSection(&m_lock);
    for (;;) {
        const ULONGLONG sinceTurn = ::GetTickCount64() - m_turnedAt;
        const bool operatorWaits = m_next == m_current && m_prepared.count(m_current) == 0;
        if (!m_finishing && m_turnedAt != 0 && sinceTurn < kQuietAfterTurnMs && !operatorWaits) {
            ::SleepConditionVariableCS(&m_changed, &m_lock, static_cast<DWORD>(kQuietAfterTurnMs - sinceTurn));
            continue;
        }
        if (!m_tasks.empty()) {
            std::function<void()> task = std::move(m_tasks.front());
            m_tasks.erase(m_tasks.begin());
            ::LeaveCriticalSection(&m_lock);
            std::string failure;
            try {
                task();
            } catch (const std::exception& fault) {
                failure = fault.what();
            } catch (...) {
                failure = "unexpected failure while writing a page's files";
            }
            ::EnterCriticalSection(&m_lock);
            if (m_taskFailure.empty()) {
                m_taskFailure = failure;
            }
            continue;
        }
        if (m_finishing) {
            break;
        }
        while (m_next < m_pages.size() && m_skip[m_next]) {
            ++m_next;
        }
        if (m_next >= m_pages.size() || m_next > m_current + m_ahead) {
            ::SleepConditionVariableCS(&m_changed, &m_lock, INFINITE);
            continue;
        }
        const size_t position = m_next++;
        ::LeaveCriticalSection(&m_lock);
        Recognition recognition;
        recognition.position = position;
        std::unique_ptr<PreparedPage> page;
        try {
            page = Prepare(position, recognition);
        } catch (const std::exception& fault) {
            page = std::make_unique<PreparedPage>();
            page->failure = fault.what();
        } catch (...) {
            // The operator's thread waits for this page: it gets an answer whatever happened.
            page = std::make_unique<PreparedPage>();
            page->failure = "unexpected failure while preparing the page";
        }
        page->position = position;
        ::EnterCriticalSection(&m_lock);
        if (!recognition.tsv.empty() || !recognition.failure.empty()) {
            m_recognitions.push_back(recognition);
        }
        m_prepared[position] = std::move(page);
        ::WakeAllConditionVariable(&m_changed);
    }
    ::LeaveCriticalSection(&m_lock);
}

std::unique_ptr<PreparedPage> PageWorker::Prepare(size_t position, Recognition& recognition) const
{
    const PlannedPage& planned = m_pages[position];
    auto page = std::make_unique<PreparedPage>();
    std::shared_ptr<const PageOcr> ocr = planned.ocr;
    if (planned.NeedsEngine()) {
        std::wstring tsv;
        std::wstring hocr;
        const auto earlier = m_recognised.find(position);
        if (earlier != m_recognised.end()) {
            tsv = earlier->second.first;
            hocr = earlier->second.second;
        } else {
            const std::wstring base = m_ocrFolder + L"\\" + planned.stem;
            recognition.failure = m_engine->Recognise(planned.image, planned.frame, planned.frames, base, m_cancel);
            if (::WaitForSingleObject(m_cancel, 0) == WAIT_OBJECT_0) {
                recognition.failure.clear(); // stopped, not failed: the page waits for the next run
                page->failure = "cancelled";
                return page;
            }
            if (!recognition.failure.empty()) {
                page->failure = recognition.failure;
                return page;
            }
            tsv = recognition.tsv = base + L".tsv";
            hocr = recognition.hocr = base + L".hocr";
            recognition.tsvSha256 = Sha256::OfFile(tsv);
            recognition.hocrSha256 = Sha256::OfFile(hocr);
        }
        // The engine read one frame: its output names page 1, of that frame's size.
        try {
            ocr = PageOcr::Read(tsv, hocr, L"", planned.image, {planned.size});
        } catch (const InputError& fault) {
            page->failure = std::string("the engine's output cannot be used: ") + fault.what();
            recognition.failure = page->failure;
            return page;
        }
    }
    page->ocr = ocr;
    page->words = ocr->Words(planned.NeedsEngine() ? 1 : planned.ocrPage);
    page->image = PageImage::Read(planned.image, planned.frame);
    return page;
}
