#include "PageImage.h"

#include "ImageDecoder.h"
#include "InputError.h"

namespace {

void Open(const std::wstring& path, ImageDecoder& decoder)
{
    std::string error;
    if (!decoder.Open(path, error)) {
        throw InputError(path, error);
    }
}

} // namespace

unsigned PageImage::FrameCount(const std::wstring& path)
{
    ImageDecoder decoder;
    Open(path, decoder);
    const unsigned frames = decoder.FrameCount();
    if (frames == 0) {
        throw InputError(path, "holds no frame that can be read");
    }
    return frames;
}

PageImage PageImage::Read(const std::wstring& path, unsigned frame)
{
    ImageDecoder decoder;
    Open(path, decoder);
    PageImage page;
    double dpi = 0;
    std::string error;
    if (!decoder.ReadFrame(frame, page.m_grey, dpi, error)) {
        throw InputError(path, error);
    }
    if (dpi >= 20 && dpi <= 10000) {
        page.m_dpi = dpi;
    }
    return page;
}
