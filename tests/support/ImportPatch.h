#pragma once

#include <windows.h>

// Points this program's import of one function at a replacement for as long as it lives.
// Code linked into the program (the white-box library included) calls the replacement;
// the replacement reaches the real function through Original().
class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    void* Original() const { return m_original; }

private:
    static void Write(void** slot, void* value);

    void** m_slot = nullptr;
    void* m_original = nullptr;
};
