#pragma once

// Releases a COM interface when it goes out of scope.
template <typename Interface>
struct Released {
    Interface* pointer = nullptr;

    Released() = default;
    Released(const Released&) = delete;
    Released& operator=(const Released&) = delete;
    ~Released()
    {
        if (pointer != nullptr) {
            pointer->Release();
        }
    }
};
