#include "GreyImageEncoder.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

std::string EncodeWithCom(const GreyImage& image, const GUID& container, double dpi)
{
    const bool paletted = container == GUID_ContainerFormatGif;
    const WICPixelFormatGUID format = paletted ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
    const UINT bytesPerPixel = paletted ? 1 : 3;
    const UINT stride = (static_cast<UINT>(image.width) * bytesPerPixel + 3) / 4 * 4;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * static_cast<UINT>(image.height));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            for (UINT channel = 0; channel < bytesPerPixel; ++channel) {
                rows[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * bytesPerPixel + channel] = image.At(x, y);
            }
        }
    }

    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICPalette> palette;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    if (SUCCEEDED(result) && paletted) {
        result = factory->CreatePalette(&palette);
        if (SUCCEEDED(result)) {
            result = palette->InitializePredefined(WICBitmapPaletteTypeFixedGray256, FALSE);
        }
    }
    if (SUCCEEDED(result)) {
        result = ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    }
    if (SUCCEEDED(result)) {
        result = factory->CreateEncoder(container, nullptr, &encoder);
    }
    if (SUCCEEDED(result)) {
        result = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    }
    if (SUCCEEDED(result)) {
        result = encoder->CreateNewFrame(&frame, &options);
    }
    if (SUCCEEDED(result)) {
        result = frame->Initialize(options.Get());
    }
    if (SUCCEEDED(result)) {
        result = frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height));
    }
    if (SUCCEEDED(result)) {
        result = frame->SetResolution(dpi, dpi);
    }
    WICPixelFormatGUID negotiated = format;
    if (SUCCEEDED(result)) {
        result = frame->SetPixelFormat(&negotiated);
    }
    if (SUCCEEDED(result) && negotiated != format) {
        result = E_FAIL;
    }
    if (SUCCEEDED(result) && paletted) {
        result = frame->SetPalette(palette.Get());
    }
    if (SUCCEEDED(result)) {
        result = frame->WritePixels(static_cast<UINT>(image.height), stride, static_cast<UINT>(rows.size()), rows.data());
    }
    if (SUCCEEDED(result)) {
        result = frame->Commit();
    }
    if (SUCCEEDED(result)) {
        result = encoder->Commit();
    }
    STATSTG written{};
    if (SUCCEEDED(result)) {
        result = stream->Stat(&written, STATFLAG_NONAME);
    }
    const LARGE_INTEGER beginning{};
    if (SUCCEEDED(result)) {
        result = stream->Seek(beginning, STREAM_SEEK_SET, nullptr);
    }
    std::string bytes(SUCCEEDED(result) ? static_cast<size_t>(written.cbSize.QuadPart) : 0, '\0');
    ULONG read = 0;
    if (!bytes.empty() &&
        (FAILED(stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size())) {
        bytes.clear();
    }
    return bytes;
}

} // namespace

std::string GreyImageEncoder::Encode(const GreyImage& image, const GUID& container, double dpi)
{
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string bytes = EncodeWithCom(image, container, dpi); // every COM pointer released before COM ends
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return bytes;
}
