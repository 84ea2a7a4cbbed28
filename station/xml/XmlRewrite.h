#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "StartTag.h"
#include "XmlMarkup.h"

// A document's bytes with some of its elements rewritten: everything the edits do not touch
// is kept byte for byte (whitespace, quoting, entity forms, comments, unknown extensions),
// which a reader-to-writer copy would not keep. Elements are named by their number in
// document order, as XmlSource numbers them.
class XmlRewrite {
public:
    // `bytes` must outlive this object.
    explicit XmlRewrite(const std::string& bytes);

    const XmlMarkup::Element& operator[](int element) const { return m_markup[element]; }
    StartTag Tag(int element) const;
    void ReplaceTag(int element, const StartTag& tag);
    // The element's content becomes `text` (escaped here); an empty element gets an end tag.
    void SetText(int element, std::string_view text);
    // Both at once: an empty element (<a/>) is one span of bytes, its tag and content alike.
    void ReplaceTagAndText(int element, const StartTag& tag, std::string_view text);
    // The whole element becomes `markup`, written as it is given.
    void ReplaceElement(int element, std::string markup);
    void InsertAfter(int element, std::string markup);
    // Removes the element with the blanks that stand before it (its indentation).
    void Remove(int element);

    // The element's bytes, and the blanks that stand before it.
    std::string Bytes(int element) const;
    std::string Indentation(int element) const;
    // An id no element of the document has yet: `base`, then "_2", "_3"... appended.
    std::string NewId(const std::string& base);
    // The markup of an element with that start tag and `text` (escaped here) for content.
    static std::string WithText(StartTag tag, std::string_view text);

    // The document with every edit made. Throws std::logic_error for edits that overlap.
    std::string Result() const;

private:
    struct Edit {
        size_t from;
        size_t to;
        std::string text;
    };
    size_t IndentationStart(int element) const;

    const std::string& m_bytes;
    XmlMarkup m_markup;
    std::vector<Edit> m_edits;
    std::set<std::string> m_ids;
    bool m_idsKnown = false;
};
