#include <windows.h>

#include "AfxModule.h"

// Only DLL builds compile this file, and the DLL is what hosts load: the test builds' fault
// points must never reach it.
#ifdef TARSIL_FAULT_INJECTION
#error "TARSIL_FAULT_INJECTION is for the statically linked test library only, never for the DLL"
#endif

namespace __gnu_cxx {
// Frees the C++ runtime's emergency pool for exceptions, which it allocates when the
// module loads and never frees by itself.
void __freeres(); // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the runtime's name
} // namespace __gnu_cxx

// The library's entry point for the loader. The runtime has constructed the static
// objects, the application object among them, before it is called, and destroys them
// after the detach.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) noexcept
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // No per-thread state: thread attach and detach notifications are not needed.
        ::DisableThreadLibraryCalls(module);
        return AfxDllProcessAttach(module);
    case DLL_PROCESS_DETACH:
        AfxDllProcessDetach();
        // Unloaded while the host goes on (not at process exit): give back the runtime's
        // memory too, or every load and unload would leave some behind in the host.
        if (reserved == nullptr) {
            __gnu_cxx::__freeres();
        }
        return TRUE;
    default:
        return TRUE;
    }
}
