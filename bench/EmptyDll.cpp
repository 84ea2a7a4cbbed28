// The floor for loading: a DLL built exactly like TarsilDlg29.dll (same compiler, flags,
// static runtime) that does nothing.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

extern "C" __declspec(dllexport) int WINAPI nothing(void)
{
    return 1;
}
