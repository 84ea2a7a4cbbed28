#pragma once

#include "CException.h"

// Thrown when the heap is exhausted.
class CMemoryException : public CException {
public:
    explicit CMemoryException(bool autoDelete = true) noexcept;
};

// Throws the one preallocated CMemoryException: allocating a new one could fail too.
[[noreturn]] void AfxThrowMemoryException();
