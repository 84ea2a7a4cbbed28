#include "CMemoryException.h"

CMemoryException::CMemoryException(bool autoDelete)
    : CException(autoDelete)
{
}

void AfxThrowMemoryException()
{
    static CMemoryException outOfMemory(false);
    throw &outOfMemory;
}
