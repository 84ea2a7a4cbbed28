#include "PagePreparer.h"

#include "InputError.h"
#include "Sha256.h"
#include "Utf8.h"

PagePreparer::PagePreparer(std::vector<PlannedPage> pages,
                           std::map<size_t, std::pair<std::wstring, std::wstring>> recognised,
                           std::shared_ptr<const TesseractEngine> engine, OutputLayout layout, HANDLE cancel)
    : m_pages(std::move(pages))
    , m_recognised(std::move(recognised))
    , m_engine(std::move(engine))
    , m_layout(std::move(layout))
    , m_cancel(cancel)
{
}

std::unique_ptr<PreparedPage> PagePreparer::PrepareOrFail(size_t position, Recognition& recognition) const
{
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
    return page;
}

std::unique_ptr<PreparedPage> PagePreparer::Prepare(size_t position, Recognition& recognition) const
{
    const PlannedPage& planned = m_pages[position];
    auto page = std::make_unique<PreparedPage>();
    if (planned.NeedsEngine()) {
        std::wstring tsv;
        std::wstring hocr;
        const auto earlier = m_recognised.find(position);
        if (earlier != m_recognised.end()) {
            tsv = earlier->second.first;
            hocr = earlier->second.second;
        } else {
            const std::wstring base = m_layout.Path(OutputLayout::EngineOutput(planned.stem, L""));
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
            tsv = recognition.tsv = m_layout.Path(OutputLayout::EngineOutput(planned.stem, L".tsv"));
            hocr = recognition.hocr = m_layout.Path(OutputLayout::EngineOutput(planned.stem, L".hocr"));
            recognition.tsvSha256 = Sha256::OfFile(tsv);
            recognition.hocrSha256 = Sha256::OfFile(hocr);
        }
        ReadEngineOutput(planned, tsv, hocr, *page);
        if (!page->failure.empty()) {
            recognition.failure = page->failure;
            return page;
        }
        if (m_engine != nullptr && m_engine->ReadsTwice()) {
            ReadSecond(planned, earlier != m_recognised.end(), *page);
            if (!page->failure.empty()) {
                return page;
            }
        }
    } else {
        page->ocr = planned.ocr;
        page->words = planned.ocr->Words(planned.ocrPage);
    }
    page->image = PageImage::Read(planned.image, planned.frame);
    return page;
}

void PagePreparer::ReadSecond(const PlannedPage& planned, bool firstKept, PreparedPage& page) const
{
    const std::wstring tsv = m_layout.Path(SecondOutput(planned.stem, L".tsv"));
    const std::wstring hocr = m_layout.Path(SecondOutput(planned.stem, L".hocr"));
    std::string failure;
    if (firstKept) {
        // The first reading is an earlier run's: so is the second, when that run made it.
        const std::shared_ptr<const PageOcr> kept = ReadOutput(planned, tsv, hocr, failure);
        if (kept) {
            page.secondWords = kept->Words(1);
            page.readTwice = true;
            return;
        }
    }
    // A first reading made now gets a second made now: the two are of the same run. An
    // earlier run's second reading goes first, so that a failed run leaves none to be kept
    // beside a first reading it was not made with.
    ::DeleteFileW(tsv.c_str());
    ::DeleteFileW(hocr.c_str());
    failure = m_engine->Recognise(planned.image, planned.frame, planned.frames,
                                  m_layout.Path(SecondOutput(planned.stem, L"")), m_cancel,
                                  TesseractEngine::Reading::kSecond);
    if (::WaitForSingleObject(m_cancel, 0) == WAIT_OBJECT_0) {
        page.failure = "cancelled";
        return;
    }
    if (failure.empty()) {
        const std::shared_ptr<const PageOcr> read = ReadOutput(planned, tsv, hocr, failure);
        if (read) {
            page.secondWords = read->Words(1);
            page.readTwice = true;
            return;
        }
    }
    page.secondFailure = "the second reading (" + WideToUtf8(m_engine->SecondLang()) + ") failed, " + failure;
}

std::wstring PagePreparer::SecondOutput(const std::wstring& stem, const wchar_t* extension)
{
    return OutputLayout::EngineOutput(stem + L".second", extension);
}

std::shared_ptr<const PageOcr> PagePreparer::ReadOutput(const PlannedPage& planned, const std::wstring& tsv,
                                                        const std::wstring& hocr, std::string& failure)
{
    // The engine read one frame: its output names page 1, of that frame's size.
    try {
        return PageOcr::Read(tsv, hocr, L"", planned.image, {planned.size});
    } catch (const InputError& fault) {
        failure = std::string("the engine's output cannot be used: ") + fault.what();
        return nullptr;
    }
}

void PagePreparer::ReadEngineOutput(const PlannedPage& planned, const std::wstring& tsv, const std::wstring& hocr,
                                    PreparedPage& page)
{
    const std::shared_ptr<const PageOcr> ocr = ReadOutput(planned, tsv, hocr, page.failure);
    if (ocr) {
        page.ocr = ocr;
        page.words = ocr->Words(1);
    }
}
