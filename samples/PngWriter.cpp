#include "PngWriter.h"

#include <windows.h>

#include <wincodec.h>

#include <cstdio>

#include "ComScope.h"
#include "Released.h"

namespace {

// Encodes with the platform's PNG encoder (Windows Imaging Component), which compresses.
bool EncodeWithWic(int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
                   std::vector<std::uint8_t>& png)
{
    const ComScope com;
    Released<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&factory.pointer)))) {
        return false;
    }
    Released<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream.pointer))) {
        return false;
    }
    Released<IWICBitmapEncoder> encoder;
    Released<IWICBitmapFrameEncode> frame;
    if (FAILED(factory.pointer->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.pointer)) ||
        FAILED(encoder.pointer->Initialize(stream.pointer, WICBitmapEncoderNoCache)) ||
        FAILED(encoder.pointer->CreateNewFrame(&frame.pointer, nullptr)) || FAILED(frame.pointer->Initialize(nullptr)) ||
        FAILED(frame.pointer->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)))) {
        return false;
    }
    // WIC takes colour as blue, green, red.
    WICPixelFormatGUID format = channels == 1 ? GUID_WICPixelFormat8bppGray : GUID_WICPixelFormat24bppBGR;
    const WICPixelFormatGUID wanted = format;
    if (FAILED(frame.pointer->SetPixelFormat(&format)) || format != wanted) {
        return false;
    }
    std::vector<std::uint8_t> rows = pixels;
    if (channels == 3) {
        for (size_t i = 0; i + 2 < rows.size(); i += 3) {
            std::swap(rows[i], rows[i + 2]);
        }
    }
    const UINT stride = static_cast<UINT>(width * channels);
    if (FAILED(frame.pointer->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(rows.size()),
                                          rows.data())) ||
        FAILED(frame.pointer->Commit()) || FAILED(encoder.pointer->Commit())) {
        return false;
    }
    HGLOBAL memory = nullptr;
    if (FAILED(::GetHGlobalFromStream(stream.pointer, &memory))) {
        return false;
    }
    STATSTG status{};
    if (FAILED(stream.pointer->Stat(&status, STATFLAG_NONAME))) {
        return false;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(::GlobalLock(memory));
    if (bytes == nullptr) {
        return false;
    }
    png.assign(bytes, bytes + status.cbSize.QuadPart);
    ::GlobalUnlock(memory);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels)
{
    std::vector<std::uint8_t> png;
    if (!EncodeWithWic(width, height, channels, pixels, png)) {
        png.clear();
    }
    return png;
}

bool WritePng(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    const std::vector<std::uint8_t> png = EncodePng(width, height, 3, rgb);
    if (png.empty()) {
        return false;
    }
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}
