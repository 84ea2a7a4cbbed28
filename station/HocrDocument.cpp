#include "HocrDocument.h"

#include <windows.h>

#include <objidl.h>
#include <shlwapi.h>
#include <wrl/client.h>
#include <xmllite.h>

#include <cstdio>
#include <cwchar>
#include <sstream>

#include "AtomicFile.h"
#include "InputError.h"
#include "LoadedLibrary.h"
#include "ParseNumber.h"
#include "Utf8.h"

namespace {

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// Bounds that keep every later computation with a box or a size defined: far beyond any
// page, far within an int.
constexpr double kMostNumber = 100000000;

// The properties of an hOCR title ("bbox 1 2 3 4; x_wconf 96"), by name.
class TitleProperties {
public:
    explicit TitleProperties(const std::wstring& title)
    {
        std::wstringstream parts(title);
        std::wstring part;
        while (std::getline(parts, part, L';')) {
            std::wstringstream words(part);
            std::wstring name;
            words >> name;
            std::vector<double> values;
            std::wstring value;
            bool numeric = true;
            while (words >> value) {
                double number = 0;
                numeric = numeric && ParseDecimal(std::wstring_view(value), -kMostNumber, kMostNumber, number);
                values.push_back(number);
            }
            if (!name.empty()) {
                m_properties.push_back({name, values, numeric});
            }
        }
    }

    // The property's numbers; false when it is missing. Throws when it is malformed.
    bool Numbers(const wchar_t* name, size_t count, std::vector<double>& values, const std::wstring& path,
                 int line) const
    {
        for (const Property& property : m_properties) {
            if (property.name == name) {
                if (!property.numeric || property.values.size() < count) {
                    throw InputError(path, line, "malformed \"" + WideToUtf8(name) + "\" in a title");
                }
                values = property.values;
                return true;
            }
        }
        return false;
    }

    Box BoundingBox(const wchar_t* name, const std::wstring& path, int line) const
    {
        std::vector<double> values;
        if (!Numbers(name, 4, values, path, line)) {
            throw InputError(path, line, "an element has no \"" + WideToUtf8(name) + "\"");
        }
        const int left = static_cast<int>(values[0]);
        const int top = static_cast<int>(values[1]);
        return {left, top, static_cast<int>(values[2]) - left, static_cast<int>(values[3]) - top};
    }

private:
    struct Property {
        std::wstring name;
        std::vector<double> values;
        bool numeric;
    };
    std::vector<Property> m_properties;
};

std::wstring Attribute(IXmlReader* reader, const wchar_t* name)
{
    std::wstring value;
    if (reader->MoveToAttributeByName(name, nullptr) == S_OK) {
        const wchar_t* text = nullptr;
        if (SUCCEEDED(reader->GetValue(&text, nullptr)) && text != nullptr) {
            value = text;
        }
    }
    reader->MoveToElement();
    return value;
}

int LineNumber(IXmlReader* reader)
{
    UINT line = 0;
    reader->GetLineNumber(&line);
    return static_cast<int>(line);
}

} // namespace

