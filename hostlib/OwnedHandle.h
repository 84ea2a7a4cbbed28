#pragma once

#include <windows.h>

#include <memory>

// Closes a kernel handle (a process, a thread, a job, a pipe); null and
// INVALID_HANDLE_VALUE are no handle.
struct HandleCloser {
    void operator()(HANDLE handle) const
    {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
};

// The one owner of a kernel handle: closed when it goes.
using OwnedHandle = std::unique_ptr<void, HandleCloser>;
