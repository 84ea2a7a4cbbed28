#include "OutputLayout.h"

#include <cstdio>
#include <utility>

#include "Utf8.h"

namespace {

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide;
    Utf8ToWide(utf8, wide);
    return wide;
}

// What the page's documents are: what the engine writes, or what lies beside the image.
struct GivenDocuments {
    explicit GivenDocuments(const PlannedPage& planned)
        : tsv(planned.NeedsEngine() || !planned.tsv.empty())
        , hocr(planned.NeedsEngine() || !planned.hocr.empty())
        , xml(!planned.xml.empty())
    {
    }
    bool tsv;
    bool hocr;
    bool xml;
};

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

std::vector<std::wstring> OutputLayout::PageDocumentNames(const PlannedPage& planned) const
{
    std::vector<std::wstring> names;
    if (m_onePageForm) {
        return names;
    }
    const GivenDocuments given(planned);
    for (const auto& [has, extension] : {std::pair{given.tsv, L".tsv"}, std::pair{given.hocr, L".hocr"},
                                         std::pair{given.xml, L".xml"}, std::pair{true, L".txt"}}) {
        if (has) {
            names.push_back(PageDocument(planned.stem, extension));
        }
    }
    return names;
}

std::vector<std::wstring> OutputLayout::SessionDocumentNames(const PlannedPage& planned)
{
    // One document for all the frames of the one image.
    std::vector<std::wstring> names;
    const GivenDocuments given(planned);
    for (const auto& [has, name] : {std::pair{given.tsv, kVerifiedTsv}, std::pair{given.hocr, kVerifiedHocr},
                                    std::pair{given.xml, kVerifiedXml}}) {
        if (has) {
            names.emplace_back(name);
        }
    }
    return names;
}

std::wstring OutputLayout::EngineOutput(const std::wstring& stem, const wchar_t* extension)
{
    return std::wstring(kOcrFolder) + L"\\" + stem + extension;
}

const std::vector<const wchar_t*>& OutputLayout::PageDocumentExtensions()
{
    static const std::vector<const wchar_t*> extensions{L".tsv", L".txt", L".hocr", L".xml"};
    return extensions;
}

const std::vector<const wchar_t*>& OutputLayout::EngineOutputExtensions()
{
    static const std::vector<const wchar_t*> extensions{L".tsv", L".hocr"};
    return extensions;
}
