#pragma once

#include "CArray.h"

// A wide-character string that owns its text, always zero-terminated.
class CString {
public:
    CString();
    explicit CString(const wchar_t* text);
    CString(const CString&) = delete;
    CString& operator=(const CString&) = delete;

    int GetLength() const { return static_cast<int>(m_chars.GetSize()) - 1; }
    operator const wchar_t*() const { return m_chars.GetData(); }

    // Room for `length` characters and a terminator, to be filled by the caller; then
    // ReleaseBuffer with the count written.
    wchar_t* GetBuffer(int length);
    void ReleaseBuffer(int length);

private:
    CArray<wchar_t> m_chars;
};
