#pragma once

#include <objbase.h>

// COM for the calling thread, for as long as the scope lasts. A thread that already has COM
// (in either model) keeps it as it was.
struct ComScope {
    HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    ComScope() = default;
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope()
    {
        if (SUCCEEDED(result)) {
            ::CoUninitialize();
        }
    }
};
