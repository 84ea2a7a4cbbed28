#include "XmlMarkup.h"

#include <cstring>
#include <stdexcept>

#include "XmlBlank.h"

namespace {

bool StartsWith(const std::string& bytes, size_t at, const char* prefix)
{
    return bytes.compare(at, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Counts lines as XML does: "\r\n", "\r" and "\n" each end one.
class LineCounter {
public:
    explicit LineCounter(const std::string& bytes) : m_bytes(bytes) {}

    int At(size_t position)
    {
        for (; m_counted < position; ++m_counted) {
            const char c = m_bytes[m_counted];
            if (c == '\n' || (c == '\r' && (m_counted + 1 >= m_bytes.size() || m_bytes[m_counted + 1] != '\n'))) {
                ++m_line;
            }
        }
        return m_line;
    }

private:
    const std::string& m_bytes;
    size_t m_counted = 0;
    int m_line = 1;
};

size_t EndOf(const std::string& bytes, size_t from, const char* terminator)
{
    const size_t found = bytes.find(terminator, from);
    if (found == std::string::npos) {
        throw std::runtime_error("unterminated markup");
    }
    return found + std::char_traits<char>::length(terminator);
}

// The first of `stops` at or after `from` that stands outside quoted values; npos for none.
size_t FirstOutsideQuotes(const std::string& bytes, size_t from, const char* stops)
{
    char quote = 0;
    for (size_t i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (std::strchr(stops, c) != nullptr) {
            return i;
        }
    }
    return std::string::npos;
}

} // namespace

size_t XmlMarkup::TagEnd(const std::string& bytes, size_t start)
{
    const size_t end = FirstOutsideQuotes(bytes, start + 1, ">");
    return end == std::string::npos ? end : end + 1;
}

XmlMarkup::Doctype XmlMarkup::FindDoctype(const std::string& bytes)
{
    Doctype doctype;
    LineCounter lines(bytes);
    size_t i = StartsWith(bytes, 0, "\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (XmlBlank::Is(c)) {
            ++i;
        } else if (StartsWith(bytes, i, "<?")) {
            i = bytes.find("?>", i);
            i = i == std::string::npos ? bytes.size() : i + 2;
        } else if (StartsWith(bytes, i, "<!--")) {
            i = bytes.find("-->", i + 4);
            i = i == std::string::npos ? bytes.size() : i + 3;
        } else if (StartsWith(bytes, i, "<!DOCTYPE")) {
            doctype.found = true;
            doctype.start = i;
            doctype.line = lines.At(i);
            // The internal subset is the only place where '[' may stand outside quotes.
            const size_t stop = FirstOutsideQuotes(bytes, i + 9, "[>");
            doctype.internalSubset = stop != std::string::npos && bytes[stop] == '[';
            doctype.end = stop == std::string::npos || doctype.internalSubset ? bytes.size() : stop + 1;
            return doctype;
        } else {
            break; // the root element, or something the reader will refuse
        }
    }
    return doctype;
}

XmlMarkup::XmlMarkup(const std::string& bytes)
{
    LineCounter lines(bytes);
    std::vector<size_t> open;
    size_t i = 0;
    while ((i = bytes.find('<', i)) != std::string::npos) {
        if (StartsWith(bytes, i, "<!--")) {
            i = EndOf(bytes, i + 4, "-->");
        } else if (StartsWith(bytes, i, "<![CDATA[")) {
            i = EndOf(bytes, i + 9, "]]>");
        } else if (StartsWith(bytes, i, "<?")) {
            i = EndOf(bytes, i + 2, "?>");
        } else if (StartsWith(bytes, i, "</")) {
            if (open.empty()) {
                throw std::runtime_error("an end tag without its start");
            }
            Element& element = m_elements[open.back()];
            open.pop_back();
            element.contentEnd = i;
            element.end = EndOf(bytes, i, ">");
            i = element.end;
        } else {
            const size_t end = TagEnd(bytes, i);
            if (end == std::string::npos) {
                throw std::runtime_error("unterminated markup");
            }
            if (bytes[i + 1] != '!') { // not a document type declaration: a start tag
                Element element;
                element.start = i;
                element.tagEnd = end;
                element.line = lines.At(i);
                size_t nameEnd = i + 1;
                while (nameEnd < end && std::string(" \t\r\n/>").find(bytes[nameEnd]) == std::string::npos) {
                    ++nameEnd;
                }
                element.name = bytes.substr(i + 1, nameEnd - i - 1);
                if (bytes[end - 2] == '/') {
                    element.contentEnd = end;
                    element.end = end;
                } else {
                    open.push_back(m_elements.size());
                }
                m_elements.push_back(std::move(element));
            }
            i = end;
        }
    }
    if (!open.empty()) {
        throw std::runtime_error("an element without its end tag");
    }
}
