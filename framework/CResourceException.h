#pragma once

#include "CException.h"

// Thrown when the platform cannot supply a resource: a GDI object, a window, a control.
class CResourceException : public CException {
public:
    CResourceException() = default;
};

[[noreturn]] void AfxThrowResourceException();
