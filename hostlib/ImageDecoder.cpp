#include "ImageDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>


using Microsoft::WRL::ComPtr;

namespace {

std::string Code(HRESULT result)
{
    char text[16];
    static_cast<void>(std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result)));
    return text;
}

// "the image's first frame", or "frame 3" of a file with several.
std::string FrameName(unsigned frame, unsigned frames)
{
    return frames > 1 ? "frame " + std::to_string(frame + 1) : std::string("the image's first frame");
}

} // namespace

bool ImageDecoder::Open(const std::wstring& path, std::string& error)
{
    m_file = FileHandle::OpenWhenFree(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (!m_file.IsOpen()) {
        const DWORD reason = ::GetLastError();
        error = reason == ERROR_FILE_NOT_FOUND || reason == ERROR_PATH_NOT_FOUND
                    ? "cannot be opened: no such file"
                    : "cannot be opened: " + FileHandle::Reason(reason);
        return false;
    }
    HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(m_factory.ReleaseAndGetAddressOf()));
    if (FAILED(result)) {
        error = "cannot be decoded: Windows Imaging Component is not available (" + Code(result) + ")";
        return false;
    }
    result = m_factory->CreateDecoderFromFileHandle(reinterpret_cast<ULONG_PTR>(m_file.Get()), nullptr,
                                                    WICDecodeMetadataCacheOnDemand,
                                                    m_decoder.ReleaseAndGetAddressOf());
    if (FAILED(result)) {
        error = "not an image that Windows Imaging Component can read (" + Code(result) + ")";
        return false;
    }
    return true;
}

unsigned ImageDecoder::FrameCount() const
{
    UINT count = 0;
    return m_decoder != nullptr && SUCCEEDED(m_decoder->GetFrameCount(&count)) ? count : 0;
}

bool ImageDecoder::ReadFrame(unsigned index, GreyImage& image, double& dpi, std::string& error) const
{
    const std::string frameName = FrameName(index, FrameCount());
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    HRESULT result = m_decoder == nullptr ? E_UNEXPECTED : m_decoder->GetFrame(index, &frame);
    if (SUCCEEDED(result)) {
        result = frame->GetSize(&width, &height);
    }
    if (FAILED(result)) {
        error = frameName + " cannot be read (" + Code(result) + ")";
        return false;
    }
    if (width == 0 || height == 0 || static_cast<double>(width) * height > kMostPixels) {
        error = frameName + ": unsupported image size " + std::to_string(width) + " x " + std::to_string(height) +
                " (at most 200,000,000 pixels)";
        return false;
    }
    double dpiX = 0;
    double dpiY = 0;
    dpi = SUCCEEDED(frame->GetResolution(&dpiX, &dpiY)) && std::isfinite(dpiY) ? dpiY : 0;

    // Every source format converts to 32-bit BGRA; grey sources come back with equal channels.
    ComPtr<IWICFormatConverter> converter;
    result = m_factory->CreateFormatConverter(&converter);
    if (SUCCEEDED(result)) {
        result = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                       0.0, WICBitmapPaletteTypeCustom);
    }
    if (FAILED(result)) {
        error = frameName + ": the pixels cannot be converted (" + Code(result) + ")";
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.grey.resize(static_cast<size_t>(width) * height);
    // A strip of rows at a time keeps the colour copy small: up to 64 rows, up to 16 MiB.
    const UINT stripRows = std::clamp<UINT>((16u << 20) / (width * 4), 1, std::min<UINT>(64, height));
    std::vector<BYTE> strip(static_cast<size_t>(width) * 4 * stripRows);
    for (UINT top = 0; top < height; top += stripRows) {
        const UINT rows = std::min(stripRows, height - top);
        const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        result = converter->CopyPixels(&rect, width * 4, static_cast<UINT>(width * 4 * rows), strip.data());
        if (FAILED(result)) {
            error = frameName + ": the pixels cannot be decoded (" + Code(result) + ")";
            return false;
        }
        std::uint8_t* out = image.grey.data() + static_cast<size_t>(top) * width;
        for (size_t i = 0; i < static_cast<size_t>(width) * rows; ++i) {
            const BYTE* pixel = strip.data() + i * 4;
            const unsigned alpha = pixel[3];
            const auto blend = [alpha](BYTE channel) {
                return static_cast<std::uint8_t>((channel * alpha + 255 * (255 - alpha)) / 255);
            };
            out[i] = GreyLevel(blend(pixel[2]), blend(pixel[1]), blend(pixel[0]));
        }
    }
    return true;
}
