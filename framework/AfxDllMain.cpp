#include <windows.h>

#include "AfxModule.h"

// The library's entry point for the loader. The runtime has constructed the static
// objects before it is called.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(module);
        AfxInitModuleState(module);
    }
    return TRUE;
}
