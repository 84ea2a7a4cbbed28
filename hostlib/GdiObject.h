#pragma once

#include <windows.h>

// The one owner of a GDI object (a font, a bitmap): deleted when the owner goes. Declare it
// before any GdiSelection of it, so that the selection ends first.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object)
        : m_object(object)
    {
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject()
    {
        if (m_object != nullptr) {
            ::DeleteObject(m_object);
        }
    }

    HGDIOBJ Get() const { return m_object; }

private:
    HGDIOBJ m_object;
};
