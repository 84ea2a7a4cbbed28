#include "TeamExportFiles.h"

#include <windows.h>

#include "InputError.h"
#include "OutputFolderLock.h"
#include "PageImage.h"
#include "PageOutputs.h"
#include "TeamExportPlan.h"

size_t TeamExportFiles::Write(const TeamExportData& data, const std::wstring& folder)
{
    const TeamExportPlan plan(data);
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        throw InputError(folder, "cannot be made (error " + std::to_string(::GetLastError()) + ")");
    }
    const OutputFolderLock lock(folder);
    const PageOutputs outputs(OutputLayout(folder, false));
    for (const std::wstring& sub : outputs.Layout().Folders()) {
        const std::wstring path = outputs.Layout().Path(sub);
        if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            throw InputError(path, "cannot be made (error " + std::to_string(::GetLastError()) + ")");
        }
    }
    for (size_t i = 0; i < plan.Pages().size(); ++i) {
        const PlannedPage& planned = plan.Pages()[i];
        const TeamPageSource& source = data.pages[i].source;
        if (source.byStation) {
            // Kept where a session keeps its engine's output.
            outputs.Write(OutputLayout::EngineOutput(planned.stem, L".tsv"),
                          TeamExportPlan::Document(source, "tsv")->content);
            outputs.Write(OutputLayout::EngineOutput(planned.stem, L".hocr"),
                          TeamExportPlan::Document(source, "hocr")->content);
        }
        PreparedPage page;
        page.position = i;
        page.ocr = planned.ocr;
        page.words = planned.ocr->Words(planned.NeedsEngine() ? 1 : planned.ocrPage);
        page.image = PageImage::Read(planned.image, planned.frame);
        outputs.WritePage(planned, page, plan.Record().pages[i].words);
    }
    outputs.WriteSession(plan.Pages(), plan.Record());
    return plan.Pages().size();
}
