#include "ImportPatch.h"

#include <cstring>
#include <stdexcept>
#include <string>

ImportPatch::ImportPatch(const char* dll, const char* function, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name != 0; ++library) {
        if (::lstrcmpiA(reinterpret_cast<const char*>(base + library->Name), dll) != 0) {
            continue;
        }
        const DWORD namesOffset = library->OriginalFirstThunk != 0 ? library->OriginalFirstThunk : library->FirstThunk;
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesOffset);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) {
                continue;
            }
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                m_slot = reinterpret_cast<void**>(&slot->u1.Function);
                m_original = *m_slot;
                Write(m_slot, replacement);
                return;
            }
        }
    }
    throw std::runtime_error(std::string("the program does not import ") + function);
}

ImportPatch::~ImportPatch()
{
    Write(m_slot, m_original);
}

void ImportPatch::Write(void** slot, void* value)
{
    DWORD protection = 0;
    ::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    ::VirtualProtect(slot, sizeof *slot, protection, &protection);
}
