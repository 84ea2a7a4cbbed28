#pragma once

#include <cstddef>
#include <cstdlib>

// Every heap block of the framework is taken and given back here: its objects and the
// storage of its arrays. Test builds with TARSIL_GUARDED_HEAP place each block so that it
// ends where an inaccessible page begins, and never reuse a freed block's pages: a read or
// write past a block's end or after its free ends the process with a report at once, and
// damage to the block's alignment slack or to the bytes before it is reported at its free.
#ifdef TARSIL_GUARDED_HEAP
void* AfxAllocate(std::size_t size);
void* AfxReallocate(void* block, std::size_t size);
void AfxFree(void* block);
#else
inline void* AfxAllocate(std::size_t size) { return std::malloc(size); }
inline void* AfxReallocate(void* block, std::size_t size) { return std::realloc(block, size); }
inline void AfxFree(void* block) { std::free(block); }
#endif
