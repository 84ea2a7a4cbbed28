#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BatchPlan.h"
#include "CorrectionProposals.h"
#include "OutputFolderLock.h"
#include "PageOutputs.h"
#include "SessionStore.h"
#include "StationOptions.h"
#include "TarsilDlg29.h"
#include "TesseractEngine.h"
#include "TypedAnswers.h"

// What the jobs of a session share: its options, its pages, its store and its output
// folder, set up once (SessionSetUp, SessionResume) and then gone through page by page
// (PageLoop, WordDialog) and reported (SessionReport).
class SessionState {
public:
    using PrintFn = std::function<void(const std::string&)>;
    // The store that keeps the session, given the record the set-up made.
    using StoreMaker = std::function<std::unique_ptr<SessionStore>(SessionRecord record)>;

    SessionState(StationOptions stationOptions, RastStartDialogFn dialogFunction, PrintFn printLine,
                 StoreMaker storeMaker);

    // The indices of the words of a page, when they are known, that it may show.
    std::vector<int> WordsToVerify(size_t position) const;
    std::wstring ScreenshotPath(size_t position, int index) const;
    // "page 3 of 40 (scan.tif)", for the console.
    std::string PageLine(size_t position) const;
    // The session as recorded: by the store once the set-up has handed it the record.
    const SessionRecord& Recorded() const { return store ? store->Record() : record; }
    // A threshold or other number as the operator typed it: "90", "72.5".
    static std::string Number(double value);

    StationOptions options;
    RastStartDialogFn dialog;
    PrintFn print;
    std::wstring folder;
    BatchPlan plan;
    SessionRecord record; // made by the set-up, then the store's
    StoreMaker makeStore;
    std::unique_ptr<SessionStore> store;
    std::unique_ptr<OutputFolderLock> lock;
    std::shared_ptr<const TesseractEngine> engine;
    std::map<size_t, std::pair<std::wstring, std::wstring>> recognised; // kept engine output, by page
    std::vector<std::string> resumeNotes; // what a resumed session does otherwise than asked
    std::unique_ptr<PageOutputs> outputs;
    TypedAnswers answers;
    CorrectionProposals proposals;
};
