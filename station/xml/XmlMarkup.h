#pragma once

#include <string>
#include <vector>

// Where each element of a well-formed document lies in its bytes, in document order (the
// order in which XmlSource numbers them), so that a few elements can be rewritten and
// every other byte kept. Only markup is looked at; the XML reader has already checked the
// document.
class XmlMarkup {
public:
    struct Element {
        size_t start = 0;      // the start tag's '<'
        size_t tagEnd = 0;     // just after the start tag's '>'
        size_t contentEnd = 0; // the end tag's '<' (tagEnd for an empty element)
        size_t end = 0;        // just after the end tag (tagEnd for an empty element)
        int line = 0;          // of the start tag, from 1
        std::string name;      // as written, with its prefix

        bool Empty() const { return end == tagEnd; }
    };

    // A document type declaration before the root element.
    struct Doctype {
        bool found = false;
        size_t start = 0; // its '<'
        size_t end = 0;   // just after its '>'
        int line = 0;
        bool internalSubset = false; // declarations between '[' and ']'
    };

    // Throws std::runtime_error when the bytes are not the markup of a whole document.
    explicit XmlMarkup(const std::string& bytes);

    int Count() const { return static_cast<int>(m_elements.size()); }
    const Element& operator[](int element) const { return m_elements.at(static_cast<size_t>(element)); }

    static Doctype FindDoctype(const std::string& bytes);
    // The end of the tag or declaration whose '<' is at `start`: just after its '>', quoted
    // values passed over; std::string::npos when it has none.
    static size_t TagEnd(const std::string& bytes, size_t start);

private:
    std::vector<Element> m_elements;
};
