#pragma once

#include <windows.h>

// The module state of the library: the instance handle of the module and the handle
// from which its resources (dialog templates, icons) are loaded. Both are the library's
// own module from load on.
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resources);

// Records the module's handle as its instance and resource handle.
void AfxInitModuleState(HINSTANCE module);
