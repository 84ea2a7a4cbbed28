// The shipped station, a whole session at the display's resolution (run again at 144 dpi):
// its manifest declares it DPI-aware, the dialog is laid out at the display's resolution
// with its picture drawn pixel for pixel, and the corrections typed in land.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "PageImage.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "support/ChildProcess.h"

namespace {

// The station's embedded application manifest, or empty.
std::string EmbeddedManifest()
{
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"tarsil_verify.exe";
    HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return {};
    }
    std::string manifest;
    if (HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        if (HGLOBAL loaded = ::LoadResource(module, found)) {
            manifest.assign(static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(module, found));
        }
    }
    ::FreeLibrary(module);
    return manifest;
}

} // namespace

TEST(StationDpi, AWholeSessionIsLaidOutAtTheDisplaysResolutionWithItsPictureDrawnPixelForPixel)
{
    const std::string manifest = EmbeddedManifest();
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>"),
              std::string::npos);
    EXPECT_NE(
        manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>"),
        std::string::npos);

    // "Here," (row 40) read as "jese" too: typed once, then offered and accepted.
    ScratchFolder folder;
    std::string tsv = FileBytes(StationData(L"page.tsv"));
    tsv.replace(tsv.find("\tHere,\n"), 7, "\tjese\n");
    ASSERT_TRUE(WriteBytes(folder / L"page.tsv", tsv));
    ASSERT_TRUE(WriteBytes(folder / L"answers.tsv", "jese\tThese\n"));
    const ChildProcess run = ChildProcess::Run(
        L"tarsil_verify.exe", L"--image " + Quoted(StationData(L"page.png")) + L" --tsv " + Quoted(folder / L"page.tsv") +
                                  L" --answers " + Quoted(folder / L"answers.tsv") + L" --below 90 --audit 0 --press ok --screenshots " +
                                  Quoted(folder / L"shots") + L" --out " + Quoted(folder / L"out"));
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("5/7 ok \"These\" (was \"jese\", 87), proposal accepted"), std::string::npos) << run.output;
    const std::vector<std::string> verified = Lines(FileBytes(folder / L"out\\verified.tsv"));
    ASSERT_GE(verified.size(), 40u);
    EXPECT_EQ(verified[26].substr(verified[26].rfind('\t')), "\tThese");
    EXPECT_EQ(verified[39].substr(verified[39].rfind('\t')), "\tThese");

    // The dialog at the display's resolution: 549 pixels wide at 96 dpi, half as much again
    // at 144. Its picture pixel for pixel: the neighbours' half-tone keeps whole blocks of
    // two by two pixels alternating pure black and white, which a stretched bitmap blurs.
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    const GreyImage shot = PageImage::Read(folder / L"shots\\0014.png").Grey();
    EXPECT_NEAR(shot.width, 549.0 * dpi / 96, 549.0 * dpi / 96 * 0.03) << dpi << " dpi";
    int checkers = 0;
    for (int y = 0; y + 1 < shot.height; ++y) {
        for (int x = 0; x + 1 < shot.width; ++x) {
            const int corner = shot.At(x, y);
            checkers += (corner == 0 || corner == 255) && shot.At(x + 1, y + 1) == corner &&
                                shot.At(x + 1, y) == 255 - corner && shot.At(x, y + 1) == 255 - corner
                            ? 1
                            : 0;
        }
    }
    EXPECT_GT(checkers, 200);
}
