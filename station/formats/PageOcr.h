#pragma once

#include <memory>
#include <string>
#include <vector>

#include "OcrDocument.h"
#include "PageWords.h"

class HocrDocument;
class TsvDocument;

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

    // The words of one page (its number in the documents), in reading order: a TSV's rows
    // with the details of its hOCR's words, else the one document's words.
    PageWords Words(int page) const;
    // The documents, each written back on its own: the TSV before the hOCR.
    const std::vector<std::unique_ptr<const OcrDocument>>& Documents() const { return m_documents; }

private:
    // Keeps a document read from `path` once every page it names is one of the frames.
    void Add(std::unique_ptr<const OcrDocument> document, const std::wstring& path, const std::wstring& image,
             const std::vector<FrameSize>& frames);

    std::vector<std::unique_ptr<const OcrDocument>> m_documents;
    // Of the documents, those whose words are merged: the TSV's rows take the hOCR's details.
    const TsvDocument* m_tsv = nullptr;
    const HocrDocument* m_hocr = nullptr;
    std::wstring m_hocrPath;
};
