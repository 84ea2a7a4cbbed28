#include "CSelection.h"

#include "CDC.h"
#include "CGdiObject.h"

CSelection::CSelection(CDC& dc, CGdiObject& object)
    : m_dc(dc)
    , m_previous(dc.SelectObject(object))
{
}

CSelection::~CSelection()
{
    if (m_previous != nullptr) {
        m_dc.SelectObject(m_previous);
    }
}
