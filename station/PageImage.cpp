#include "PageImage.h"

#include "ImageFile.h"
#include "InputError.h"

PageImage PageImage::Read(const std::wstring& path)
{
    ImageFile file;
    std::string error;
    PageImage page;
    double dpi = 0;
    if (!file.Open(path, error) || !file.ReadFrame(0, page.m_grey, dpi, error)) {
        throw InputError(path, error);
    }
    if (dpi >= 20 && dpi <= 10000) {
        page.m_dpi = dpi;
    }
    return page;
}
