#pragma once

#include <windows.h>

// The module state of the library: the instance handle of the module and the handle
// from which its resources (dialog templates, icons) are loaded. Both are the library's
// own module from load on.
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resources);

// Takes `module` as the instance and resource handle. Fails for a null handle.
BOOL AfxWinInit(HINSTANCE module);
// Shuts the framework down: frees what it keeps for the module.
void AfxWinTerm();

// The framework's part of loading the module: AfxWinInit, then the application's
// InitInstance. When either fails, the unload steps run at once and the load fails.
// Exceptions do not leave it.
BOOL AfxDllProcessAttach(HINSTANCE module) noexcept;
// The framework's part of unloading: the application's ExitInstance, then AfxWinTerm;
// nothing when the load had failed or the module was already detached.
void AfxDllProcessDetach() noexcept;
