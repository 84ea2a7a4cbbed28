#pragma once

#include <map>
#include <string>
#include <vector>

#include "BatchPlan.h"
#include "DocumentFolder.h"
#include "SessionRecord.h"
#include "TeamExport.h"

// The pages a team has done, as a one-station session's plan and record have them, so that
// the outputs room writes their files with the same byte edits. The recogniser outputs come
// from the database's bytes, read from temporary files; the images from their recorded
// paths, each checked against its SHA-256 first. Writes nothing in the export's folder.
class TeamExportPlan {
public:
    // Throws InputError for an image that is missing or not the batch's, a page whose name
    // is no file name, or a recogniser output the readers refuse; SessionFailure when the
    // documents' folder cannot be made or a document written there.
    explicit TeamExportPlan(const TeamExportData& data);

    // The done pages, in the batch's order; the record holds the same pages at the same
    // places, with their answers in reading order.
    const std::vector<PlannedPage>& Pages() const { return m_pages; }
    const SessionRecord& Record() const { return m_record; }

    // The page's recogniser output of a kind ("tsv", "hocr", "xml"), or null.
    static const TeamDocument* Document(const TeamPageSource& source, const char* kind);

private:
    // The frames' sizes of the page's image, once its content is checked.
    const std::vector<PageOcr::FrameSize>& Frames(const TeamPageSource& source);
    PlannedPage Plan(const TeamPage& page);
    // `content` as a new file of the documents' folder: its full path.
    std::wstring Keep(const std::string& content);

    DocumentFolder m_documents; // made with the plan; outlives the documents read from it
    unsigned m_kept = 0;
    std::map<std::string, std::vector<PageOcr::FrameSize>> m_frames; // by image path
    std::vector<PlannedPage> m_pages;
    SessionRecord m_record;
};
