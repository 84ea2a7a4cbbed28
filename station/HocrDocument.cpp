#include "HocrDocument.h"

#include <windows.h>

#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <sstream>

#include "AtomicFile.h"
#include "InputError.h"
#include "Released.h"
#include "Utf8.h"

namespace {

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

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
                wchar_t* end = nullptr;
                const double number = std::wcstod(value.c_str(), &end);
                numeric = numeric && *end == L'\0' && std::isfinite(number);
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
    // A line end after the document, which XML allows: Wine's reader ends the process on a
    // file that stops inside its XML declaration, and reports an error given one more byte.
    content += '\n';
    HMODULE xmlLite = ::LoadLibraryW(L"xmllite.dll");
    const auto createReader = xmlLite == nullptr ? nullptr
                                                 : reinterpret_cast<CreateXmlReaderFn>(reinterpret_cast<void*>(
                                                       ::GetProcAddress(xmlLite, "CreateXmlReader")));
    if (createReader == nullptr) {
        throw InputError(path, "cannot be read: the platform's XML reader (xmllite.dll) is missing");
    }
    Released<IXmlReader> reader;
    Released<IStream> stream;
    stream.pointer = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(content.data()), static_cast<UINT>(content.size()));
    if (FAILED(createReader(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader.pointer), nullptr)) ||
        stream.pointer == nullptr) {
        throw InputError(path, "cannot be read: the XML reader could not be made");
    }
    // Tesseract's hOCR declares the XHTML DTD; it is read, never fetched.
    reader.pointer->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Parse);
    reader.pointer->SetInput(stream.pointer);

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
    // Every node of a document without entities takes at least one of its characters. Wine's
    // reader, given a file cut short after a start tag, returns the same white space forever:
    // more nodes than characters mean a reader stuck at the end of a file that ends too early
    // (or entities that expand into more nodes than Tesseract's hOCR ever has).
    size_t nodesLeft = content.size() + 1;
    while ((result = reader.pointer->Read(&type)) == S_OK) {
        if (nodesLeft-- == 0) {
            throw InputError(path, LineNumber(reader.pointer), "not well-formed XML (the file ends too early)");
        }
        if (type == XmlNodeType_Element) {
            const int line = LineNumber(reader.pointer);
            const bool empty = reader.pointer->IsEmptyElement() != FALSE;
            const wchar_t* name = nullptr;
            reader.pointer->GetLocalName(&name, nullptr);
            const std::wstring className = Attribute(reader.pointer, L"class");
            Kind kind = kOther;
            if (std::wcscmp(name, L"meta") == 0 && Attribute(reader.pointer, L"name") == L"ocr-system") {
                fromTesseract = Attribute(reader.pointer, L"content").rfind(L"tesseract", 0) == 0;
            } else if (className == L"ocr_page") {
                page = true;
            } else if (className == L"ocr_line" || className == L"ocr_caption" || className == L"ocr_textfloat" ||
                       className == L"ocr_header") {
                const TitleProperties title(Attribute(reader.pointer, L"title"));
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
                const TitleProperties title(Attribute(reader.pointer, L"title"));
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
                const TitleProperties title(Attribute(reader.pointer, L"title"));
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
                reader.pointer->GetValue(&text, &length);
                wordText.append(text, length);
            }
        }
    }
    if (SUCCEEDED(result) && !open.empty()) {
        throw InputError(path, LineNumber(reader.pointer), "not well-formed XML (the file ends inside an element)");
    }
    if (FAILED(result)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
        throw InputError(path, LineNumber(reader.pointer), std::string("not well-formed XML (") + code + ")");
    }
    if (!fromTesseract || !page) {
        throw InputError(path, "not Tesseract's hOCR (no ocr-system \"tesseract\" or no ocr_page)");
    }
    return document;
}
