#include <windows.h>

#include "AfxModule.h"

// The library's entry point for the loader. The runtime has constructed the static
// objects, the application object among them, before it is called, and destroys them
// after the detach.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // No per-thread state: thread attach and detach notifications are not needed.
        ::DisableThreadLibraryCalls(module);
        return AfxDllProcessAttach(module);
    case DLL_PROCESS_DETACH:
        AfxDllProcessDetach();
        return TRUE;
    default:
        return TRUE;
    }
}
