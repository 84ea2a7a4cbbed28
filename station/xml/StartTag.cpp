#include "StartTag.h"

#include "XmlBlank.h"

std::string StartTag::Prefix() const
{
    const std::string name = Name();
    const size_t colon = name.find(':');
    return colon == std::string::npos ? std::string() : name.substr(0, colon + 1);
}

std::string StartTag::Name() const
{
    size_t end = 1;
    while (end < m_text.size() && !XmlBlank::Is(m_text[end]) && m_text[end] != '/' && m_text[end] != '>') {
        ++end;
    }
    return m_text.substr(1, end - 1);
}

bool StartTag::Find(std::string_view name, Attribute& found) const
{
    size_t i = 1 + Name().size();
    while (i < m_text.size()) {
        Attribute attribute;
        attribute.blanks = i;
        while (i < m_text.size() && XmlBlank::Is(m_text[i])) {
            ++i;
        }
        if (i >= m_text.size() || m_text[i] == '/' || m_text[i] == '>') {
            return false;
        }
        attribute.start = i;
        while (i < m_text.size() && m_text[i] != '=' && !XmlBlank::Is(m_text[i])) {
            ++i;
        }
        const std::string_view attributeName(m_text.data() + attribute.start, i - attribute.start);
        i = m_text.find_first_of("\"'", i);
        if (i == std::string::npos) {
            return false;
        }
        attribute.valueStart = i + 1;
        attribute.valueEnd = m_text.find(m_text[i], attribute.valueStart);
        if (attribute.valueEnd == std::string::npos) {
            return false;
        }
        if (attributeName == name) {
            found = attribute;
            return true;
        }
        i = attribute.valueEnd + 1;
    }
    return false;
}

size_t StartTag::AttributesEnd() const
{
    size_t end = 1 + Name().size();
    char quote = 0;
    for (size_t i = end; i < m_text.size(); ++i) {
        if (quote != 0) {
            if (m_text[i] == quote) {
                quote = 0;
                end = i + 1;
            }
        } else if (m_text[i] == '"' || m_text[i] == '\'') {
            quote = m_text[i];
        }
    }
    return end;
}

bool StartTag::Get(std::string_view name, std::string& written) const
{
    Attribute attribute;
    if (!Find(name, attribute)) {
        return false;
    }
    written = m_text.substr(attribute.valueStart, attribute.valueEnd - attribute.valueStart);
    return true;
}

void StartTag::Set(std::string_view name, std::string_view text)
{
    Attribute attribute;
    if (Find(name, attribute)) {
        m_text.replace(attribute.valueStart, attribute.valueEnd - attribute.valueStart, Escaped(text));
    } else {
        m_text.insert(AttributesEnd(), " " + std::string(name) + "=\"" + Escaped(text) + "\"");
    }
}

void StartTag::Remove(std::string_view name)
{
    Attribute attribute;
    if (Find(name, attribute)) {
        m_text.erase(attribute.blanks, attribute.valueEnd + 1 - attribute.blanks);
    }
}

void StartTag::SetEmpty(bool empty)
{
    const bool isEmpty = m_text.size() >= 2 && m_text[m_text.size() - 2] == '/';
    if (empty && !isEmpty) {
        m_text.insert(m_text.size() - 1, "/");
    } else if (!empty && isEmpty) {
        m_text.erase(m_text.size() - 2, 1);
    }
}

std::string StartTag::Escaped(std::string_view text, bool inValue)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        case '\t': escaped += inValue ? "&#9;" : "\t"; break;
        case '\n': escaped += inValue ? "&#10;" : "\n"; break;
        case '\r': escaped += "&#13;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                escaped += ' '; // no other control character may stand in XML 1.0
            } else if (text.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < text.size() &&
                       (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
                escaped += "\xEF\xBF\xBD"; // U+FFFE and U+FFFF are not characters
                i += 2;
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}
