#include "GdiObjectCounter.h"

namespace {

// The process environment block, from the thread's TEB (gs:0x60 on x64).
const char* ProcessEnvironmentBlock()
{
    const char* peb = nullptr;
    asm("movq %%gs:0x60, %0" : "=r"(peb));
    return peb;
}

} // namespace

GdiObjectCounter::GdiObjectCounter()
{
    if (::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) != 0) {
        return; // Windows: the platform counts
    }
    m_table = *reinterpret_cast<const Entry* const*>(ProcessEnvironmentBlock() + 0xF8);
    if (m_table == nullptr) {
        return;
    }
    HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    HFONT font = ::CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
    m_penKind = KindOf(pen);
    m_brushKind = KindOf(brush);
    m_fontKind = KindOf(font);
    ::DeleteObject(pen);
    ::DeleteObject(brush);
    ::DeleteObject(font);
    // A table laid out otherwise than assumed cannot tell the kinds apart: not used.
    if (m_penKind == 0 || m_penKind == m_brushKind || m_penKind == m_fontKind || m_brushKind == m_fontKind) {
        m_table = nullptr;
        m_penKind = m_brushKind = m_fontKind = -1;
    }
}

int GdiObjectCounter::KindOf(HGDIOBJ object) const
{
    const Entry& entry = m_table[reinterpret_cast<ULONG_PTR>(object) & 0xFFFF];
    return entry.unique & 0x7F;
}

int GdiObjectCounter::Total() const
{
    if (m_table == nullptr) {
        return static_cast<int>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
    }
    int live = 0;
    for (int i = 0; i < kEntries; ++i) {
        live += m_table[i].type != 0 ? 1 : 0;
    }
    return live;
}

int GdiObjectCounter::CountKind(int kind) const
{
    if (m_table == nullptr) {
        return -1;
    }
    int live = 0;
    for (int i = 0; i < kEntries; ++i) {
        live += m_table[i].type != 0 && (m_table[i].unique & 0x7F) == kind ? 1 : 0;
    }
    return live;
}
