#include "BatchPlan.h"

#include <windows.h>

#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "InputError.h"
#include "OcrFormat.h"
#include "PageImage.h"
#include "PathName.h"
#include "Utf8.h"

namespace {

using Microsoft::WRL::ComPtr;

std::wstring Lower(std::wstring text)
{
    ::CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// The file name extensions of every image decoder installed (".png", ".tif", ...).
std::set<std::wstring> ImageExtensions()
{
    std::set<std::wstring> extensions;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IEnumUnknown> decoders;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, &decoders))) {
        return extensions;
    }
    ComPtr<IUnknown> component;
    ULONG fetched = 0;
    while (decoders->Next(1, component.ReleaseAndGetAddressOf(), &fetched) == S_OK) {
        ComPtr<IWICBitmapCodecInfo> info;
        UINT length = 0;
        if (FAILED(component.As(&info)) || FAILED(info->GetFileExtensions(0, nullptr, &length)) || length == 0) {
            continue;
        }
        std::wstring list(length, L'\0');
        if (FAILED(info->GetFileExtensions(length, &list[0], &length))) {
            continue;
        }
        list.resize(wcslen(list.c_str()));
        size_t start = 0;
        while (start < list.size()) {
            const size_t comma = list.find_first_of(L",;", start); // Windows separates with commas, Wine also with semicolons
            const std::wstring extension = list.substr(start, comma == std::wstring::npos ? comma : comma - start);
            if (!extension.empty()) {
                extensions.insert(Lower(extension));
            }
            start = comma == std::wstring::npos ? list.size() : comma + 1;
        }
    }
    return extensions;
}

// The folder's images, in natural name order (as Explorer sorts: page2 before page10).
std::vector<std::wstring> FolderImages(const std::wstring& folder, const std::set<std::wstring>& extensions)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const wchar_t* extension = ::PathFindExtensionW(found.cFileName);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && extensions.count(Lower(extension)) != 0) {
                names.push_back(found.cFileName);
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return ::StrCmpLogicalW(a.c_str(), b.c_str()) < 0; });
    std::vector<std::wstring> paths;
    paths.reserve(names.size());
    for (const std::wstring& name : names) {
        paths.push_back(folder + L"\\");
        paths.back() += name;
    }
    return paths;
}

// The file's identity on its volume: two spellings of one file (a path and a folder that
// holds it, a short name, another case) are the same input.
std::tuple<DWORD, DWORD, DWORD> FileIdentity(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = file != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(file, &information);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
    }
    if (!known) {
        throw InputError(path, "cannot be opened (error " + std::to_string(::GetLastError()) + ")");
    }
    return {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// BASE.extension beside the image, or empty.
std::wstring Beside(const std::wstring& image, const wchar_t* extension)
{
    std::wstring path = image.substr(0, image.size() - wcslen(::PathFindExtensionW(image.c_str()))) + extension;
    return IsFile(path) ? path : std::wstring();
}

std::wstring BaseName(const std::wstring& image)
{
    const wchar_t* name = ::PathFindFileNameW(image.c_str());
    return std::wstring(name, name + (wcslen(name) - wcslen(::PathFindExtensionW(name))));
}

// Every frame decoded once: a frame the platform cannot decode is refused now, not after an
// hour of answers.
std::vector<PageOcr::FrameSize> DecodeFrames(const std::wstring& image)
{
    std::vector<PageOcr::FrameSize> sizes;
    const unsigned frames = PageImage::FrameCount(image);
    for (unsigned frame = 0; frame < frames; ++frame) {
        const PageImage page = PageImage::Read(image, frame);
        sizes.push_back({page.Grey().width, page.Grey().height, page.Dpi()});
    }
    return sizes;
}

void AddPages(BatchPlan& plan, const std::wstring& image, const std::wstring& tsv, const std::wstring& hocr,
              const std::wstring& xml)
{
    const std::vector<PageOcr::FrameSize> sizes = DecodeFrames(image);
    std::shared_ptr<const PageOcr> ocr;
    if (!tsv.empty() || !hocr.empty() || !xml.empty()) {
        ocr = PageOcr::Read(tsv, hocr, xml, image, sizes);
    }
    for (unsigned frame = 0; frame < sizes.size(); ++frame) {
        PlannedPage page;
        page.image = image;
        page.frame = frame;
        page.frames = static_cast<unsigned>(sizes.size());
        page.size = sizes[frame];
        page.tsv = tsv;
        page.hocr = hocr;
        page.xml = xml;
        page.ocr = ocr;
        page.ocrPage = static_cast<int>(frame) + 1;
        wchar_t number[16];
        static_cast<void>(swprintf(number, 16, L"%04u-", static_cast<unsigned>(plan.pages.size() + 1)));
        page.stem = number + BaseName(image) + (sizes.size() > 1 ? L"-frame" + std::to_wstring(frame + 1) : L"");
        plan.pages.push_back(page);
    }
}

} // namespace

