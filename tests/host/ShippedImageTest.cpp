// The shipped DLL's image: hardening flags, sections, exports and imports, read from the file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/HostCall.h"

namespace {

class ShippedImage : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t path[MAX_PATH] = {};
        ASSERT_GT(::GetModuleFileNameW(TarsilLibrary::Get().module, path, MAX_PATH), 0u);
        std::ifstream file(path, std::ios::binary);
        image.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
        nt = At<IMAGE_NT_HEADERS64>(static_cast<size_t>(dos->e_lfanew));
        ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
        ASSERT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
        sections = IMAGE_FIRST_SECTION(nt);
    }

    template <typename T>
    const T* At(size_t offset) const
    {
        if (offset + sizeof(T) > image.size()) {
            throw std::out_of_range("beyond the file");
        }
        return reinterpret_cast<const T*>(image.data() + offset);
    }

    // The file offset of a relative virtual address.
    size_t Offset(DWORD rva) const
    {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.Misc.VirtualSize) {
                return rva - section.VirtualAddress + section.PointerToRawData;
            }
        }
        throw std::out_of_range("address outside every section");
    }

    std::string StringAt(DWORD rva) const { return std::string(At<char>(Offset(rva))); }

    std::vector<char> image;
    const IMAGE_NT_HEADERS64* nt = nullptr;
    const IMAGE_SECTION_HEADER* sections = nullptr;
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

TEST_F(ShippedImage, IsAHardened64BitDll)
{
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
    const WORD flags = nt->OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    // Relocations must be kept, or the loader cannot move the image.
    EXPECT_NE(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u);
}

TEST_F(ShippedImage, NoSectionIsBothWritableAndExecutable)
{
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
        const DWORD flags = sections[i].Characteristics;
        EXPECT_FALSE((flags & IMAGE_SCN_MEM_WRITE) && (flags & IMAGE_SCN_MEM_EXECUTE))
            << std::string(reinterpret_cast<const char*>(sections[i].Name), 8);
    }
}

TEST_F(ShippedImage, ExportsExactlyTheTwoFunctionsByNameAndOrdinal)
{
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(directory.Size, 0u);
    const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(Offset(directory.VirtualAddress));
    EXPECT_EQ(StringAt(exports->Name), "TarsilDlg29.dll");
    EXPECT_EQ(exports->Base, 1u);
    ASSERT_EQ(exports->NumberOfFunctions, 2u);
    ASSERT_EQ(exports->NumberOfNames, 2u);

    const auto* names = At<DWORD>(Offset(exports->AddressOfNames));
    const auto* ordinals = At<WORD>(Offset(exports->AddressOfNameOrdinals));
    std::set<std::pair<std::string, DWORD>> named;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        named.insert({StringAt(names[i]), ordinals[i] + exports->Base});
    }
    EXPECT_EQ(named, (std::set<std::pair<std::string, DWORD>>{{"RastStartDialog", 1}, {"dummyfunction", 2}}));

    HMODULE module = TarsilLibrary::Get().module;
    EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(1))),
              reinterpret_cast<void*>(::GetProcAddress(module, "RastStartDialog")));
    EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(2))),
              reinterpret_cast<void*>(::GetProcAddress(module, "dummyfunction")));
}

TEST_F(ShippedImage, ImportsFromSystemDllsOnly)
{
    // Exactly what a window and a few GDI calls need: nothing that costs a load of its own.
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"};
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(directory.Size, 0u);
    std::vector<std::string> imported;
    for (const auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(Offset(directory.VirtualAddress)); entry->Name != 0;
         ++entry) {
        imported.push_back(Lower(StringAt(entry->Name)));
    }
    EXPECT_EQ(std::set<std::string>(imported.begin(), imported.end()), system);
    EXPECT_EQ(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].Size, 0u);
}
