#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "AfxFaults.h"
#include "AfxHeap.h"
#include "CMemoryException.h"

// A growable array of plain values (copied as bytes), owning its memory. Running out of
// memory raises CMemoryException, like every allocation of the framework.
template <typename T>
class CArray {
    static_assert(std::is_trivially_copyable<T>::value, "CArray holds plain values");

public:
    CArray() = default;
    ~CArray() { AfxFree(m_data); }
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;

    std::size_t GetSize() const { return m_size; }
    T* GetData() { return m_data; }
    const T* GetData() const { return m_data; }
    T& operator[](std::size_t index) { return m_data[index]; }
    const T& operator[](std::size_t index) const { return m_data[index]; }

    // Makes the array `size` elements long; new elements are zero.
    void SetSize(std::size_t size)
    {
        Reserve(size);
        if (size > m_size) {
            std::memset(static_cast<void*>(m_data + m_size), 0, (size - m_size) * sizeof(T));
        }
        m_size = size;
    }

    void Add(const T& element)
    {
        if (m_size == m_capacity) {
            Reserve(m_capacity == 0 ? 8 : m_capacity * 2);
        }
        m_data[m_size++] = element;
    }

    // Removes the element at `index`, keeping the order of the others.
    void RemoveAt(std::size_t index)
    {
        std::memmove(static_cast<void*>(m_data + index), m_data + index + 1, (m_size - index - 1) * sizeof(T));
        --m_size;
    }

    void RemoveAll() { m_size = 0; }

private:
    void Reserve(std::size_t capacity)
    {
        if (capacity <= m_capacity) {
            return;
        }
        void* grown = capacity > static_cast<std::size_t>(-1) / sizeof(T) || AfxFaultDue(AfxFault::ArrayAllocation)
                          ? nullptr
                          : AfxReallocate(m_data, capacity * sizeof(T));
        if (grown == nullptr) {
            AfxThrowMemoryException();
        }
        m_data = static_cast<T*>(grown);
        m_capacity = capacity;
    }

    T* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};
