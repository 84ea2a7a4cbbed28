// Loading and unloading the library in a host, and where its resources come from.

#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <string>
#include <vector>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/CommittedMemory.h"
#include "support/GdiObjectCounter.h"
#include "support/HostCall.h"

namespace {

// A copy of the DLL under a name of its own, unique in the temporary folder, so that every
// LoadLibrary really maps and starts the module, whatever else the test program (or another
// test program sharing the folder) has loaded. Removed at the end of the test.
class LibraryCopy {
public:
    LibraryCopy()
    {
        wchar_t original[MAX_PATH] = {};
        wchar_t folder[MAX_PATH] = {};
        wchar_t copy[MAX_PATH] = {};
        if (::GetModuleFileNameW(TarsilLibrary::Get().module, original, MAX_PATH) != 0 &&
            ::GetTempPathW(MAX_PATH, folder) != 0 && ::GetTempFileNameW(folder, L"tdl", 0, copy) != 0) {
            m_path = copy;
            m_made = ::CopyFileW(original, copy, FALSE) != FALSE;
        }
    }
    ~LibraryCopy()
    {
        if (!m_path.empty()) {
            ::DeleteFileW(m_path.c_str());
        }
    }
    LibraryCopy(const LibraryCopy&) = delete;
    LibraryCopy& operator=(const LibraryCopy&) = delete;

    bool Made() const { return m_made; }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
    bool m_made = false;
};

// This process's open kernel handles. Wine's GetProcessHandleCount always gives 0; there
// the process's entries in the system's handle table are counted instead.
DWORD HandleCount()
{
    DWORD handles = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &handles) && handles != 0) {
        return handles;
    }
    struct Entry {
        USHORT process;
        USHORT backTrace;
        UCHAR type;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ULONG access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<char> buffer(1 << 16);
    LONG status = kInfoLengthMismatch;
    while (status == kInfoLengthMismatch && buffer.size() < (1u << 28)) {
        buffer.resize(buffer.size() * 2);
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr);
    }
    if (status != 0) {
        return 0;
    }
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    const auto self = static_cast<USHORT>(::GetCurrentProcessId());
    for (ULONG i = 0; i < table->count; ++i) {
        handles += table->entries[i].process == self ? 1 : 0;
    }
    return handles;
}

} // namespace

TEST(ModuleLoading, HundredsOfLoadsAndUnloadsLeaveNothingBehind)
{
    const LibraryCopy copy;
    ASSERT_TRUE(copy.Made());
    const std::wstring& path = copy.Path();
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
    // Each figure must have been measured, or its comparison below would hold for nothing.
    ASSERT_GT(gdiObjects, 0);
    ASSERT_GT(handles, 0u);
    ASSERT_GT(memory, 0u);
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
    const LibraryCopy copy;
    ASSERT_TRUE(copy.Made());
    for (int load = 0; load < 3; ++load) {
        HMODULE module = ::LoadLibraryW(copy.Path().c_str());
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
