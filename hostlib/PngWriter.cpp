#include "PngWriter.h"

#include <windows.h>

#include <wincodec.h>
#include <wrl/client.h>

#include <utility>

using Microsoft::WRL::ComPtr;

namespace {

bool EncodeWithWic(int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
                   std::vector<std::uint8_t>& png)
{
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))) {
        return false;
    }
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        return false;
    }
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(&frame, nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)))) {
        return false;
    }
    // WIC takes colour as blue, green, red.
    WICPixelFormatGUID format = channels == 1 ? GUID_WICPixelFormat8bppGray : GUID_WICPixelFormat24bppBGR;
    const WICPixelFormatGUID wanted = format;
    if (FAILED(frame->SetPixelFormat(&format)) || format != wanted) {
        return false;
    }
    std::vector<std::uint8_t> rows = pixels;
    if (channels == 3) {
        for (size_t i = 0; i + 2 < rows.size(); i += 3) {
            std::swap(rows[i], rows[i + 2]);
        }
    }
    const UINT stride = static_cast<UINT>(width * channels);
    if (FAILED(frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(rows.size()), rows.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
        return false;
    }
    HGLOBAL memory = nullptr;
    STATSTG status{};
    if (FAILED(::GetHGlobalFromStream(stream.Get(), &memory)) || FAILED(stream->Stat(&status, STATFLAG_NONAME))) {
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
