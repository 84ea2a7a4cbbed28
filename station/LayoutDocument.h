#pragma once

#include <map>
#include <memory>
#include <string>

#include "PageWords.h"

// A recogniser's layout document, ALTO or PAGE XML: the page's words for the session, and
// the same document written back with only the verified words changed.
class LayoutDocument {
public:
    virtual ~LayoutDocument() = default;

    // Reads an ALTO or PAGE XML file, whichever its content is; `dpi`, the page image's,
    // turns ALTO's physical units into pixels. Throws InputError naming the file, the line
    // and the fault.
    static std::unique_ptr<LayoutDocument> Read(const std::wstring& path, double dpi);

    // The words in reading order; each word's index and position are its place among the
    // document's words in document order, from 1.
    virtual const PageWords& Words() const = 0;

    // The document with each word named in `texts` (by position) given that text, marked
    // certain and checked, its old character detail gone; a text with blanks becomes several
    // words, each with its share of the box. Every other byte as it was read.
    virtual std::string WithVerified(const std::map<int, std::string>& texts) const = 0;
};