HocrDocument HocrDocument::Read(const std::wstring& path)
{
    std::string content;
    if (!AtomicFile::Read(path, content)) {
        throw InputError(path, "cannot be opened or read");
    }
    // The platform's XML reader, from System32 only.
    const LoadedLibrary xmlLite = LoadedLibrary::FromSystem(L"xmllite.dll");
    const auto createReader = xmlLite.Function<CreateXmlReaderFn>("CreateXmlReader");
    if (createReader == nullptr) {
        throw InputError(path, "cannot be read: the platform's XML reader (xmllite.dll) is missing");
    }
    Microsoft::WRL::ComPtr<IXmlReader> reader;
    Microsoft::WRL::ComPtr<IStream> stream;
    stream.Attach(::SHCreateMemStream(reinterpret_cast<const BYTE*>(content.data()), static_cast<UINT>(content.size())));
    if (FAILED(createReader(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.GetAddressOf()), nullptr)) ||
        stream == nullptr) {
        throw InputError(path, "cannot be read: the XML reader could not be made");
    }
    // Tesseract's hOCR declares the XHTML DTD; it is read, never fetched.
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Parse);
    reader->SetInput(stream.Get());

    HocrDocument document;
    bool fromTesseract = false;
    bool page = false;
    // The open elements' kinds, so that each end tag closes what its start opened.
    enum Kind { kOther, kLine, kWord, kCharacter };
    std::vector<Kind> open;
    Word* word = nullptr;
    bool wordHasCharacters = false;
    std::wstring wordText;

    XmlNodeType type = XmlNodeType_None;
    HRESULT result = S_OK;
    while ((result = reader->Read(&type)) == S_OK) {
        if (type == XmlNodeType_Element) {
            const int line = LineNumber(reader.Get());
            const bool empty = reader->IsEmptyElement() != FALSE;
            const wchar_t* name = nullptr;
            reader->GetLocalName(&name, nullptr);
            const std::wstring className = Attribute(reader.Get(), L"class");
            Kind kind = kOther;
            if (std::wcscmp(name, L"meta") == 0 && Attribute(reader.Get(), L"name") == L"ocr-system") {
                fromTesseract = Attribute(reader.Get(), L"content").rfind(L"tesseract", 0) == 0;
            } else if (className == L"ocr_page") {
                page = true;
            } else if (className == L"ocr_line" || className == L"ocr_caption" || className == L"ocr_textfloat" ||
                       className == L"ocr_header") {
                const TitleProperties title(Attribute(reader.Get(), L"title"));
                Line textLine;
                textLine.box = title.BoundingBox(L"bbox", path, line);
                std::vector<double> values;
                if (title.Numbers(L"x_size", 1, values, path, line)) {
                    textLine.xSize = values[0];
                }
                if (title.Numbers(L"baseline", 2, values, path, line)) {
                    textLine.baselineSlope = values[0];
                }
                document.m_lines.push_back(textLine);
                kind = kLine;
            } else if (className == L"ocrx_word") {
                if (document.m_lines.empty()) {
                    throw InputError(path, line, "a word outside any line");
                }
                const TitleProperties title(Attribute(reader.Get(), L"title"));
                Word newWord;
                newWord.position = static_cast<int>(document.m_words.size()) + 1;
                newWord.line = static_cast<int>(document.m_lines.size()) - 1;
                newWord.box = title.BoundingBox(L"bbox", path, line);
                std::vector<double> values;
                if (!title.Numbers(L"x_wconf", 1, values, path, line)) {
                    throw InputError(path, line, "a word has no \"x_wconf\"");
                }
                newWord.confidence = values[0];
                document.m_words.push_back(newWord);
                word = &document.m_words.back();
                wordHasCharacters = false;
                wordText.clear();
                kind = kWord;
            } else if (className == L"ocrx_cinfo" && word != nullptr) {
                const TitleProperties title(Attribute(reader.Get(), L"title"));
                RecognisedCharacter character;
                character.box = title.BoundingBox(L"x_bboxes", path, line);
                std::vector<double> values;
                if (!title.Numbers(L"x_conf", 1, values, path, line)) {
                    throw InputError(path, line, "a character has no \"x_conf\"");
                }
                character.confidence = values[0];
                if (!wordHasCharacters) {
                    wordText.clear(); // the characters' texts make the word
                    wordHasCharacters = true;
                }
                word->characters.push_back(character);
                kind = kCharacter;
            }
            if (!empty) {
                open.push_back(kind);
            } else if (kind == kWord) {
                word = nullptr;
            }
        } else if (type == XmlNodeType_EndElement && !open.empty()) {
            if (open.back() == kWord && word != nullptr) {
                word->text = WideToUtf8(wordText);
                word = nullptr;
            }
            open.pop_back();
        } else if ((type == XmlNodeType_Text || type == XmlNodeType_CDATA) && word != nullptr) {
            const bool inCharacter = !open.empty() && open.back() == kCharacter;
            if (inCharacter || !wordHasCharacters) {
                const wchar_t* text = nullptr;
                UINT length = 0;
                reader->GetValue(&text, &length);
                wordText.append(text, length);
            }
        }
    }
    if (FAILED(result)) {
        char code[16];
        static_cast<void>(std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result)));
        throw InputError(path, LineNumber(reader.Get()), std::string("not well-formed XML (") + code + ")");
    }
    if (!fromTesseract || !page) {
        throw InputError(path, "not Tesseract's hOCR (no ocr-system \"tesseract\" or no ocr_page)");
    }
    return document;
}
