#include "XmlSource.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "InputError.h"
#include "LoadedLibrary.h"
#include "XmlMarkup.h"

namespace {

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// The platform's XML reader, from the system folder only: never a DLL of that name beside
// the program or in the working folder. Loaded once and kept while the process runs.
CreateXmlReaderFn ReaderFactory()
{
    static const LoadedLibrary xmlLite = LoadedLibrary::FromSystem(L"xmllite.dll");
    return xmlLite.Function<CreateXmlReaderFn>("CreateXmlReader");
}

// The encoding the XML declaration names, lower-cased; empty when it names none.
std::string DeclaredEncoding(const std::string& bytes, size_t start)
{
    if (bytes.compare(start, 5, "<?xml") != 0) {
        return {};
    }
    const size_t end = bytes.find("?>", start);
    const size_t name = bytes.find("encoding", start);
    if (end == std::string::npos || name == std::string::npos || name > end) {
        return {};
    }
    const size_t open = bytes.find_first_of("\"'", name);
    const size_t close = open == std::string::npos ? open : bytes.find(bytes[open], open + 1);
    if (close == std::string::npos || close > end) {
        return {};
    }
    std::string encoding = bytes.substr(open + 1, close - open - 1);
    for (char& c : encoding) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return encoding;
}

// Comments longer than this are refused: Wine's reader reads past the end of its buffer in
// one of a few hundred thousand characters (an access violation). The formats' own
// comments are a few lines.
constexpr size_t kLongestComment = 65536;

// Where the longest comment starts, and its length; a comment never closed runs to the end.
std::pair<size_t, size_t> LongestComment(const std::string& bytes)
{
    std::pair<size_t, size_t> longest{0, 0};
    size_t start = bytes.find("<!--");
    while (start != std::string::npos) {
        const size_t close = bytes.find("-->", start + 4);
        const size_t end = close == std::string::npos ? bytes.size() : close + 3;
        if (end - start > longest.second) {
            longest = {start, end - start};
        }
        start = bytes.find("<!--", end);
    }
    return longest;
}

int LineAt(const std::string& bytes, size_t offset)
{
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

bool LooksUtf16(const std::string& bytes)
{
    if (bytes.size() < 2) {
        return false;
    }
    const auto first = static_cast<unsigned char>(bytes[0]);
    const auto second = static_cast<unsigned char>(bytes[1]);
    return (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF) || first == 0 || second == 0;
}

} // namespace

XmlSource::XmlSource(const std::string& bytes, std::wstring path)
    : m_bytes(bytes)
    , m_path(std::move(path))
{
    const size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const std::string encoding = DeclaredEncoding(bytes, start);
    if (LooksUtf16(bytes) || (!encoding.empty() && encoding != "utf-8")) {
        throw InputError(m_path, 1, "not UTF-8: only UTF-8 documents are read");
    }
    const std::pair<size_t, size_t> comment = LongestComment(bytes);
    if (comment.second > kLongestComment) {
        throw InputError(m_path, LineAt(bytes, comment.first),
                         "a comment of " + std::to_string(comment.second) + " characters (more than " +
                             std::to_string(kLongestComment) + ")");
    }
    // The declaration is blanked out, line breaks kept, so that the reader never sees a
    // DTD and its line numbers stay those of the file.
    const XmlMarkup::Doctype doctype = XmlMarkup::FindDoctype(bytes);
    std::string blanked;
    if (doctype.found) {
        if (doctype.internalSubset) {
            throw InputError(m_path, doctype.line,
                             "a document type declaration with an internal subset (entity declarations) is refused");
        }
        blanked = bytes;
        for (size_t i = doctype.start; i < doctype.end; ++i) {
            blanked[i] = blanked[i] == '\n' || blanked[i] == '\r' ? blanked[i] : ' ';
        }
    }
    const std::string& readable = doctype.found ? blanked : bytes;

    const CreateXmlReaderFn createReader = ReaderFactory();
    if (createReader == nullptr) {
        throw InputError(m_path, "cannot be read: the platform's XML reader (xmllite.dll) is missing");
    }
    // The stream holds its own copy, with a line end after the document, which XML allows:
    // Wine's reader ends the process on a file that stops inside its XML declaration, and
    // reports an error given one more byte. A document without a declaration gets one, on
    // its first line so that no line moves: given white space before the root element and
    // no declaration (hOCR that begins with "<!DOCTYPE html>", blanked above), Wine's reader
    // ends at once, as if the document were empty.
    const bool declared = readable.compare(start, 5, "<?xml") == 0 && readable.size() > start + 5 &&
                          std::string(" \t\r\n").find(readable[start + 5]) != std::string::npos;
    const std::string declaration = declared ? std::string() : "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    Microsoft::WRL::ComPtr<IStream> stream;
    stream.Attach(::SHCreateMemStream(nullptr, 0));
    const LARGE_INTEGER beginning{};
    if (stream == nullptr || FAILED(stream->Write(readable.data(), static_cast<ULONG>(start), nullptr)) ||
        FAILED(stream->Write(declaration.data(), static_cast<ULONG>(declaration.size()), nullptr)) ||
        FAILED(stream->Write(readable.data() + start, static_cast<ULONG>(readable.size() - start), nullptr)) ||
        FAILED(stream->Write("\n", 1, nullptr)) || FAILED(stream->Seek(beginning, STREAM_SEEK_SET, nullptr)) ||
        FAILED(createReader(__uuidof(IXmlReader), reinterpret_cast<void**>(m_reader.GetAddressOf()), nullptr))) {
        throw InputError(m_path, "cannot be read: the XML reader could not be made");
    }
    m_nodesLeft = declaration.size() + readable.size() + 1;
    // The reader's own depth limit lies beyond ours, so that ours gives the message.
    if (FAILED(m_reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
        FAILED(m_reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxDepth + 2)) ||
        FAILED(m_reader->SetInput(stream.Get()))) {
        throw InputError(m_path, "cannot be read: the XML reader refused its settings");
    }
}

bool XmlSource::Next()
{
    if (m_type == XmlNodeType_Element && !m_empty) {
        ++m_depth;
    }
    const HRESULT result = m_reader->Read(&m_type);
    if (result == S_FALSE) {
        if (m_depth > 0) {
            Fail("not well-formed XML (the file ends inside an element)");
        }
        CheckMarkup();
        return false;
    }
    // Without entities every node takes at least one character of the file. Wine's reader,
    // given a file cut short after a start tag, returns the same white space forever: more
    // nodes than characters mean a reader stuck at the end of a file that ends too early.
    if (result == S_OK && m_nodesLeft-- == 0) {
        Fail("not well-formed XML (the file ends too early)");
    }
    if (FAILED(result)) {
        std::ostringstream code;
        code << "0x" << std::hex << std::uppercase << std::setw(8) << std::setfill('0')
             << static_cast<unsigned long>(result);
        Fail("not well-formed XML (" + code.str() + ")");
    }
    if (m_type == XmlNodeType_Element) {
        ++m_element;
        m_elementLines.push_back(Line());
        m_empty = m_reader->IsEmptyElement() != FALSE;
        if (m_depth + 1 > kMaxDepth) {
            Fail("elements nested more than " + std::to_string(kMaxDepth) + " deep");
        }
    } else if (m_type == XmlNodeType_EndElement) {
        --m_depth;
    }
    return true;
}

std::wstring XmlSource::Text(HRESULT (STDMETHODCALLTYPE IXmlReader::*getter)(LPCWSTR*, UINT*)) const
{
    const wchar_t* text = nullptr;
    UINT length = 0;
    return SUCCEEDED((m_reader.Get()->*getter)(&text, &length)) && text != nullptr ? std::wstring(text, length)
                                                                                   : std::wstring();
}

std::wstring XmlSource::LocalName() const
{
    return Text(&IXmlReader::GetLocalName);
}

std::wstring XmlSource::NamespaceUri() const
{
    return Text(&IXmlReader::GetNamespaceUri);
}

std::wstring XmlSource::LocalNameIn(const std::wstring& space) const
{
    return NamespaceUri() == space ? LocalName() : std::wstring();
}

bool XmlSource::Attribute(const wchar_t* name, std::wstring& value) const
{
    bool found = false;
    if (m_reader->MoveToAttributeByName(name, nullptr) == S_OK) {
        const wchar_t* text = nullptr;
        UINT length = 0;
        if (SUCCEEDED(m_reader->GetValue(&text, &length)) && text != nullptr) {
            value.assign(text, length);
            found = true;
        }
    }
    m_reader->MoveToElement();
    return found;
}

std::wstring XmlSource::Attribute(const wchar_t* name) const
{
    std::wstring value;
    Attribute(name, value);
    return value;
}

std::wstring XmlSource::Value() const
{
    return Text(&IXmlReader::GetValue);
}

int XmlSource::Line() const
{
    UINT line = 0;
    m_reader->GetLineNumber(&line);
    return static_cast<int>(line);
}

void XmlSource::CheckMarkup() const
{
    try {
        const XmlMarkup markup(m_bytes);
        bool same = markup.Count() == static_cast<int>(m_elementLines.size());
        for (int element = 0; same && element < markup.Count(); ++element) {
            same = markup[element].line == m_elementLines[static_cast<size_t>(element)];
        }
        if (same) {
            return;
        }
    } catch (const std::runtime_error&) {
        // described below
    }
    throw InputError(m_path, "its markup could not be followed element by element, so it cannot be rewritten");
}

void XmlSource::Fail(const std::string& what) const
{
    throw InputError(m_path, Line(), what);
}
