#pragma once

#include <windows.h>

#include "CCmdTarget.h"

// A thread of the framework's application model. The library has no threads of its own:
// its application object is the only CWinThread, standing for the module's start-up and
// shut-down.
class CWinThread : public CCmdTarget {
public:
    CWinThread() = default;

    // Sets the thread up; returning FALSE fails it.
    virtual BOOL InitInstance() = 0;
    // Cleans up; returns the exit code.
    virtual int ExitInstance();
};
