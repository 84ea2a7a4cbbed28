#include "ImageReencoder.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

std::string Encode(const std::wstring& path, const GUID& container)
{
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    if (SUCCEEDED(result)) {
        result = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                    WICDecodeMetadataCacheOnDemand, &decoder);
    }
    if (SUCCEEDED(result)) {
        result = decoder->GetFrame(0, &frame);
    }
    // GIF holds palette images only: the grey levels as a palette of 256.
    const bool paletted = container == GUID_ContainerFormatGif;
    WICPixelFormatGUID format = paletted ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
    ComPtr<IWICPalette> palette;
    if (SUCCEEDED(result) && paletted) {
        result = factory->CreatePalette(&palette);
        if (SUCCEEDED(result)) {
            result = palette->InitializePredefined(WICBitmapPaletteTypeFixedGray256, FALSE);
        }
    }
    // Through 32-bit colour: Wine converts a grey page to that, and that to the others.
    ComPtr<IWICFormatConverter> colour;
    ComPtr<IWICFormatConverter> pixels;
    if (SUCCEEDED(result)) {
        result = factory->CreateFormatConverter(&colour);
    }
    if (SUCCEEDED(result)) {
        result = colour->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                    WICBitmapPaletteTypeCustom);
    }
    if (SUCCEEDED(result)) {
        result = factory->CreateFormatConverter(&pixels);
    }
    if (SUCCEEDED(result)) {
        result = pixels->Initialize(colour.Get(), format, WICBitmapDitherTypeNone, palette.Get(), 0.0,
                                    paletted ? WICBitmapPaletteTypeFixedGray256 : WICBitmapPaletteTypeCustom);
    }
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> target;
    ComPtr<IPropertyBag2> options;
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
        result = encoder->CreateNewFrame(&target, &options);
    }
    if (SUCCEEDED(result)) {
        result = target->Initialize(options.Get());
    }
    UINT width = 0;
    UINT height = 0;
    double dpiX = 96;
    double dpiY = 96;
    if (SUCCEEDED(result)) {
        result = frame->GetSize(&width, &height);
    }
    if (SUCCEEDED(result)) {
        frame->GetResolution(&dpiX, &dpiY);
        result = target->SetSize(width, height);
    }
    if (SUCCEEDED(result)) {
        result = target->SetResolution(dpiX, dpiY);
    }
    WICPixelFormatGUID negotiated = format;
    if (SUCCEEDED(result)) {
        result = target->SetPixelFormat(&negotiated);
    }
    if (SUCCEEDED(result) && negotiated != format) {
        result = E_FAIL;
    }
    if (SUCCEEDED(result) && paletted) {
        result = target->SetPalette(palette.Get());
    }
    // The pixels copied out and written: Wine's encoders do not take a converter as a source.
    const UINT stride = (width * (paletted ? 1 : 3) + 3) / 4 * 4;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * height);
    if (SUCCEEDED(result)) {
        result = pixels->CopyPixels(nullptr, stride, static_cast<UINT>(rows.size()), rows.data());
    }
    if (SUCCEEDED(result)) {
        result = target->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data());
    }
    if (SUCCEEDED(result)) {
        result = target->Commit();
    }
    if (SUCCEEDED(result)) {
        result = encoder->Commit();
    }
    STATSTG written{};
    if (SUCCEEDED(result)) {
        result = stream->Stat(&written, STATFLAG_NONAME);
    }
    const LARGE_INTEGER start{};
    if (SUCCEEDED(result)) {
        result = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    }
    std::string bytes(SUCCEEDED(result) ? static_cast<size_t>(written.cbSize.QuadPart) : 0, '\0');
    ULONG read = 0;
    if (!bytes.empty() && (FAILED(stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size())) {
        bytes.clear();
    }
    return bytes;
}

} // namespace

std::string ImageReencoder::Reencode(const std::wstring& path, const GUID& container)
{
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string bytes = Encode(path, container); // every COM pointer released before COM ends
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return bytes;
}
