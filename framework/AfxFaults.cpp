#include "AfxFaults.h"

#ifdef TARSIL_FAULT_INJECTION

namespace {

struct ArmedFault {
    int skip = 0;     // occurrences still to let through
    int failures = 0; // occurrences to fail after that
};

ArmedFault g_faults[static_cast<int>(AfxFault::Count)];

} // namespace

bool AfxFaultDue(AfxFault fault)
{
    ArmedFault& armed = g_faults[static_cast<int>(fault)];
    if (armed.failures == 0) {
        return false;
    }
    if (armed.skip > 0) {
        --armed.skip;
        return false;
    }
    --armed.failures;
    return true;
}

void AfxArmFault(AfxFault fault, int occurrence, int times)
{
    ArmedFault& armed = g_faults[static_cast<int>(fault)];
    armed.skip = occurrence - 1;
    armed.failures = times;
}

bool AfxFaultArmed(AfxFault fault)
{
    return g_faults[static_cast<int>(fault)].failures > 0;
}

void AfxClearFaults()
{
    for (ArmedFault& armed : g_faults) {
        armed = ArmedFault{};
    }
}

#endif
