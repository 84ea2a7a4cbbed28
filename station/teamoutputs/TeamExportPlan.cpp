#include "TeamExportPlan.h"

#include "InputError.h"
#include "PageImage.h"
#include "PathName.h"
#include "SessionFailure.h"
#include "Sha256.h"
#include "TeamWords.h"
#include "Utf8.h"

#include <windows.h>

namespace {

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide;
    Utf8ToWide(utf8, wide);
    return wide;
}

// The export's documents' folder, named after the process and the moment: a second export at
// the same moment gets a folder of its own.
DocumentFolder ExportDocuments()
{
    try {
        return DocumentFolder(L"export-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(::GetTickCount64()));
    } catch (const InputError& error) {
        throw SessionFailure(std::string("cannot make a folder for the export's documents: ") + error.what());
    }
}

} // namespace

TeamExportPlan::TeamExportPlan(const TeamExportData& data)
    : m_documents(ExportDocuments())
{
    m_record.inputs = data.batch.inputs;
    m_record.below = data.batch.below;
    m_record.charBelow = data.batch.charBelow;
    // Every name and image checked before the first file is written. A page's name becomes
    // the names of its files, and the database is written by every station of the team, so
    // its names are checked as any input is.
    for (const TeamPage& page : data.pages) {
        if (!PathName::IsPlainFileName(Wide(page.source.name))) {
            throw InputError(Wide(page.source.imagePath), "the team's page " + std::to_string(page.source.position) +
                                                              " is named \"" + page.source.name +
                                                              "\", which is no file name: nothing is exported");
        }
        Frames(page.source);
    }
    for (const TeamPage& page : data.pages) {
        m_pages.push_back(Plan(page));
        StoredPage stored;
        stored.name = page.source.name;
        stored.image = {page.source.imagePath, page.source.imageSha256};
        stored.frame = page.source.frame;
        stored.ocrPage = page.source.ocrPage;
        stored.ocrByStation = page.source.byStation;
        stored.state = page.state;
        for (const TeamAnswer& answer : page.answers) {
            stored.words.push_back(TeamWords::FromTeam(answer));
        }
        m_record.pages.push_back(std::move(stored));
    }
    m_record.summary = m_record.Count();
}

const TeamDocument* TeamExportPlan::Document(const TeamPageSource& source, const char* kind)
{
    for (const TeamDocument& document : source.documents) {
        if (document.kind == kind) {
            return &document;
        }
    }
    return nullptr;
}

const std::vector<PageOcr::FrameSize>& TeamExportPlan::Frames(const TeamPageSource& source)
{
    const auto known = m_frames.find(source.imagePath);
    if (known != m_frames.end()) {
        return known->second;
    }
    const std::wstring image = Wide(source.imagePath);
    if (Sha256::OfFile(image) != source.imageSha256) {
        throw InputError(image, "is not the image of the team's page " + std::to_string(source.position) +
                                    ": its content changed since the batch was made");
    }
    // Every frame decoded once, as a session plans a multi-page file.
    std::vector<PageOcr::FrameSize> sizes;
    const unsigned frames = PageImage::FrameCount(image);
    for (unsigned frame = 0; frame < frames; ++frame) {
        const PageImage decoded = PageImage::Read(image, frame);
        sizes.push_back({decoded.Grey().width, decoded.Grey().height, decoded.Dpi()});
    }
    return m_frames.emplace(source.imagePath, std::move(sizes)).first->second;
}

PlannedPage TeamExportPlan::Plan(const TeamPage& page)
{
    const TeamPageSource& source = page.source;
    PlannedPage planned;
    planned.image = Wide(source.imagePath);
    planned.stem = Wide(source.name);
    const std::vector<PageOcr::FrameSize>& sizes = Frames(source);
    if (source.frame < 1 || static_cast<size_t>(source.frame) > sizes.size()) {
        throw InputError(planned.image, "has no frame " + std::to_string(source.frame) + ", the team's page " +
                                            std::to_string(source.position));
    }
    planned.frame = static_cast<unsigned>(source.frame - 1);
    planned.frames = static_cast<unsigned>(sizes.size());
    planned.size = sizes[planned.frame];
    planned.ocrPage = source.ocrPage;
    const TeamDocument* tsv = Document(source, "tsv");
    const TeamDocument* hocr = Document(source, "hocr");
    const TeamDocument* xml = Document(source, "xml");
    if (source.byStation) {
        // The engine's output: the page's documents stay unnamed, as a session has them, and
        // its words are those of the output's one page.
        if (tsv == nullptr || hocr == nullptr) {
            throw InputError(planned.image, "the team's page " + std::to_string(source.position) +
                                                " is done, but the database holds no engine output for it");
        }
        planned.ocr = PageOcr::Read(Keep(tsv->content), Keep(hocr->content), L"",
                                    planned.image, {planned.size});
        return planned;
    }
    planned.tsv = tsv == nullptr ? L"" : Keep(tsv->content);
    planned.hocr = hocr == nullptr ? L"" : Keep(hocr->content);
    planned.xml = xml == nullptr ? L"" : Keep(xml->content);
    if (planned.NeedsEngine()) {
        throw InputError(planned.image, "the team's page " + std::to_string(source.position) +
                                            " is done, but the database holds no recogniser output for it");
    }
    planned.ocr = PageOcr::Read(planned.tsv, planned.hocr, planned.xml, planned.image, sizes);
    return planned;
}

std::wstring TeamExportPlan::Keep(const std::string& content)
{
    std::wstring path;
    std::string error;
    if (!m_documents.TryWrite(L"document" + std::to_wstring(++m_kept), content, path, error)) {
        throw SessionFailure("cannot write " + WideToUtf8(path) + ": " + error);
    }
    return path;
}
