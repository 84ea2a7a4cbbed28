#include "LoadedLibrary.h"

LoadedLibrary LoadedLibrary::BesideProgram(const wchar_t* name) noexcept
{
    return LoadedLibrary(name, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

LoadedLibrary LoadedLibrary::FromSystem(const wchar_t* name) noexcept
{
    return LoadedLibrary(name, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

LoadedLibrary::LoadedLibrary(const wchar_t* name, DWORD searchFlags) noexcept
    : m_module(::LoadLibraryExW(name, nullptr, searchFlags))
    , m_loadError(m_module == nullptr ? ::GetLastError() : 0)
{
}

LoadedLibrary::LoadedLibrary(LoadedLibrary&& other) noexcept
    : m_module(other.m_module)
    , m_loadError(other.m_loadError)
{
    other.m_module = nullptr;
}

LoadedLibrary::~LoadedLibrary()
{
    if (m_module != nullptr) {
        ::FreeLibrary(m_module);
    }
}
