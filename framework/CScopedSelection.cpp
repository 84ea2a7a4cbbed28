#include "CScopedSelection.h"

#include "CDC.h"
#include "CGdiObject.h"

CScopedSelection::CScopedSelection(CDC& dc, CGdiObject& object)
    : m_dc(dc)
    , m_previous(dc.SelectObject(object))
{
}

CScopedSelection::~CScopedSelection()
{
    if (m_previous != nullptr) {
        m_dc.SelectObject(m_previous);
    }
}
