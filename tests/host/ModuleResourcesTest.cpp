// The module's resources as the platform reads them from the built DLL.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/HostCall.h"

namespace {

constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::vector<unsigned char> ResourceBytes(LPCWSTR type, WORD id)
{
    HMODULE module = TarsilLibrary::Get().module;
    HRSRC found = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), kEnglishUs);
    if (found == nullptr) {
        return {};
    }
    const auto* data = static_cast<const unsigned char*>(::LockResource(::LoadResource(module, found)));
    return std::vector<unsigned char>(data, data + ::SizeofResource(module, found));
}

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(TarsilLibrary::Get().module, path, MAX_PATH);
    return path;
}

std::wstring VersionString(const std::vector<unsigned char>& info, const wchar_t* key)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + key;
    if (!::VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) {
        return L"<missing>";
    }
    return std::wstring(static_cast<const wchar_t*>(value));
}

} // namespace

TEST(ModuleResources, VersionResource)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(ModulePath().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(ModulePath().c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x001D0000u); // 29.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u); // 0.1
    EXPECT_EQ(fixed->dwProductVersionMS, 0x001D0000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, 4u);
    EXPECT_EQ(fixed->dwFileType, 1u);
    EXPECT_EQ(fixed->dwFileSubtype, 0u);

    EXPECT_EQ(VersionString(info, L"FileDescription"), L"TarsilDlg ");
    EXPECT_EQ(VersionString(info, L"FileVersion"), L"29.0.0.1");
    EXPECT_EQ(VersionString(info, L"InternalName"), L"TarsilDlg");
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"TarsilDlg29.dll");
    EXPECT_EQ(VersionString(info, L"ProductVersion"), L"29.0.0.1");
    EXPECT_EQ(VersionString(info, L"CompanyName"), L"Tarsil Software");
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Tarsil Word Verification");
    EXPECT_EQ(VersionString(info, L"LegalCopyright"), L"Copyright (C) 2026 Tarsil Software");

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                 &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
}

TEST(ModuleResources, AcceleratorTable)
{
    // As stored: F1 with flags 3, F12 with flags 0x83 (the last entry).
    const std::vector<unsigned char> raw = ResourceBytes(RT_ACCELERATOR, 129);
    ASSERT_EQ(raw.size(), 16u);
    const auto* entries = reinterpret_cast<const WORD*>(raw.data());
    EXPECT_EQ(entries[0], 3);
    EXPECT_EQ(entries[1], VK_F1);
    EXPECT_EQ(entries[2], 57670);
    EXPECT_EQ(entries[4], 0x83);
    EXPECT_EQ(entries[5], VK_F12);
    EXPECT_EQ(entries[6], 32772);

    HACCEL table = ::LoadAcceleratorsW(TarsilLibrary::Get().module, MAKEINTRESOURCEW(129));
    ASSERT_NE(table, nullptr);
    ACCEL accelerators[4] = {};
    ASSERT_EQ(::CopyAcceleratorTableW(table, accelerators, 4), 2);
    EXPECT_EQ(accelerators[0].key, VK_F1);
    EXPECT_EQ(accelerators[0].cmd, 57670);
    EXPECT_EQ(accelerators[1].key, VK_F12);
    EXPECT_EQ(accelerators[1].cmd, 32772);
    EXPECT_EQ(accelerators[0].fVirt & (FVIRTKEY | FNOINVERT), FVIRTKEY | FNOINVERT);
    EXPECT_EQ(accelerators[1].fVirt & (FVIRTKEY | FNOINVERT), FVIRTKEY | FNOINVERT);
    ::DestroyAcceleratorTable(table);
}

TEST(ModuleResources, ManifestAsksForTheCallersRightsAndResolutionAwareness)
{
    const std::vector<unsigned char> manifest = ResourceBytes(MAKEINTRESOURCEW(24), 2);
    ASSERT_GT(manifest.size(), 3u);
    EXPECT_EQ(manifest[0], 0xEF);
    EXPECT_EQ(manifest[1], 0xBB);
    EXPECT_EQ(manifest[2], 0xBF);
    const std::string text(manifest.begin() + 3, manifest.end());
    EXPECT_NE(text.find("manifestVersion=\"1.0\""), std::string::npos);
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos);
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(text.find("<trustInfo"), std::string::npos);
    EXPECT_NE(text.find("<windowsSettings>"), std::string::npos);
}

