#include "PageImage.h"

#include <windows.h>

#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "ComScope.h"
#include "InputError.h"
#include "Released.h"

namespace {

std::string Code(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

// Larger pages than this are refused rather than exhausting memory: in all, and along
// either side (a row of colour pixels is decoded 64 at a time).
constexpr double kMostPixels = 200e6;
constexpr UINT kLongestSide = 100000;

bool TooLarge(UINT width, UINT height)
{
    return width > kLongestSide || height > kLongestSide || static_cast<double>(width) * height > kMostPixels;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
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

struct Decoder {
    ComScope com;
    Released<IWICImagingFactory> factory;
    Released<IWICBitmapDecoder> decoder;
};

void Open(const std::wstring& path, Decoder& opened)
{
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        throw InputError(path, "cannot be opened: no such file");
    }
    UINT declaredWidth = 0;
    UINT declaredHeight = 0;
    if (JpegFrameSize(path, declaredWidth, declaredHeight) && TooLarge(declaredWidth, declaredHeight)) {
        throw InputError(path, "unsupported image size " + std::to_string(declaredWidth) + " x " +
                                   std::to_string(declaredHeight));
    }
    HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IWICImagingFactory, reinterpret_cast<void**>(&opened.factory.pointer));
    if (FAILED(result)) {
        throw InputError(path, "cannot be decoded: Windows Imaging Component is not available (" + Code(result) + ")");
    }
    result = opened.factory.pointer->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                               WICDecodeMetadataCacheOnDemand, &opened.decoder.pointer);
    if (FAILED(result)) {
        throw InputError(path, "not an image that Windows Imaging Component can read (" + Code(result) + ")");
    }
}

// "the image's first frame", or "frame 3" of a file with several.
std::string FrameName(unsigned frame, unsigned frames)
{
    return frames > 1 ? "frame " + std::to_string(frame + 1) : std::string("the image's first frame");
}

} // namespace

unsigned PageImage::FrameCount(const std::wstring& path)
{
    Decoder opened;
    Open(path, opened);
    UINT frames = 0;
    const HRESULT result = opened.decoder.pointer->GetFrameCount(&frames);
    if (FAILED(result) || frames == 0) {
        throw InputError(path, "holds no frame that can be read (" + Code(result) + ")");
    }
    return frames;
}

PageImage PageImage::Read(const std::wstring& path, unsigned frameIndex)
{
    Decoder opened;
    Open(path, opened);
    auto& factory = opened.factory;
    UINT frames = 0;
    opened.decoder.pointer->GetFrameCount(&frames);
    const std::string frameName = FrameName(frameIndex, frames);
    Released<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    HRESULT result = opened.decoder.pointer->GetFrame(frameIndex, &frame.pointer);
    if (SUCCEEDED(result)) {
        result = frame.pointer->GetSize(&width, &height);
    }
    if (FAILED(result)) {
        throw InputError(path, frameName + " cannot be read (" + Code(result) + ")");
    }
    if (width == 0 || height == 0 || TooLarge(width, height)) {
        throw InputError(path, frameName + ": unsupported image size " + std::to_string(width) + " x " + std::to_string(height));
    }

    PageImage page;
    double dpiX = 0;
    double dpiY = 0;
    if (SUCCEEDED(frame.pointer->GetResolution(&dpiX, &dpiY)) && std::isfinite(dpiY) && dpiY >= 20 &&
        dpiY <= 10000) {
        page.m_dpi = dpiY;
    }

    // Every source format converts to 32-bit BGRA; grey sources come back with equal channels.
    Released<IWICFormatConverter> converter;
    result = factory.pointer->CreateFormatConverter(&converter.pointer);
    if (SUCCEEDED(result)) {
        result = converter.pointer->Initialize(frame.pointer, GUID_WICPixelFormat32bppBGRA,
                                               WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom);
    }
    if (FAILED(result)) {
        throw InputError(path, frameName + ": the pixels cannot be converted (" + Code(result) + ")");
    }
    page.m_grey.width = static_cast<int>(width);
    page.m_grey.height = static_cast<int>(height);
    // A strip of rows at a time keeps the colour copy small.
    constexpr UINT kStripRows = 64;
    std::vector<BYTE> strip;
    try {
        page.m_grey.grey.resize(static_cast<size_t>(width) * height);
        strip.resize(static_cast<size_t>(width) * 4 * kStripRows);
    } catch (const std::bad_alloc&) {
        throw InputError(path, "too large for the memory there is (" + std::to_string(width) + " x " +
                                   std::to_string(height) + ")");
    }
    for (UINT top = 0; top < height; top += kStripRows) {
        const UINT rows = std::min(kStripRows, height - top);
        const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        result = converter.pointer->CopyPixels(&rect, width * 4, static_cast<UINT>(width * 4 * rows), strip.data());
        if (FAILED(result)) {
            throw InputError(path, frameName + ": the pixels cannot be decoded (" + Code(result) + ")");
        }
        std::uint8_t* out = page.m_grey.grey.data() + static_cast<size_t>(top) * width;
        for (size_t i = 0; i < static_cast<size_t>(width) * rows; ++i) {
            const BYTE* pixel = strip.data() + i * 4;
            // Transparent pixels count as paper.
            const unsigned alpha = pixel[3];
            const auto blend = [alpha](BYTE channel) {
                return static_cast<std::uint8_t>((channel * alpha + 255 * (255 - alpha)) / 255);
            };
            out[i] = GreyLevel(blend(pixel[2]), blend(pixel[1]), blend(pixel[0]));
        }
    }
    return page;
}
