#include "CObject.h"

#include "AfxFaults.h"
#include "AfxHeap.h"
#include "CMemoryException.h"

void* CObject::operator new(std::size_t size)
{
    void* block = AfxFaultDue(AfxFault::ObjectAllocation) ? nullptr : AfxAllocate(size);
    if (block == nullptr) {
        AfxThrowMemoryException();
    }
    return block;
}

void CObject::operator delete(void* block) noexcept
{
    AfxFree(block);
}
