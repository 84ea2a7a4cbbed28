#pragma once

#include <windows.h>

#include <psapi.h>

// The process's committed private memory. (Wine leaves PrivateUsage at 0 and fills
// PagefileUsage, which Windows gives the same value.)
inline SIZE_T CommittedMemory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}
