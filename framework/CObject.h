#pragma once

#include <cstddef>

// Root of the framework's class tree. Objects of the framework are not copyable, and
// allocating one reports an exhausted heap as a CMemoryException, so that the entry
// points can catch every framework failure in one place.
class CObject {
public:
    virtual ~CObject() = default;

    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    static void* operator new(std::size_t size);
    static void operator delete(void* block) noexcept;

protected:
    CObject() = default;
};
