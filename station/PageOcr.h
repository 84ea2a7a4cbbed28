#pragma once

#include <memory>
#include <string>
#include <vector>

#include "HocrDocument.h"
#include "PageWords.h"
#include "TsvDocument.h"

// The recogniser's output for the pages of one image file: its TSV and/or hOCR, read once
// and shared by the file's frames. Each row's page_num and each ocr_page's number selects the
// frame its words are cut from.
class PageOcr {
public:
    struct FrameSize {
        int width = 0;
        int height = 0;
    };

    // Reads the documents (either path may be empty, not both) and checks them against the
    // image's frames: every page they name is a frame of the image, of that frame's size.
    // Throws InputError naming the document and the fault.
    static std::shared_ptr<const PageOcr> Read(const std::wstring& tsv, const std::wstring& hocr,
                                               const std::wstring& image, const std::vector<FrameSize>& frames);

    // The words of one page (its number in the documents), in reading order.
    PageWords Words(int page) const;
    const TsvDocument* Tsv() const { return m_tsv.get(); }

private:
    std::unique_ptr<TsvDocument> m_tsv;
    std::unique_ptr<HocrDocument> m_hocr;
    std::wstring m_hocrPath;
};
