#pragma once

#include <windows.h>

#include <vector>

#include "support/ImportPatch.h"

// Watches, for as long as it lives, the pens and brushes that this program makes and the
// objects that it deletes; a deletion is checked against the watched surface's current
// pen and brush at the moment it happens.
class GdiObjectLog {
public:
    explicit GdiObjectLog(HDC watchedSurface);
    ~GdiObjectLog();
    GdiObjectLog(const GdiObjectLog&) = delete;
    GdiObjectLog& operator=(const GdiObjectLog&) = delete;

    // True when no pen or brush made while watching is still a live object.
    bool AllDeleted() const;

    std::vector<HGDIOBJ> pens;
    std::vector<HGDIOBJ> brushes;
    // Objects that were the surface's current pen or brush when they were deleted.
    std::vector<HGDIOBJ> deletedWhileSelected;

private:
    static HPEN WINAPI CreatePenHook(int style, int width, COLORREF colour);
    static HBRUSH WINAPI CreateSolidBrushHook(COLORREF colour);
    static BOOL WINAPI DeleteObjectHook(HGDIOBJ object);

    static GdiObjectLog* s_active;

    HDC m_surface;
    ImportPatch m_createPen;
    ImportPatch m_createSolidBrush;
    ImportPatch m_deleteObject;
};
