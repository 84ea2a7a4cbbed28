#include "CDC.h"

#include "CGdiObject.h"

CDC::~CDC()
{
    DeleteDC();
}

BOOL CDC::CreateCompatibleDC(CDC* reference)
{
    DeleteDC();
    m_hDC = ::CreateCompatibleDC(reference != nullptr ? reference->m_hDC : nullptr);
    return m_hDC != nullptr;
}

void CDC::Attach(HDC dc)
{
    DeleteDC();
    m_hDC = dc;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

BOOL CDC::DeleteDC()
{
    if (m_hDC == nullptr) {
        return FALSE;
    }
    return ::DeleteDC(Detach());
}

HGDIOBJ CDC::SelectObject(CGdiObject& object)
{
    return SelectObject(object.GetSafeHandle());
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object)
{
    return ::SelectObject(m_hDC, object);
}

BOOL CDC::Rectangle(const RECT& rect)
{
    return ::Rectangle(m_hDC, rect.left, rect.top, rect.right, rect.bottom);
}

BOOL CDC::DrawIcon(int x, int y, HICON icon)
{
    return ::DrawIcon(m_hDC, x, y, icon);
}
