#include "OutputLayout.h"

#include <cstdio>
#include <utility>

#include "OcrFormat.h"
#include "Utf8.h"

namespace {

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide;
    Utf8ToWide(utf8, wide);
    return wide;
}

} // namespace

OutputLayout::OutputLayout(std::wstring folder, bool onePageForm)
    : m_folder(std::move(folder))
    , m_onePageForm(onePageForm)
{
}

std::wstring OutputLayout::Path(const std::wstring& name) const
{
    return m_folder + L"\\" + name;
}

std::vector<std::wstring> OutputLayout::Folders() const
{
    if (m_onePageForm) {
        return {kTrainFolder};
    }
    return {kTrainFolder, kPagesFolder, kOcrFolder};
}

std::string OutputLayout::PageName(const PlannedPage& planned) const
{
    return m_onePageForm ? std::string() : WideToUtf8(planned.stem);
}

std::wstring OutputLayout::WordFileName(const std::string& pageName, int index)
{
    wchar_t number[16];
    static_cast<void>(std::swprintf(number, sizeof number / sizeof number[0], L"%04d", index));
    return pageName.empty() ? std::wstring(number) : Wide(pageName) + L"-" + number;
}

std::vector<std::wstring> OutputLayout::TrainingPair(const std::string& pageName, int index)
{
    const std::wstring pair = std::wstring(kTrainFolder) + L"\\" + WordFileName(pageName, index);
    return {pair + L".png", pair + L".gt.txt"};
}

std::wstring OutputLayout::Screenshot(const std::wstring& folder, const std::string& pageName, int index)
{
    return folder + L"\\" + WordFileName(pageName, index) + L".png";
}

std::wstring OutputLayout::PageDocument(const std::wstring& stem, const wchar_t* extension)
{
    return std::wstring(kPagesFolder) + L"\\" + stem + extension;
}

std::vector<const wchar_t*> OutputLayout::DocumentSuffixes(const PlannedPage& planned)
{
    if (!planned.ocr) {
        // Recognised by the engine when its turn comes: its documents will be the engine's
        // TSV and hOCR, whose files bear their formats' suffixes.
        return EngineOutputExtensions();
    }
    std::vector<const wchar_t*> suffixes;
    for (const auto& document : planned.ocr->Documents()) {
        suffixes.push_back(document->Suffix());
    }
    return suffixes;
}

std::vector<std::wstring> OutputLayout::PageDocumentNames(const PlannedPage& planned) const
{
    std::vector<std::wstring> names;
    if (m_onePageForm) {
        return names;
    }
    for (const wchar_t* suffix : DocumentSuffixes(planned)) {
        names.push_back(PageDocument(planned.stem, suffix));
    }
    names.push_back(PageDocument(planned.stem, L".txt"));
    return names;
}

std::wstring OutputLayout::SessionDocument(const wchar_t* suffix)
{
    return std::wstring(L"verified") + suffix;
}

std::vector<std::wstring> OutputLayout::SessionDocumentNames(const PlannedPage& planned)
{
    // One document for all the frames of the one image.
    std::vector<std::wstring> names;
    for (const wchar_t* suffix : DocumentSuffixes(planned)) {
        names.push_back(SessionDocument(suffix));
    }
    return names;
}

std::wstring OutputLayout::EngineOutput(const std::wstring& stem, const wchar_t* extension)
{
    return std::wstring(kOcrFolder) + L"\\" + stem + extension;
}

const std::vector<const wchar_t*>& OutputLayout::PageDocumentExtensions()
{
    static const std::vector<const wchar_t*> extensions = [] {
        std::vector<const wchar_t*> all = OcrFormat::Suffixes();
        all.push_back(L".txt");
        return all;
    }();
    return extensions;
}

const std::vector<const wchar_t*>& OutputLayout::EngineOutputExtensions()
{
    static const std::vector<const wchar_t*> extensions{L".tsv", L".hocr"};
    return extensions;
}
