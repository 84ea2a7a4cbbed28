#include "PageOutputs.h"

#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "AtomicFile.h"
#include "PngWriter.h"
#include "SessionFailure.h"
#include "Utf8.h"
#include "WordImage.h"

namespace {

std::map<int, std::string> VerifiedTexts(const std::vector<VerifiedWord>& words)
{
    std::map<int, std::string> texts;
    for (const VerifiedWord& word : words) {
        if (word.outcome == WordOutcome::kOk) {
            texts[word.index] = word.corrected;
        }
    }
    return texts;
}

// The verified texts by the words' positions in the hOCR, ALTO or PAGE document.
std::map<int, std::string> DocumentTexts(const PageWords& words, const std::vector<VerifiedWord>& journalWords)
{
    const std::map<int, std::string> verified = VerifiedTexts(journalWords);
    std::map<int, std::string> texts;
    for (const PageWords::Word& word : words.Words()) {
        const auto found = verified.find(word.index);
        if (found != verified.end() && word.position > 0) {
            texts[word.position] = found->second;
        }
    }
    return texts;
}

} // namespace

PageOutputs::PageOutputs(OutputLayout layout)
    : m_layout(std::move(layout))
{
}

std::string PageOutputs::Text(const PageWords& words, const std::vector<VerifiedWord>& journalWords)
{
    const std::map<int, std::string> verified = VerifiedTexts(journalWords);
    std::string text;
    int line = -1;
    for (const PageWords::Word& word : words.Words()) {
        if (line != -1) {
            text += word.line != line ? "\n" : " ";
        }
        line = word.line;
        const auto found = verified.find(word.index);
        text += found != verified.end() ? found->second : word.text;
    }
    if (line != -1) {
        text += "\n";
    }
    return text;
}

void PageOutputs::WritePage(const PlannedPage& planned, const PreparedPage& page,
                            const std::vector<VerifiedWord>& words) const
{
    const std::string pageName = m_layout.PageName(planned);
    for (const VerifiedWord& word : words) {
        if (word.outcome != WordOutcome::kOk || !word.train) {
            continue;
        }
        const GreyImage crop = WordImage(page.image.Grey(), word.box).CropPixels();
        const std::vector<std::uint8_t> png = EncodePng(crop.width, crop.height, 1, crop.grey);
        if (png.empty()) {
            throw SessionFailure("the crop of word " + std::to_string(word.index) + " cannot be encoded as PNG");
        }
        const std::vector<std::wstring> pair = OutputLayout::TrainingPair(pageName, word.index);
        Write(pair[0], std::string(png.begin(), png.end()));
        Write(pair[1], word.corrected + "\n");
    }
    if (m_layout.OnePageForm()) {
        return; // the whole document's files are written once, at the end
    }
    // A document that several frames share is written per page with that page's corrections.
    if (page.ocr->Tsv() != nullptr) {
        const int ocrPage = planned.NeedsEngine() ? 1 : planned.ocrPage;
        Write(OutputLayout::PageDocument(planned.stem, L".tsv"), page.ocr->Tsv()->WithVerified(VerifiedTexts(words), ocrPage));
    }
    if (page.ocr->Hocr() != nullptr) {
        Write(OutputLayout::PageDocument(planned.stem, L".hocr"),
              page.ocr->Hocr()->WithVerified(DocumentTexts(page.words, words)));
    }
    if (page.ocr->Layout() != nullptr) {
        Write(OutputLayout::PageDocument(planned.stem, L".xml"),
              page.ocr->Layout()->WithVerified(DocumentTexts(page.words, words)));
    }
    Write(OutputLayout::PageDocument(planned.stem, L".txt"), Text(page.words, words));
}

