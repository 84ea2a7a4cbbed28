#pragma once

#include <functional>
#include <memory>
#include <string>

#include "PreparedSession.h"
#include "SessionFailure.h"
#include "SessionSetUp.h"
#include "SessionStore.h"
#include "SessionSummary.h"
#include "StationOptions.h"
#include "TarsilDlg29.h"

// A session: the pages of a batch (or the one page of the one-page form) verified word by
// word. The words the recogniser is unsure of are shown one RastStartDialog call each, page
// by page in reading order, while a worker prepares the next pages. Every answer goes into
// the session's journal (session.json) at once; a page's other files (the verified TSV, hOCR,
// ALTO or PAGE document, the text and the training pairs) are written by the worker when the
// page is finished or the run ends, and the page is "done" only once they are, so one file per
// answer is all the operator waits for. Its jobs: SessionSetUp (with SessionResume and
// SessionOutputCheck), PageLoop (with WordDialog) and SessionReport.
class VerificationSession {
public:
    using DialogFn = RastStartDialogFn;
    using PrintFn = std::function<void(const std::string&)>;
    using Summary = SessionSummary;

    using StoreMaker = SessionSetUp::StoreMaker;
    // A set-up of another kind than the output folder's (a team's batch in a database): makes
    // the session from the options, and throws as Prepare does.
    using SetUpFn = std::function<PreparedSession(const StationOptions& options, const PrintFn& print)>;

    // `dialog` is the library's RastStartDialog (or a stand-in that calls it); `print`
    // receives the progress lines. The session is kept in its journal in the output folder
    // unless `makeStore` gives it another store, made from the record the set-up prepares,
    // or `setUp` sets it up otherwise.
    VerificationSession(StationOptions options, DialogFn dialog, PrintFn print, StoreMaker makeStore = {},
                        SetUpFn setUp = {});
    VerificationSession(const VerificationSession&) = delete;
    VerificationSession& operator=(const VerificationSession&) = delete;

    // Reads and checks every input, the output folder and an earlier session's answers, and
    // takes the output folder for this station; refuses an output that would overwrite an
    // input, and tries the very files the session will write. Throws InputError, with
    // nothing written (the folders are made only to try the files, and removed again when
    // that fails).
    void Prepare();
    // Shows the words still to verify, and frees the output folder once every file is
    // written. Throws SessionFailure when a dialog cannot be shown.
    Summary Run();

    // The session as recorded, once prepared.
    const SessionRecord& Record() const;
    // The caption the dialog of the word with this ordinal shows, alone or on a page of several.
    static std::wstring Caption(int ordinal, int total);
    static std::wstring Caption(int page, int pages, int ordinal, int total);

private:
    StationOptions m_options;
    DialogFn m_dialog;
    PrintFn m_print;
    StoreMaker m_makeStore;
    SetUpFn m_setUp;
    // Made by Prepare; the jobs of the run only read it.
    std::unique_ptr<PreparedSession> m_session;
};