TEST(ModuleResources, IconHasTwoSixteenColourImagesWithMasks)
{
    const std::vector<unsigned char> group = ResourceBytes(RT_GROUP_ICON, 128);
    ASSERT_GE(group.size(), 6u + 2 * 14u);
    const auto* header = reinterpret_cast<const WORD*>(group.data());
    EXPECT_EQ(header[1], 1); // icons
    ASSERT_EQ(header[2], 2); // two images
    for (int i = 0; i < 2; ++i) {
        const unsigned char* entry = group.data() + 6 + 14 * i;
        const int size = i == 0 ? 32 : 16;
        EXPECT_EQ(entry[0], size);
        EXPECT_EQ(entry[1], size);
        EXPECT_EQ(entry[2], 16); // colours
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 4); // bits per pixel
    }

    HMODULE module = TarsilLibrary::Get().module;
    for (int size : {32, 16}) {
        SCOPED_TRACE(size);
        const int id = ::LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data()), TRUE, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(id, 0);
        const std::vector<unsigned char> image = ResourceBytes(RT_ICON, static_cast<WORD>(id));
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        const auto* bitmap = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
        EXPECT_EQ(bitmap->biWidth, size);
        EXPECT_EQ(bitmap->biHeight, size * 2); // the colour image and its mask
        EXPECT_EQ(bitmap->biBitCount, 4);
        // The colour rows and the mask rows, each padded to four bytes.
        const size_t colourRows = static_cast<size_t>(size) * ((size * 4 + 31) / 32 * 4);
        const size_t maskRows = static_cast<size_t>(size) * ((size + 31) / 32 * 4);
        EXPECT_EQ(image.size(), sizeof(BITMAPINFOHEADER) + 16 * 4 + colourRows + maskRows);

        HICON icon = static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(128), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO parts{};
        ASSERT_TRUE(::GetIconInfo(icon, &parts));
        BITMAP colour{};
        ::GetObjectW(parts.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        ::DeleteObject(parts.hbmColor);
        ::DeleteObject(parts.hbmMask);
        ::DestroyIcon(icon);
    }
}

TEST(ModuleResources, LargeIconShowsTheDialogsPictureArea)
{
    const std::vector<unsigned char> group = ResourceBytes(RT_GROUP_ICON, 128);
    const int id = ::LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data()), TRUE, 32, 32, LR_DEFAULTCOLOR);
    const std::vector<unsigned char> image = ResourceBytes(RT_ICON, static_cast<WORD>(id));
    ASSERT_FALSE(image.empty());
    const auto* palette = reinterpret_cast<const RGBQUAD*>(image.data() + sizeof(BITMAPINFOHEADER));
    const unsigned char* pixels = image.data() + sizeof(BITMAPINFOHEADER) + 16 * sizeof(RGBQUAD);
    auto colourAt = [&](int x, int y) {
        const unsigned char pair = pixels[(31 - y) * 16 + x / 2];
        const RGBQUAD entry = palette[x % 2 == 0 ? pair >> 4 : pair & 15];
        return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
    };
    int black = 0;
    int green = 0;
    for (int y = 5; y <= 17; ++y) {
        for (int x = 2; x <= 29; ++x) {
            black += colourAt(x, y) == RGB(0, 0, 0) ? 1 : 0;
            green += colourAt(x, y) == RGB(0, 255, 0) ? 1 : 0;
        }
    }
    EXPECT_GT(black, 250); // the picture area is black ...
    EXPECT_GT(green, 20);  // ... with a green A in it
    EXPECT_EQ(colourAt(8, 21), RGB(255, 255, 255)); // the text field
}

TEST(ModuleResources, EveryResourceIsUsEnglish)
{
    for (const auto& [type, id] : std::vector<std::pair<LPCWSTR, WORD>>{{RT_DIALOG, 102},
                                                                        {RT_GROUP_ICON, 128},
                                                                        {RT_ACCELERATOR, 129},
                                                                        {RT_VERSION, 1},
                                                                        {MAKEINTRESOURCEW(24), 2}}) {
        EXPECT_FALSE(ResourceBytes(type, id).empty()) << id;
    }
}
