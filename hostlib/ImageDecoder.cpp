#include "ImageDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "ComResult.h"

using Microsoft::WRL::ComPtr;

namespace {

bool TooLarge(UINT width, UINT height)
{
    return width > ImageDecoder::kLongestSide || height > ImageDecoder::kLongestSide ||
           static_cast<double>(width) * height > ImageDecoder::kMostPixels;
}

std::string SizeRefused(UINT width, UINT height)
{
    return "unsupported image size " + std::to_string(width) + " x " + std::to_string(height) +
           " (at most 200,000,000 pixels, 100,000 along a side)";
}

struct FileCloser {
    void operator()(FILE* file) const { static_cast<void>(std::fclose(file)); }
};

// The size a JPEG file's frame header declares; false when the file is not a JPEG or its
// markers end before one. Wine's JPEG decoder decodes the whole image as it opens the file
// and overruns its buffer for an image of more than 4 GB, so a JPEG's size is checked
// before Windows Imaging Component opens it.
bool JpegFrameSize(const std::wstring& path, UINT& width, UINT& height)
{
    const std::unique_ptr<FILE, FileCloser> file(_wfopen(path.c_str(), L"rb"));
    if (!file) {
        return false;
    }
    const auto next = [&file] { return std::fgetc(file.get()); };
    if (next() != 0xFF || next() != 0xD8) {
        return false;
    }
    for (;;) {
        int marker = next();
        if (marker != 0xFF) {
            return false; // up to the first scan, each marker follows the last one's segment
        }
        while (marker == 0xFF) {
            marker = next(); // fill bytes
        }
        if (marker == EOF || marker == 0xD9 || marker == 0xDA) {
            return false; // the image's end or its first scan: no frame header before them
        }
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            continue; // markers without a segment
        }
        const int high = next();
        const int low = next();
        const long length = (static_cast<long>(high) << 8) | low;
        if (high == EOF || low == EOF || length < 2) {
            return false;
        }
        // Start of frame: C0 to CF, but for the tables and the arithmetic coding's C4, C8, CC.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            const int precision = next();
            const int bytes[4] = {next(), next(), next(), next()};
            if (precision == EOF || bytes[3] == EOF) {
                return false;
            }
            height = static_cast<UINT>((bytes[0] << 8) | bytes[1]);
            width = static_cast<UINT>((bytes[2] << 8) | bytes[3]);
            return true;
        }
        if (std::fseek(file.get(), length - 2, SEEK_CUR) != 0) {
            return false;
        }
    }
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
    UINT declaredWidth = 0;
    UINT declaredHeight = 0;
    if (JpegFrameSize(path, declaredWidth, declaredHeight) && TooLarge(declaredWidth, declaredHeight)) {
        error = SizeRefused(declaredWidth, declaredHeight);
        return false;
    }
    HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(m_factory.ReleaseAndGetAddressOf()));
    if (FAILED(result)) {
        error = "cannot be decoded: Windows Imaging Component is not available (" + ComResultCode(result) + ")";
        return false;
    }
    result = m_factory->CreateDecoderFromFileHandle(reinterpret_cast<ULONG_PTR>(m_file.Get()), nullptr,
                                                    WICDecodeMetadataCacheOnDemand,
                                                    m_decoder.ReleaseAndGetAddressOf());
    if (FAILED(result)) {
        error = "not an image that Windows Imaging Component can read (" + ComResultCode(result) + ")";
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
        error = frameName + " cannot be read (" + ComResultCode(result) + ")";
        return false;
    }
    if (width == 0 || height == 0 || TooLarge(width, height)) {
        error = frameName + ": " + SizeRefused(width, height);
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
        error = frameName + ": the pixels cannot be converted (" + ComResultCode(result) + ")";
        return false;
    }
    // A strip of rows at a time keeps the colour copy small: up to 64 rows, up to 16 MiB.
    const UINT stripRows = std::clamp<UINT>((16u << 20) / (width * 4), 1, std::min<UINT>(64, height));
    std::vector<BYTE> strip;
    try {
        image.grey.resize(static_cast<size_t>(width) * height);
        strip.resize(static_cast<size_t>(width) * 4 * stripRows);
    } catch (const std::bad_alloc&) {
        error = frameName + ": too large for the memory there is (" + std::to_string(width) + " x " +
                std::to_string(height) + ")";
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    for (UINT top = 0; top < height; top += stripRows) {
        const UINT rows = std::min(stripRows, height - top);
        const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        result = converter->CopyPixels(&rect, width * 4, static_cast<UINT>(width * 4 * rows), strip.data());
        if (FAILED(result)) {
            error = frameName + ": the pixels cannot be decoded (" + ComResultCode(result) + ")";
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
