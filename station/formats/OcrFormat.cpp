#include "OcrFormat.h"

#include <algorithm>
#include <cwchar>

#include "InputError.h"
#include "InputFile.h"
#include "Utf8.h"
#include "XmlSource.h"

namespace {

const wchar_t* const kAltoNamespaces[] = {L"", OcrFormat::kAltoV2Namespace,
                                          L"http://www.loc.gov/standards/alto/ns-v3#",
                                          L"http://www.loc.gov/standards/alto/ns-v4#"};
const wchar_t* const kPageNamespaces[] = {L"http://schema.primaresearch.org/PAGE/gts/pagecontent/2013-07-15",
                                          L"http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15"};

constexpr OcrFormat::Kind kKinds[] = {OcrFormat::kTsv, OcrFormat::kHocr, OcrFormat::kAlto, OcrFormat::kPage};

template <size_t count>
bool OneOf(const std::wstring& value, const wchar_t* const (&choices)[count])
{
    for (const wchar_t* choice : choices) {
        if (value == choice) {
            return true;
        }
    }
    return false;
}

} // namespace

OcrFormat::Kind OcrFormat::Of(const std::string& bytes, const std::wstring& path)
{
    const size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (bytes.compare(start, 6, "level\t") == 0) {
        return kTsv;
    }
    const std::string expected = "not Tesseract's TSV, nor hOCR, ALTO or PAGE XML";
    if (bytes.find('<') == std::string::npos) {
        throw InputError(path, expected);
    }
    XmlSource source(bytes, path);
    while (source.Next()) {
        if (source.Type() != XmlNodeType_Element) {
            continue;
        }
        const std::wstring name = source.LocalName();
        const std::wstring space = source.NamespaceUri();
        if (name == L"html" && (space.empty() || space == L"http://www.w3.org/1999/xhtml")) {
            return kHocr;
        }
        if (name == L"alto" && OneOf(space, kAltoNamespaces)) {
            return kAlto;
        }
        if (name == L"PcGts" && OneOf(space, kPageNamespaces)) {
            return kPage;
        }
        source.Fail(expected + " (root element \"" + WideToUtf8(name) + "\"" +
                    (space.empty() ? std::string() : " in namespace \"" + WideToUtf8(space) + "\"") + ")");
    }
    throw InputError(path, expected + " (no root element)");
}

OcrFormat::Kind OcrFormat::OfFile(const std::wstring& path)
{
    return Of(InputFile::Read(path), path);
}

const wchar_t* OcrFormat::Suffix(Kind kind)
{
    switch (kind) {
    case kTsv:
        return L".tsv";
    case kHocr:
        return L".hocr";
    case kAlto:
    case kPage:
        break;
    }
    return L".xml";
}

std::vector<const wchar_t*> OcrFormat::Suffixes()
{
    std::vector<const wchar_t*> suffixes;
    for (const Kind kind : kKinds) {
        const wchar_t* suffix = Suffix(kind);
        if (std::none_of(suffixes.begin(), suffixes.end(),
                         [suffix](const wchar_t* known) { return std::wcscmp(known, suffix) == 0; })) {
            suffixes.push_back(suffix);
        }
    }
    return suffixes;
}
