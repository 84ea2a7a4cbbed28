#include "PngWriter.h"

#include <windows.h>

#include <wincodec.h>
#include <wrl/client.h>

#include <utility>

#include "ComResult.h"

using Microsoft::WRL::ComPtr;

namespace {

// False, with the failed step and its code in `error`, when `result` is a failure.
bool Succeeded(HRESULT result, const char* step, std::string& error)
{
    if (FAILED(result)) {
        error = std::string(step) + " (" + ComResultCode(result) + ")";
        return false;
    }
    return true;
}

bool EncodeWithWic(int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
                   std::vector<std::uint8_t>& png, std::string& error)
{
    ComPtr<IWICImagingFactory> factory;
    if (!Succeeded(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)),
                   "Windows Imaging Component is not available", error)) {
        return false;
    }
    ComPtr<IStream> stream;
    if (!Succeeded(::CreateStreamOnHGlobal(nullptr, TRUE, &stream), "no memory stream for the PNG", error)) {
        return false;
    }
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    HRESULT result = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(result)) {
        result = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    }
    if (SUCCEEDED(result)) {
        result = encoder->CreateNewFrame(&frame, nullptr);
    }
    if (SUCCEEDED(result)) {
        result = frame->Initialize(nullptr);
    }
    if (SUCCEEDED(result)) {
        result = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
    }
    if (!Succeeded(result, "the PNG encoder cannot be set up", error)) {
        return false;
    }
    // WIC takes colour as blue, green, red.
    WICPixelFormatGUID format = channels == 1 ? GUID_WICPixelFormat8bppGray : GUID_WICPixelFormat24bppBGR;
    const WICPixelFormatGUID wanted = format;
    result = frame->SetPixelFormat(&format);
    if (!Succeeded(SUCCEEDED(result) && format != wanted ? WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT : result,
                   "the PNG encoder does not take the pixels' format", error)) {
        return false;
    }
    std::vector<std::uint8_t> rows = pixels;
    if (channels == 3) {
        for (size_t i = 0; i + 2 < rows.size(); i += 3) {
            std::swap(rows[i], rows[i + 2]);
        }
    }
    const UINT stride = static_cast<UINT>(width * channels);
    result = frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(rows.size()), rows.data());
    if (SUCCEEDED(result)) {
        result = frame->Commit();
    }
    if (SUCCEEDED(result)) {
        result = encoder->Commit();
    }
    if (!Succeeded(result, "the pixels cannot be encoded", error)) {
        return false;
    }
    HGLOBAL memory = nullptr;
    STATSTG status{};
    result = ::GetHGlobalFromStream(stream.Get(), &memory);
    if (SUCCEEDED(result)) {
        result = stream->Stat(&status, STATFLAG_NONAME);
    }
    const auto* bytes = SUCCEEDED(result) ? static_cast<const std::uint8_t*>(::GlobalLock(memory)) : nullptr;
    if (!Succeeded(SUCCEEDED(result) && bytes == nullptr ? E_OUTOFMEMORY : result, "the encoded PNG cannot be read",
                   error)) {
        return false;
    }
    png.assign(bytes, bytes + status.cbSize.QuadPart);
    ::GlobalUnlock(memory);
    return true;
}

} // namespace

bool EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels,
               std::vector<std::uint8_t>& png, std::string& error)
{
    png.clear();
    if (!EncodeWithWic(width, height, channels, pixels, png, error)) {
        png.clear();
        return false;
    }
    return true;
}
