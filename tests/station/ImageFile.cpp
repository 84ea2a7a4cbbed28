#include "ImageFile.h"

#include <gtest/gtest.h>

#include <wincodec.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

void WriteImageFile(const GUID& container, const std::vector<ImageFrame>& frames, bool colour,
                    const std::wstring& path)
{
    ComPtr<IWICImagingFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(
        ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
    ComPtr<IWICStream> stream;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateStream(&stream));
    ASSERT_HRESULT_SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
    ComPtr<IWICBitmapEncoder> encoder;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder));
    ASSERT_HRESULT_SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
    for (const ImageFrame& image : frames) {
        ComPtr<IWICBitmapFrameEncode> frame;
        ASSERT_HRESULT_SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr));
        ASSERT_HRESULT_SUCCEEDED(frame->Initialize(nullptr));
        const GreyImage& grey = image.grey;
        ASSERT_HRESULT_SUCCEEDED(frame->SetSize(static_cast<UINT>(grey.width), static_cast<UINT>(grey.height)));
        ASSERT_HRESULT_SUCCEEDED(frame->SetResolution(image.dpi, image.dpi));
        // GIF holds palette images only: the grey levels index a palette of 256 greys.
        const bool paletted = container == GUID_ContainerFormatGif;
        const WICPixelFormatGUID wanted = paletted ? GUID_WICPixelFormat8bppIndexed
                                          : colour ? GUID_WICPixelFormat24bppBGR
                                                   : GUID_WICPixelFormat8bppGray;
        WICPixelFormatGUID format = wanted;
        ASSERT_HRESULT_SUCCEEDED(frame->SetPixelFormat(&format));
        ASSERT_TRUE(IsEqualGUID(format, wanted));
        if (paletted) {
            ComPtr<IWICPalette> palette;
            ASSERT_HRESULT_SUCCEEDED(factory->CreatePalette(&palette));
            ASSERT_HRESULT_SUCCEEDED(palette->InitializePredefined(WICBitmapPaletteTypeFixedGray256, FALSE));
            ASSERT_HRESULT_SUCCEEDED(frame->SetPalette(palette.Get()));
        }
        const bool threeBytes = colour && !paletted;
        std::vector<BYTE> pixels;
        for (std::uint8_t level : grey.grey) {
            pixels.insert(pixels.end(), threeBytes ? 3 : 1, level);
        }
        const UINT stride = static_cast<UINT>(grey.width) * (threeBytes ? 3 : 1);
        ASSERT_HRESULT_SUCCEEDED(frame->WritePixels(static_cast<UINT>(grey.height), stride,
                                                            static_cast<UINT>(pixels.size()), pixels.data()));
        ASSERT_HRESULT_SUCCEEDED(frame->Commit());
    }
    ASSERT_HRESULT_SUCCEEDED(encoder->Commit());
}
