#pragma once

#include <windows.h>

#include "CObject.h"

// Owner of one GDI object: the object is deleted when the wrapper is destroyed. An
// owner must not be destroyed while its object is selected into a device context.
class CGdiObject : public CObject {
public:
    CGdiObject() = default;
    ~CGdiObject() override;

    HGDIOBJ m_hObject = nullptr;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // Deletes the object now; the wrapper is empty afterwards.
    BOOL DeleteObject();
};
