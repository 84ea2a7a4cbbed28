#include "CObject.h"

#include <cstdlib>

#include "AfxFaults.h"
#include "CMemoryException.h"

void* CObject::operator new(std::size_t size)
{
    void* block = AfxFaultDue(AfxFault::ObjectAllocation) ? nullptr : std::malloc(size);
    if (block == nullptr) {
        AfxThrowMemoryException();
    }
    return block;
}

void CObject::operator delete(void* block) noexcept
{
    std::free(block);
}
