#include "PageOcr.h"

#include <cmath>

#include "HocrDocument.h"
#include "InputError.h"
#include "LayoutReader.h"
#include "TsvDocument.h"
#include "TsvHocrWords.h"
#include "Utf8.h"

namespace {

// Refuses a page number the image has no frame for, and a page of another size: one that
// differs from its frame's by a whole unit of the document's (a pixel, unless an ALTO
// document measures in mm10 or inch1200). A page without a size goes unchecked.
void CheckPage(const std::wstring& document, int number, double width, double height, double unit,
               const std::wstring& image, const std::vector<PageOcr::FrameSize>& frames)
{
    const std::string imageName = WideToUtf8(image);
    if (number < 1 || static_cast<size_t>(number) > frames.size()) {
        throw InputError(document, "names page " + std::to_string(number) + ", but " + imageName + " has " +
                                       std::to_string(frames.size()) +
                                       (frames.size() == 1 ? " page" : " pages (frames)"));
    }
    const PageOcr::FrameSize& frame = frames[static_cast<size_t>(number) - 1];
    const bool sized = width > 0 && height > 0;
    if (sized && (std::abs(width - frame.width) >= unit || std::abs(height - frame.height) >= unit)) {
        throw InputError(document, "page " + std::to_string(number) + " is " + std::to_string(std::lround(width)) +
                                       " x " + std::to_string(std::lround(height)) + " pixels, but " +
                                       (frames.size() > 1 ? "frame " + std::to_string(number) + " of " : "") +
                                       imageName + " is " + std::to_string(frame.width) + " x " +
                                       std::to_string(frame.height));
    }
}

} // namespace

std::shared_ptr<const PageOcr> PageOcr::Read(const std::wstring& tsv, const std::wstring& hocr,
                                             const std::wstring& xml, const std::wstring& image,
                                             const std::vector<FrameSize>& frames)
{
    auto ocr = std::make_shared<PageOcr>();
    if (!xml.empty()) {
        if (!tsv.empty() || !hocr.empty()) {
            throw InputError(xml, "an ALTO or PAGE document is read alone, without a TSV or hOCR");
        }
        std::vector<double> dpis;
        dpis.reserve(frames.size());
        for (const FrameSize& frame : frames) {
            dpis.push_back(frame.dpi);
        }
        ocr->Add(LayoutReader::Read(xml, dpis), xml, image, frames);
        return ocr;
    }
    if (!tsv.empty()) {
        auto document = std::make_unique<TsvDocument>(TsvDocument::Read(tsv));
        ocr->m_tsv = document.get();
        ocr->Add(std::move(document), tsv, image, frames);
    }
    if (!hocr.empty()) {
        auto document = std::make_unique<HocrDocument>(HocrDocument::Read(hocr));
        ocr->m_hocr = document.get();
        ocr->m_hocrPath = hocr;
        ocr->Add(std::move(document), hocr, image, frames);
    }
    // Every page's words once, so that an hOCR of another run is refused before any dialog.
    for (size_t page = 1; page <= frames.size(); ++page) {
        ocr->Words(static_cast<int>(page));
    }
    return ocr;
}

void PageOcr::Add(std::unique_ptr<const OcrDocument> document, const std::wstring& path, const std::wstring& image,
                  const std::vector<FrameSize>& frames)
{
    for (const OcrDocument::Page& page : document->Pages()) {
        CheckPage(path, page.number, page.width, page.height, page.unit, image, frames);
    }
    m_documents.push_back(std::move(document));
}

PageWords PageOcr::Words(int page) const
{
    if (m_tsv != nullptr && m_hocr != nullptr) {
        return TsvHocrWords::From(m_tsv, m_hocr, m_hocrPath, page);
    }
    return m_documents.empty() ? PageWords() : m_documents.front()->WordsOfPage(page);
}
