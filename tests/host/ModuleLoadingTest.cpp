// Loading and unloading the library in a host, and where its resources come from.

#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <string>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/CommittedMemory.h"
#include "support/GdiObjectCounter.h"
#include "support/HostCall.h"

namespace {

// A copy of the DLL under its own name, so that every LoadLibrary really maps and starts
// the module, whatever else the test program has loaded.
std::wstring CopyOfTheLibrary()
{
    wchar_t original[MAX_PATH] = {};
    ::GetModuleFileNameW(TarsilLibrary::Get().module, original, MAX_PATH);
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring copy = std::wstring(folder) + L"TarsilDlg29Cycle.dll";
    ::CopyFileW(original, copy.c_str(), FALSE);
    return copy;
}

DWORD HandleCount()
{
    DWORD handles = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
    return handles;
}

} // namespace

TEST(ModuleLoading, HundredsOfLoadsAndUnloadsLeaveNothingBehind)
{
    const std::wstring path = CopyOfTheLibrary();
    GdiObjectCounter gdi;
    auto cycle = [&] {
        HMODULE module = ::LoadLibraryW(path.c_str());
        ASSERT_NE(module, nullptr);
        const auto dummy = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(::GetProcAddress(module, "dummyfunction")));
        ASSERT_EQ(dummy(), 1);
        ASSERT_TRUE(::FreeLibrary(module));
        ASSERT_EQ(::GetModuleHandleW(path.c_str()), nullptr); // really unloaded
    };
    // The lowest free TLS slot: a slot leaked by a load moves it. (Wine commits memory for
    // TLS on the first allocation, so this comes before the warm-up.)
    const DWORD freeTlsSlot = ::TlsAlloc();
    ::TlsFree(freeTlsSlot);
    for (int i = 0; i < 20; ++i) {
        cycle();
    }
    // Reading the GDI handle table commits its pages: count before taking the baseline.
    const int gdiObjects = gdi.Total();
    const DWORD handles = HandleCount();
    const SIZE_T memory = CommittedMemory();
    for (int i = 0; i < 400 && !HasFatalFailure(); ++i) {
        cycle();
    }
    const long long growth = static_cast<long long>(CommittedMemory()) - static_cast<long long>(memory);
    const DWORD freeTlsSlotAfter = ::TlsAlloc();
    ::TlsFree(freeTlsSlotAfter);
    std::printf("400 loads: committed memory %+lld bytes, handles %lu -> %lu, GDI objects %d -> %d, "
                "first free TLS slot %lu -> %lu\n",
                growth, handles, HandleCount(), gdiObjects, gdi.Total(), freeTlsSlot, freeTlsSlotAfter);
    EXPECT_LT(growth, 16 * 1024);
    EXPECT_EQ(freeTlsSlotAfter, freeTlsSlot);
    EXPECT_EQ(HandleCount(), handles);
    EXPECT_EQ(gdi.Total(), gdiObjects);
}

TEST(ModuleLoading, ReloadedLibraryShowsTheDialogFromItsOwnResources)
{
    const std::wstring path = CopyOfTheLibrary();
    for (int load = 0; load < 3; ++load) {
        HMODULE module = ::LoadLibraryW(path.c_str());
        ASSERT_NE(module, nullptr);
        const auto start = reinterpret_cast<TarsilLibrary::RastStartDialogFn>(
            reinterpret_cast<void*>(::GetProcAddress(module, "RastStartDialog")));
        HINSTANCE dialogModule = nullptr;
        HostCall call;
        DialogDriver driver;
        driver
            .Do([&](DialogDriver& d) {
                dialogModule = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(d.Dialog(), GWLP_HINSTANCE));
            })
            .Click(IDOK);
        const int result = start(nullptr, 0, 0, call.text, call.length, call.size, call.orientation, 0, 0, 0, 0, 255,
                                 255, 255, 0, 0, 0, &HostCall::NoRuns, nullptr, call.reservedOut, call.trainOut,
                                 call.unchangedOut, nullptr);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(dialogModule, module);
        ::FreeLibrary(module);
    }
}

TEST(ModuleLoading, SatelliteResourceLibrariesNextToTheModuleAreNeverUsed)
{
    // The build puts TarsilDlg29ENU.dll and TarsilDlg29LOC.dll, each with a template 102
    // captioned "Satellite Dialog", next to the library.
    wchar_t library[MAX_PATH] = {};
    ::GetModuleFileNameW(TarsilLibrary::Get().module, library, MAX_PATH);
    std::wstring folder = library;
    folder.resize(folder.find_last_of(L"\\/") + 1);
    ASSERT_NE(::GetFileAttributesW((folder + L"TarsilDlg29ENU.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(::GetFileAttributesW((folder + L"TarsilDlg29LOC.dll").c_str()), INVALID_FILE_ATTRIBUTES);

    HostCall call;
    std::wstring caption;
    bool satelliteLoaded = true;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            caption = DialogDriver::WindowText(d.Dialog());
            satelliteLoaded = ::GetModuleHandleW(L"TarsilDlg29ENU.dll") != nullptr ||
                              ::GetModuleHandleW(L"TarsilDlg29LOC.dll") != nullptr;
        })
        .Click(IDCANCEL);
    call.Run();
    EXPECT_EQ(caption, L"Word Verification");
    EXPECT_FALSE(satelliteLoaded);
    EXPECT_EQ(::GetModuleHandleW(L"TarsilDlg29ENU.dll"), nullptr);
}
