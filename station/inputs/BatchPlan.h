#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PageOcr.h"
#include "StationOptions.h"

// One page of the session: a frame of an image file, and where its recogniser output is.
struct PlannedPage {
    std::wstring image; // full path
    unsigned frame = 0; // from 0
    unsigned frames = 1; // in its file
    PageOcr::FrameSize size;
    // Beside the image (or given): the documents, read and checked. Empty paths: the engine
    // makes them.
    std::wstring tsv;
    std::wstring hocr;
    std::wstring xml; // an ALTO or PAGE XML document, read alone
    std::shared_ptr<const PageOcr> ocr;
    int ocrPage = 1; // the page number the documents give it
    std::wstring stem; // names the page's files in the output folder: "0003-scan-frame2"

    bool NeedsEngine() const { return tsv.empty() && hocr.empty() && xml.empty(); }
    // Its input files: the image, and the documents given with it.
    std::vector<std::wstring> InputFiles() const;
    // "scan.tif" or "scan.tif frame 2", for messages.
    std::string Name() const;
};

// The session's pages, in order, from the command line: every input found, decoded frame by
// frame, and its recogniser output found and checked, before any dialog and without writing
// anything.
class BatchPlan {
public:
    // Throws InputError naming the file (and frame) at fault.
    static BatchPlan Make(const StationOptions& options);
    // Adds every frame of `image` as a page, with the recogniser output given in the files
    // named (empty: the engine makes it). Throws InputError as Make does.
    void Add(const std::wstring& image, const std::wstring& tsv, const std::wstring& hocr, const std::wstring& xml);

    std::vector<std::wstring> inputs; // full paths, as given
    std::vector<PlannedPage> pages;
};
