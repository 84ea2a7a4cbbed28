#include "LayoutReader.h"

#include "AltoDocument.h"
#include "InputError.h"
#include "InputFile.h"
#include "OcrFormat.h"
#include "PageXmlDocument.h"

std::unique_ptr<LayoutDocument> LayoutReader::Read(const std::wstring& path, const std::vector<double>& dpis)
{
    std::string bytes = InputFile::Read(path);
    switch (OcrFormat::Of(bytes, path)) {
    case OcrFormat::kAlto:
        return std::make_unique<AltoDocument>(std::move(bytes), path, dpis);
    case OcrFormat::kPage:
        return std::make_unique<PageXmlDocument>(std::move(bytes), path);
    default:
        throw InputError(path, "not an ALTO or PAGE XML document");
    }
}
