#include "PageOutputs.h"

#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "AtomicFile.h"
#include "OcrDocument.h"
#include "PngWriter.h"
#include "SessionFailure.h"
#include "Utf8.h"
#include "WordImage.h"

PageOutputs::PageOutputs(OutputLayout layout)
    : m_layout(std::move(layout))
{
}

std::string PageOutputs::Text(const PageWords& words, const std::vector<VerifiedWord>& journalWords)
{
    VerifiedTexts verifiedTexts;
    verifiedTexts.Add(words, journalWords);
    const std::map<int, std::string>& verified = verifiedTexts.ByIndex();
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
        std::vector<std::uint8_t> png;
        std::string unencoded;
        if (!EncodePng(crop.width, crop.height, 1, crop.grey, png, unencoded)) {
            throw SessionFailure("the crop of word " + std::to_string(word.index) + " cannot be encoded as PNG");
        }
        const std::vector<std::wstring> pair = OutputLayout::TrainingPair(pageName, word.index);
        Write(pair[0], std::string(png.begin(), png.end()));
        Write(pair[1], word.corrected + "\n");
    }
    if (m_layout.OnePageForm()) {
        return; // the whole document's files are written once, at the end
    }
    // A document that several frames share is written per page with that page's corrections
    // (the engine's output has the one page it recognised).
    VerifiedTexts verified;
    verified.Add(page.words, words);
    const int ocrPage = planned.NeedsEngine() ? 1 : planned.ocrPage;
    for (const auto& document : page.ocr->Documents()) {
        Write(OutputLayout::PageDocument(planned.stem, document->Suffix()), document->WrittenBack(verified, ocrPage));
    }
    Write(OutputLayout::PageDocument(planned.stem, L".txt"), Text(page.words, words));
}

void PageOutputs::WriteSession(const std::vector<PlannedPage>& pages, const SessionRecord& session) const
{
    // Pages apart by a form feed, as the engine's own text output has them.
    std::string text;
    for (size_t i = 0; i < pages.size(); ++i) {
        std::string pageText;
        std::string unread;
        if (m_layout.OnePageForm()) {
            pageText = Text(pages[i].ocr->Words(pages[i].ocrPage), session.pages[i].words);
        } else if (!AtomicFile::Read(m_layout.Path(OutputLayout::PageDocument(pages[i].stem, L".txt")), pageText,
                                     unread)) {
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
    VerifiedTexts verified;
    for (size_t i = 0; i < pages.size(); ++i) {
        verified.Add(ocr.Words(pages[i].ocrPage), session.pages[i].words);
    }
    for (const auto& document : ocr.Documents()) {
        Write(OutputLayout::SessionDocument(document->Suffix()), document->WrittenBack(verified, 0));
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
