#include "ImageFile.h"

#include <gtest/gtest.h>

#include <wincodec.h>

#include "Released.h"

void WriteImageFile(const GUID& container, const std::vector<ImageFrame>& frames, bool colour,
                    const std::wstring& path)
{
    Released<IWICImagingFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.pointer)));
    Released<IWICStream> stream;
    ASSERT_HRESULT_SUCCEEDED(factory.pointer->CreateStream(&stream.pointer));
    ASSERT_HRESULT_SUCCEEDED(stream.pointer->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
    Released<IWICBitmapEncoder> encoder;
    ASSERT_HRESULT_SUCCEEDED(factory.pointer->CreateEncoder(container, nullptr, &encoder.pointer));
    ASSERT_HRESULT_SUCCEEDED(encoder.pointer->Initialize(stream.pointer, WICBitmapEncoderNoCache));
    for (const ImageFrame& image : frames) {
        Released<IWICBitmapFrameEncode> frame;
        ASSERT_HRESULT_SUCCEEDED(encoder.pointer->CreateNewFrame(&frame.pointer, nullptr));
        ASSERT_HRESULT_SUCCEEDED(frame.pointer->Initialize(nullptr));
        const GreyImage& grey = image.grey;
        ASSERT_HRESULT_SUCCEEDED(frame.pointer->SetSize(static_cast<UINT>(grey.width), static_cast<UINT>(grey.height)));
        ASSERT_HRESULT_SUCCEEDED(frame.pointer->SetResolution(image.dpi, image.dpi));
        // GIF holds palette images only: the grey levels index a palette of 256 greys.
        const bool paletted = container == GUID_ContainerFormatGif;
        const WICPixelFormatGUID wanted = paletted ? GUID_WICPixelFormat8bppIndexed
                                          : colour ? GUID_WICPixelFormat24bppBGR
                                                   : GUID_WICPixelFormat8bppGray;
        WICPixelFormatGUID format = wanted;
        ASSERT_HRESULT_SUCCEEDED(frame.pointer->SetPixelFormat(&format));
        ASSERT_TRUE(IsEqualGUID(format, wanted));
        if (paletted) {
            Released<IWICPalette> palette;
            ASSERT_HRESULT_SUCCEEDED(factory.pointer->CreatePalette(&palette.pointer));
            ASSERT_HRESULT_SUCCEEDED(palette.pointer->InitializePredefined(WICBitmapPaletteTypeFixedGray256, FALSE));
            ASSERT_HRESULT_SUCCEEDED(frame.pointer->SetPalette(palette.pointer));
        }
        const bool threeBytes = colour && !paletted;
        std::vector<BYTE> pixels;
        for (std::uint8_t level : grey.grey) {
            pixels.insert(pixels.end(), threeBytes ? 3 : 1, level);
        }
        const UINT stride = static_cast<UINT>(grey.width) * (threeBytes ? 3 : 1);
        ASSERT_HRESULT_SUCCEEDED(frame.pointer->WritePixels(static_cast<UINT>(grey.height), stride,
                                                            static_cast<UINT>(pixels.size()), pixels.data()));
        ASSERT_HRESULT_SUCCEEDED(frame.pointer->Commit());
    }
    ASSERT_HRESULT_SUCCEEDED(encoder.pointer->Commit());
}
