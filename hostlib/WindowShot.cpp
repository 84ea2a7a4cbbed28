#include "WindowShot.h"

#include <cstdint>
#include <vector>

#include "AtomicFile.h"
#include "DibSurface.h"
#include "FileHandle.h"
#include "PngWriter.h"

bool SaveScreenshot(HWND window, const std::wstring& path, std::string& error)
{
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) {
        error = "no window to take: " + FileHandle::Reason(::GetLastError());
        return false;
    }
    const DibSurface surface(rect.right - rect.left, rect.bottom - rect.top);
    if (!surface.IsValid()) {
        error = "no bitmap of the window's size";
        return false;
    }
    HDC screen = ::GetDC(nullptr);
    const BOOL copied =
        ::BitBlt(surface.Dc(), 0, 0, surface.Width(), surface.Height(), screen, rect.left, rect.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    if (!copied) {
        error = "the screen cannot be copied";
        return false;
    }
    const size_t count = static_cast<size_t>(surface.Width()) * surface.Height();
    std::vector<std::uint8_t> rgb(count * 3);
    const std::uint8_t* pixels = surface.Pixels();
    for (size_t i = 0; i < count; ++i) {
        rgb[i * 3 + 0] = pixels[i * 4 + 2];
        rgb[i * 3 + 1] = pixels[i * 4 + 1];
        rgb[i * 3 + 2] = pixels[i * 4 + 0];
    }
    std::vector<std::uint8_t> png;
    return EncodePng(surface.Width(), surface.Height(), 3, rgb, png, error) &&
           AtomicFile::Write(path, std::string(png.begin(), png.end()), error);
}
