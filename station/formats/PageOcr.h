#pragma once

#include <memory>
#include <string>
#include <vector>

#include "HocrDocument.h"
#include "LayoutDocument.h"
#include "PageWords.h"
#include "TsvDocument.h"

// The recogniser's output for the pages of one image file: its TSV and/or hOCR, or an ALTO or
// PAGE XML document, read once and shared by the file's frames. Each row's page_num, each
// ocr_page's number and each ALTO Page's place (the n-th is frame n) selects the frame its
// words are cut from; a PAGE XML document describes the first.
class PageOcr {
public:
    struct FrameSize {
        int width = 0;
        int height = 0;
        double dpi = 300; // turns ALTO's physical units on its page into pixels
    };

    // Reads the documents (the TSV and the hOCR, either or both, or the ALTO or PAGE XML one
    // alone) and checks them against the image's frames: every page they name is a frame of
    // the image, of that frame's size. Throws InputError naming the document and the fault.
    static std::shared_ptr<const PageOcr> Read(const std::wstring& tsv, const std::wstring& hocr,
                                               const std::wstring& xml, const std::wstring& image,
                                               const std::vector<FrameSize>& frames);

    // The words of one page (its number in the documents), in reading order.
    PageWords Words(int page) const;
    const TsvDocument* Tsv() const { return m_tsv.get(); }
    const HocrDocument* Hocr() const { return m_hocr.get(); }
    const LayoutDocument* Layout() const { return m_layout.get(); }

private:
    std::unique_ptr<TsvDocument> m_tsv;
    std::unique_ptr<HocrDocument> m_hocr;
    std::unique_ptr<LayoutDocument> m_layout;
    std::wstring m_hocrPath;
};
