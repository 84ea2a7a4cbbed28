#include "CMemoryException.h"

CMemoryException::CMemoryException(bool autoDelete) noexcept
    : CException(autoDelete)
{
}

namespace {
// Made when the module loads: when memory runs out there is none left to make it.
CMemoryException g_outOfMemory(false);
} // namespace

void AfxThrowMemoryException()
{
    throw &g_outOfMemory;
}
