#include "XmlRewrite.h"

#include <algorithm>
#include <stdexcept>

XmlRewrite::XmlRewrite(const std::string& bytes)
    : m_bytes(bytes)
    , m_markup(bytes)
{
}

StartTag XmlRewrite::Tag(int element) const
{
    const XmlMarkup::Element& e = m_markup[element];
    return StartTag(m_bytes.substr(e.start, e.tagEnd - e.start));
}

void XmlRewrite::ReplaceTag(int element, const StartTag& tag)
{
    const XmlMarkup::Element& e = m_markup[element];
    m_edits.push_back({e.start, e.tagEnd, tag.Text()});
}

void XmlRewrite::SetText(int element, std::string_view text)
{
    const XmlMarkup::Element& e = m_markup[element];
    if (!e.Empty()) {
        m_edits.push_back({e.tagEnd, e.contentEnd, StartTag::Escaped(text, false)});
        return;
    }
    ReplaceElement(element, WithText(Tag(element), text));
}

void XmlRewrite::ReplaceTagAndText(int element, const StartTag& tag, std::string_view text)
{
    if (m_markup[element].Empty()) {
        ReplaceElement(element, WithText(tag, text));
        return;
    }
    ReplaceTag(element, tag);
    SetText(element, text);
}

std::string XmlRewrite::WithText(StartTag tag, std::string_view text)
{
    tag.SetEmpty(false);
    return tag.Text() + StartTag::Escaped(text, false) + "</" + tag.Name() + ">";
}

void XmlRewrite::ReplaceElement(int element, std::string markup)
{
    const XmlMarkup::Element& e = m_markup[element];
    m_edits.push_back({e.start, e.end, std::move(markup)});
}

void XmlRewrite::InsertAfter(int element, std::string markup)
{
    const size_t end = m_markup[element].end;
    m_edits.push_back({end, end, std::move(markup)});
}

void XmlRewrite::Remove(int element)
{
    m_edits.push_back({IndentationStart(element), m_markup[element].end, std::string()});
}

std::string XmlRewrite::Bytes(int element) const
{
    const XmlMarkup::Element& e = m_markup[element];
    return m_bytes.substr(e.start, e.end - e.start);
}

size_t XmlRewrite::IndentationStart(int element) const
{
    size_t start = m_markup[element].start;
    while (start > 0 && std::string(" \t\r\n").find(m_bytes[start - 1]) != std::string::npos) {
        --start;
    }
    return start;
}

std::string XmlRewrite::Indentation(int element) const
{
    const size_t start = IndentationStart(element);
    return m_bytes.substr(start, m_markup[element].start - start);
}

std::string XmlRewrite::NewId(const std::string& base)
{
    if (!m_idsKnown) {
        for (int element = 0; element < m_markup.Count(); ++element) {
            const StartTag tag = Tag(element);
            std::string id;
            for (const char* name : {"id", "ID", "xml:id"}) {
                if (tag.Get(name, id)) {
                    m_ids.insert(id);
                }
            }
        }
        m_idsKnown = true;
    }
    std::string id = base;
    for (int suffix = 2; m_ids.count(id) != 0; ++suffix) {
        id = base + "_" + std::to_string(suffix);
    }
    m_ids.insert(id);
    return id;
}

std::string XmlRewrite::Result() const
{
    std::vector<const Edit*> edits;
    for (const Edit& edit : m_edits) {
        edits.push_back(&edit);
    }
    std::stable_sort(edits.begin(), edits.end(), [](const Edit* a, const Edit* b) { return a->from < b->from; });
    std::string result;
    result.reserve(m_bytes.size());
    size_t copied = 0;
    for (const Edit* edit : edits) {
        if (edit->from < copied) {
            throw std::logic_error("overlapping edits of one document");
        }
        result.append(m_bytes, copied, edit->from - copied);
        result += edit->text;
        copied = edit->to;
    }
    result.append(m_bytes, copied, std::string::npos);
    return result;
}
