#pragma once

#include <windows.h>

class CDC;
class CGdiObject;

// One object selected into a surface for the length of a scope: the constructor selects
// it, the destructor selects again the object that was current before, whatever has been
// selected in between. Declared after the object's owner, it ends first, so the object
// is never deleted while it is selected.
class CScopedSelection {
public:
    CScopedSelection(CDC& dc, CGdiObject& object);
    ~CScopedSelection();
    CScopedSelection(const CScopedSelection&) = delete;
    CScopedSelection& operator=(const CScopedSelection&) = delete;

private:
    CDC& m_dc;
    HGDIOBJ m_previous;
};
