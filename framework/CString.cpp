#include "CString.h"

#include <cwchar>

CString::CString()
{
    m_chars.SetSize(1);
}

CString::CString(const wchar_t* text)
{
    const std::size_t length = std::wcslen(text);
    m_chars.SetSize(length + 1);
    std::wmemcpy(m_chars.GetData(), text, length);
}

wchar_t* CString::GetBuffer(int length)
{
    m_chars.SetSize(static_cast<std::size_t>(length) + 1);
    return m_chars.GetData();
}

void CString::ReleaseBuffer(int length)
{
    m_chars.SetSize(static_cast<std::size_t>(length) + 1);
    m_chars[static_cast<std::size_t>(length)] = L'\0';
}
