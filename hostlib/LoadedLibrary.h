#pragma once

#include <windows.h>

// A DLL loaded for as long as the object lives. It is looked for in trusted folders only,
// never in the current folder or along PATH, where another program could have left a DLL
// of the same name.
class LoadedLibrary {
public:
    // A DLL shipped with the program: the program's own folder, then System32.
    static LoadedLibrary BesideProgram(const wchar_t* name) noexcept;
    // A DLL of the platform: System32 only.
    static LoadedLibrary FromSystem(const wchar_t* name) noexcept;

    LoadedLibrary(LoadedLibrary&& other) noexcept;
    LoadedLibrary& operator=(LoadedLibrary&& other) = delete;
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    ~LoadedLibrary();

    HMODULE Module() const { return m_module; }
    // Why the DLL could not be loaded (the system's error code); 0 when it was.
    DWORD LoadError() const { return m_loadError; }

    // The exported function `name` as a pointer of the given type; null when the DLL is not
    // loaded or has no such export.
    template <typename FunctionPointer>
    FunctionPointer Function(const char* name) const
    {
        if (m_module == nullptr) {
            return nullptr;
        }
        // GetProcAddress returns a generic function pointer; through void* it converts to the
        // export's real type.
        return reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(::GetProcAddress(m_module, name)));
    }

private:
    LoadedLibrary(const wchar_t* name, DWORD searchFlags) noexcept;

    HMODULE m_module = nullptr;
    DWORD m_loadError = 0;
};
