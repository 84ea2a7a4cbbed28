#pragma once

// Failure points that test builds can trigger on purpose, so that every failure path of
// the library runs for real. Release builds compile every check to a constant false.
enum class AfxFault {
    ObjectAllocation,   // CObject::operator new finds no memory
    ArrayAllocation,    // a CArray cannot grow
    FontCreation,       // CFont::CreateFont gets no font from the platform
    PenCreation,        // CPen construction gets no pen from the platform
    BrushCreation,      // CBrush construction gets no brush from the platform
    Count
};

#ifdef TARSIL_FAULT_INJECTION
// True when the next occurrence of `fault` is to fail. Each call counts one occurrence.
bool AfxFaultDue(AfxFault fault);
// Arms `fault` to fail at its `occurrence`-th next use (1 = the next one), `times` times in a row.
void AfxArmFault(AfxFault fault, int occurrence, int times = 1);
// True while `fault` has failures left to give: after a run, false when the run reached
// the occurrence the fault was armed for.
bool AfxFaultArmed(AfxFault fault);
void AfxClearFaults();
#else
inline constexpr bool AfxFaultDue(AfxFault) { return false; }
#endif
