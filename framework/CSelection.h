#pragma once

#include <windows.h>

class CDC;
class CGdiObject;

// One object selected into a surface for the length of a scope: the constructor selects
// it, the destructor selects again the object that was current before, whatever has been
// selected in between. Declared after the object's owner, it ends first, so the object
// is never deleted while it is selected.
class CSelection {
public:
    CSelection(CDC& dc, CGdiObject& object);
    ~CSelection();
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

private:
    CDC& m_dc;
    HGDIOBJ m_previous;
};
