#pragma once

// XML's white space (the S production): the space, tab, carriage return and line feed, and
// nothing else; not the locale's idea of a blank.
class XmlBlank {
public:
    static bool Is(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool Is(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
};