void PageOutputs::WriteSession(const std::vector<PlannedPage>& pages, const SessionRecord& session) const
{
    // Pages apart by a form feed, as the engine's own text output has them.
    std::string text;
    for (size_t i = 0; i < pages.size(); ++i) {
        std::string pageText;
        if (m_layout.OnePageForm()) {
            pageText = Text(pages[i].ocr->Words(pages[i].ocrPage), session.pages[i].words);
        } else if (!AtomicFile::Read(m_layout.Path(OutputLayout::PageDocument(pages[i].stem, L".txt")), pageText)) {
            continue; // not reached yet, or failed
        }
        text += (text.empty() ? "" : "\f") + pageText;
    }
    Write(OutputLayout::kText, text);
    if (!m_layout.OnePageForm() || pages.empty()) {
        return;
    }
    // The one document, with the corrections of every page.
    const PageOcr& ocr = *pages.front().ocr;
    std::vector<VerifiedWord> all;
    std::map<int, std::string> documentTexts;
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::vector<VerifiedWord>& words = session.pages[i].words;
        all.insert(all.end(), words.begin(), words.end());
        const std::map<int, std::string> texts = DocumentTexts(ocr.Words(pages[i].ocrPage), words);
        documentTexts.insert(texts.begin(), texts.end());
    }
    if (ocr.Tsv() != nullptr) {
        Write(OutputLayout::kVerifiedTsv, ocr.Tsv()->WithVerified(VerifiedTexts(all)));
    }
    if (ocr.Hocr() != nullptr) {
        Write(OutputLayout::kVerifiedHocr, ocr.Hocr()->WithVerified(documentTexts));
    }
    if (ocr.Layout() != nullptr) {
        Write(OutputLayout::kVerifiedXml, ocr.Layout()->WithVerified(documentTexts));
    }
}

bool PageOutputs::HasPageFiles(const PlannedPage& planned, const std::vector<VerifiedWord>& words) const
{
    std::vector<std::wstring> names = m_layout.PageDocumentNames(planned);
    const std::string pageName = m_layout.PageName(planned);
    for (const VerifiedWord& word : words) {
        if (word.outcome == WordOutcome::kOk && word.train) {
            const std::vector<std::wstring> pair = OutputLayout::TrainingPair(pageName, word.index);
            names.insert(names.end(), pair.begin(), pair.end());
        }
    }
    for (const std::wstring& name : names) {
        if (::GetFileAttributesW(m_layout.Path(name).c_str()) == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
    }
    return true;
}

void PageOutputs::Forget(const SessionRecord& earlier) const
{
    // The earlier session's training pairs would otherwise be taken for this one's. Its
    // journal's names are only compared with the names of the files the folders hold, never
    // made into paths: a journal is text anyone may have edited, and a page name such as
    // ..\..\x would reach out of the output folder.
    std::map<std::wstring, std::set<std::wstring>> named; // by folder
    for (const StoredPage& page : earlier.pages) {
        for (const VerifiedWord& word : page.words) {
            if (word.train) {
                for (const std::wstring& file : OutputLayout::TrainingPair(page.name, word.index)) {
                    named[OutputLayout::kTrainFolder].insert(file.substr(file.find(L'\\') + 1));
                }
            }
        }
        std::wstring name;
        if (!page.name.empty() && Utf8ToWide(page.name, name)) {
            for (const wchar_t* extension : OutputLayout::PageDocumentExtensions()) {
                named[OutputLayout::kPagesFolder].insert(name + extension);
            }
            for (const wchar_t* extension : OutputLayout::EngineOutputExtensions()) {
                named[OutputLayout::kOcrFolder].insert(name + extension);
            }
        }
    }
    for (const auto& [folder, names] : named) {
        const std::wstring path = m_layout.Path(folder) + L"\\";
        WIN32_FIND_DATAW found{};
        const HANDLE first = ::FindFirstFileW((path + L"*").c_str(), &found);
        if (first == INVALID_HANDLE_VALUE) {
            continue;
        }
        const std::unique_ptr<void, decltype(&::FindClose)> search(first, &::FindClose);
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && names.count(found.cFileName) != 0) {
                ::DeleteFileW((path + found.cFileName).c_str());
            }
        } while (::FindNextFileW(search.get(), &found));
    }
    ::DeleteFileW(m_layout.Path(OutputLayout::kJournal).c_str());
}

void PageOutputs::Write(const std::wstring& name, const std::string& content) const
{
    std::string error;
    if (!AtomicFile::Write(m_layout.Path(name), content, error)) {
        throw SessionFailure("cannot write " + WideToUtf8(m_layout.Path(name)) + ": " + error);
    }
}
