#pragma once

#include <windows.h>

#include "CObject.h"

class CGdiObject;

// A drawing surface: the owner of one device context. A CDC deletes the context it made
// (CreateCompatibleDC) or was given (Attach) when it is destroyed; CPaintDC and CClientDC
// end painting or release their window's context instead.
class CDC : public CObject {
public:
    CDC() = default;
    ~CDC() override;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }

    // Makes a memory context compatible with `reference` (the screen when null). Returns
    // FALSE, leaving the wrapper empty, when the platform gives none.
    BOOL CreateCompatibleDC(CDC* reference);
    // Takes ownership of a device context that the caller made.
    void Attach(HDC dc);
    // Gives up ownership of the context and returns it.
    HDC Detach();
    // Deletes the context now; the wrapper is empty afterwards.
    BOOL DeleteDC();

    // Makes the object the surface's current one of its kind and returns the handle that
    // was current before, or null when the object could not be selected.
    HGDIOBJ SelectObject(CGdiObject& object);
    HGDIOBJ SelectObject(HGDIOBJ object);

    // Outlines the rectangle with the current pen and fills it with the current brush;
    // with a one-pixel pen it covers x from left to right - 1 and y from top to bottom - 1.
    BOOL Rectangle(const RECT& rect);
    // Makes (x, y) the current position. (Inline: the picture calls it for every run.)
    BOOL MoveTo(int x, int y) { return ::MoveToEx(m_hDC, x, y, nullptr); }
    // Draws with the current pen from the current position up to (x, y), leaving (x, y)
    // itself out, and makes (x, y) the current position.
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL DrawIcon(int x, int y, HICON icon);
};
