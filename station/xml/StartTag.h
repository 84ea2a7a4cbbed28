#pragma once

#include <string>
#include <string_view>

// The text of one start tag ("<String ID='s1' CONTENT='x'/>") with attributes set or removed;
// every byte of what is not changed is kept, quotes and spacing included.
class StartTag {
public:
    explicit StartTag(std::string text) : m_text(std::move(text)) {}

    // The attribute's value as written, entities unexpanded; false when the tag has none.
    bool Get(std::string_view name, std::string& written) const;
    // Sets the attribute to `text` (escaped here); a new attribute goes after the last one.
    void Set(std::string_view name, std::string_view text);
    void Remove(std::string_view name);
    // "<a/>" (an empty element) or "<a>" (a start tag).
    void SetEmpty(bool empty);

    const std::string& Text() const { return m_text; }
    std::string Name() const;
    // The name's namespace prefix with its colon ("pc:"), or nothing.
    std::string Prefix() const;

    // `text` (UTF-8) as it may stand in an attribute value, or in content: markup characters
    // (and in a value, blanks other than the space) as references, and the few characters
    // XML 1.0 cannot hold replaced.
    static std::string Escaped(std::string_view text, bool inValue = true);

private:
    struct Attribute {
        size_t start = 0;      // its name's first byte, after the blanks before it
        size_t blanks = 0;     // where the blanks before it begin
        size_t valueStart = 0; // just after the opening quote
        size_t valueEnd = 0;   // the closing quote
    };
    bool Find(std::string_view name, Attribute& found) const;
    // Just after the last attribute's closing quote, or after the name.
    size_t AttributesEnd() const;

    std::string m_text;
};
