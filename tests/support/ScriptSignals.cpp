#include "ScriptSignals.h"

#include "FileExists.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace ScriptSignals {

void Raise(const std::wstring& folder, const std::wstring& name)
{
    const HANDLE marker =
        ::CreateFileW((folder + L"/" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, marker);
    ::CloseHandle(marker);
}

void WaitFor(const std::wstring& folder, const std::wstring& name)
{
    const std::wstring marker = folder + L"/" + name;
    for (int waited = 0; !Exists(marker); waited += 50) {
        ASSERT_LT(waited, 60000) << "the script's signal \"" << std::string(name.begin(), name.end())
                                 << "\" did not come";
        ::Sleep(50);
    }
}

} // namespace ScriptSignals
