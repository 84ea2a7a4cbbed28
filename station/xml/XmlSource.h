#pragma once

#include <windows.h>

#include <xmllite.h>
#include <wrl/client.h>

#include <string>
#include <vector>

// A document's bytes read with the platform's XML reader (XmlLite), hardened for files from
// anywhere: UTF-8 only; no DTD processing at all (a document type declaration without an
// internal subset, as hOCR's XHTML one, is passed over; one with an internal subset, where
// entities would be declared, is refused); elements nested at most kMaxDepth deep. The
// elements are numbered in document order, as XmlRewrite numbers them in the bytes.
class XmlSource {
public:
    static constexpr int kMaxDepth = 100;

    // Throws InputError naming `path`. `bytes` must outlive this object.
    XmlSource(const std::string& bytes, std::wstring path);

    // Moves to the next node; false at the end of the document. Throws InputError, with the
    // line, for XML that is not well-formed or is nested too deep. At the end, the elements
    // XmlMarkup finds in the bytes are checked to be the reader's, on the same lines, so
    // that a rewrite never edits another element than the one read.
    bool Next();
    XmlNodeType Type() const { return m_type; }

    // The current element's local name and namespace.
    std::wstring LocalName() const;
    std::wstring NamespaceUri() const;
    // The element's local name when it is in the namespace `space`, else nothing: a
    // document's own vocabulary told from another's, whatever prefix either has.
    std::wstring LocalNameIn(const std::wstring& space) const;
    // The value of the current element's attribute of that name (without a namespace);
    // false when it has none.
    bool Attribute(const wchar_t* name, std::wstring& value) const;
    std::wstring Attribute(const wchar_t* name) const;
    // <element/>: no content and no end tag follows.
    bool EmptyElement() const { return m_empty; }
    // The current element's number among the document's elements, from 0.
    int Element() const { return m_element; }
    // The current text, CDATA or whitespace node's value.
    std::wstring Value() const;
    int Line() const;

    // Throws InputError naming the file, the current line and `what`.
    [[noreturn]] void Fail(const std::string& what) const;
    const std::wstring& Path() const { return m_path; }

private:
    void CheckMarkup() const;
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IXmlReader::*getter)(LPCWSTR*, UINT*)) const;

    Microsoft::WRL::ComPtr<IXmlReader> m_reader;
    const std::string& m_bytes;
    std::wstring m_path;
    std::vector<int> m_elementLines;
    XmlNodeType m_type = XmlNodeType_None;
    int m_element = -1;
    int m_depth = 0;
    size_t m_nodesLeft = 0;
    bool m_empty = false;
};
