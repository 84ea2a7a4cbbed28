#include "AfxModule.h"

namespace {
HINSTANCE g_instance = nullptr;
HINSTANCE g_resources = nullptr;
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

void AfxInitModuleState(HINSTANCE module)
{
    g_instance = module;
    g_resources = module;
}
