#include "AfxModule.h"

#include "CWinApp.h"
#include "CWnd.h"

namespace {
HINSTANCE g_instance = nullptr;
HINSTANCE g_resources = nullptr;
bool g_attached = false;

// The unload steps: the application's clean-up, then the framework's.
void RunUnloadSteps()
{
    if (CWinApp* app = AfxGetApp()) {
        app->ExitInstance();
    }
    AfxWinTerm();
}
} // namespace

HINSTANCE AfxGetInstanceHandle()
{
    return g_instance;
}

HINSTANCE AfxGetResourceHandle()
{
    return g_resources;
}

void AfxSetResourceHandle(HINSTANCE resources)
{
    g_resources = resources;
}

BOOL AfxWinInit(HINSTANCE module)
{
    if (module == nullptr) {
        return FALSE;
    }
    g_instance = module;
    g_resources = module;
    return TRUE;
}

void AfxWinTerm()
{
    CWnd::DeleteTempMap();
}

BOOL AfxDllProcessAttach(HINSTANCE module) noexcept
{
    try {
        CWinApp* app = AfxGetApp();
        if (AfxWinInit(module) && (app == nullptr || app->InitInstance())) {
            g_attached = true;
            return TRUE;
        }
    } catch (...) {
    }
    try {
        RunUnloadSteps();
    } catch (...) {
    }
    return FALSE;
}

void AfxDllProcessDetach() noexcept
{
    if (!g_attached) {
        return;
    }
    g_attached = false;
    try {
        RunUnloadSteps();
    } catch (...) {
    }
}
