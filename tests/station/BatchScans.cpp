#include "BatchScans.h"

#include <wincodec.h>

#include "StationData.h"
#include "support/ChildProcess.h"

std::wstring Scan(const std::wstring& name)
{
    return StationData(L"scans/" + name);
}

std::wstring Relay()
{
    return ChildProcess::ProgramFolder() + L"engine_relay.exe";
}

ImageFrame FrameOf(const PageImage& page)
{
    return {page.Grey(), page.Dpi()};
}

void WriteTiff(const std::vector<ImageFrame>& frames, const std::wstring& path)
{
    WriteImageFile(GUID_ContainerFormatTiff, frames, false, path);
}

std::pair<StationOptions, StationOptions> BothForms(const ScratchFolder& folder, const std::wstring& image)
{
    StationOptions batch;
    batch.inputs = {image};
    batch.out = folder / L"batch";
    batch.below = 95;
    batch.press = L"ok";
    StationOptions onePage = batch;
    onePage.inputs.clear();
    onePage.image = image;
    onePage.out = folder / L"one";
    return {batch, onePage};
}