std::string PlannedPage::Name() const
{
    return WideToUtf8(image) + (frames > 1 ? " frame " + std::to_string(frame + 1) : "");
}

std::vector<std::wstring> PlannedPage::InputFiles() const
{
    std::vector<std::wstring> files{image};
    for (const std::wstring* document : {&tsv, &hocr, &xml}) {
        if (!document->empty()) {
            files.push_back(*document);
        }
    }
    return files;
}

void BatchPlan::Add(const std::wstring& image, const std::wstring& tsv, const std::wstring& hocr,
                    const std::wstring& xml)
{
    AddPages(*this, image, tsv, hocr, xml);
}

BatchPlan BatchPlan::Make(const StationOptions& options)
{
    BatchPlan plan;
    if (options.OnePageForm()) {
        const std::wstring image = PathName::Full(options.image);
        plan.inputs = {image};
        // --ocr stands for whichever of the others its content is.
        std::wstring tsv = options.tsv;
        std::wstring hocr = options.hocr;
        std::wstring xml;
        if (!options.ocr.empty()) {
            const OcrFormat::Kind format = OcrFormat::OfFile(options.ocr);
            std::wstring& slot = format == OcrFormat::kTsv ? tsv : format == OcrFormat::kHocr ? hocr : xml;
            if (!slot.empty()) {
                throw InputError(options.ocr, "is in the format of the other file given with it (--tsv or --hocr)");
            }
            slot = options.ocr;
        }
        if (!xml.empty() && (!tsv.empty() || !hocr.empty())) {
            throw InputError(xml, "an ALTO or PAGE document is read alone, without --tsv or --hocr");
        }
        AddPages(plan, image, tsv.empty() ? L"" : PathName::Full(tsv), hocr.empty() ? L"" : PathName::Full(hocr),
                 xml.empty() ? L"" : PathName::Full(xml));
        return plan;
    }
    const std::set<std::wstring> extensions = ImageExtensions();
    std::vector<std::wstring> images;
    for (const std::wstring& input : options.inputs) {
        const std::wstring path = PathName::Full(input);
        plan.inputs.push_back(path);
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            throw InputError(input, "cannot be opened: no such file or folder");
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            images.push_back(path);
            continue;
        }
        const std::vector<std::wstring> found = FolderImages(path, extensions);
        if (found.empty()) {
            throw InputError(input, "a folder with no images");
        }
        images.insert(images.end(), found.begin(), found.end());
    }
    std::map<std::tuple<DWORD, DWORD, DWORD>, std::wstring> seen;
    for (const std::wstring& image : images) {
        const auto earlier = seen.emplace(FileIdentity(image), image);
        if (!earlier.second) {
            throw InputError(image, "is given twice" + (earlier.first->second == image
                                                            ? std::string()
                                                            : " (also as " + WideToUtf8(earlier.first->second) + ")"));
        }
    }
    for (const std::wstring& image : images) {
        const std::wstring tsv = Beside(image, L".tsv");
        const std::wstring hocr = Beside(image, L".hocr");
        AddPages(plan, image, tsv, hocr, tsv.empty() && hocr.empty() ? Beside(image, L".xml") : std::wstring());
    }
    return plan;
}
