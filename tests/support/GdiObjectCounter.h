#pragma once

#include <windows.h>

// Counts this process's live GDI objects, in all and by kind (pens, brushes, fonts).
//
// On Windows GetGuiResources gives the total. Wine's GetGuiResources is a stub that
// returns 0; there the process's GDI handle table, which the PEB points to, is read
// instead: 0x10000 entries of {u64 object; u32 owner; u16 unique; u8 type; u8 flags;
// u64 user}, an entry live when `type` is not 0, its kind in `unique & 0x7f`. The kind
// codes are learnt from objects made for the purpose, not assumed.
class GdiObjectCounter {
public:
    GdiObjectCounter();

    // True when the counts come from the handle table and so can tell kinds apart; the
    // counts by kind are -1 otherwise, and kNoKinds says why.
    bool ByKind() const { return m_table != nullptr; }
    static constexpr const char* kNoKinds = "the platform's GetGuiResources counts only the total";

    int Total() const;
    int Pens() const { return CountKind(m_penKind); }
    int Brushes() const { return CountKind(m_brushKind); }
    int Fonts() const { return CountKind(m_fontKind); }

private:
    struct Entry {
        unsigned long long object;
        unsigned owner;
        unsigned short unique;
        unsigned char type;
        unsigned char flags;
        unsigned long long user;
    };
    static_assert(sizeof(Entry) == 24, "handle table entries are 24 bytes");
    static constexpr int kEntries = 0x10000;

    int KindOf(HGDIOBJ object) const;
    int CountKind(int kind) const;

    const Entry* m_table = nullptr;
    int m_penKind = -1;
    int m_brushKind = -1;
    int m_fontKind = -1;
};
