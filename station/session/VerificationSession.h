#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "BatchPlan.h"
#include "CorrectionProposals.h"
#include "OutputFolderLock.h"
#include "PageOutputs.h"
#include "SessionFailure.h"
#include "SessionJournal.h"
#include "StationOptions.h"
#include "TarsilDlg29.h"
#include "TesseractEngine.h"
#include "TypedAnswers.h"

struct PreparedPage;
class PageWorker;

// A session: the pages of a batch (or the one page of the one-page form) verified word by
// word. The words the recogniser is unsure of are shown one RastStartDialog call each, page
// by page in reading order, while a worker prepares the next pages. Every answer goes into
// the session's journal (session.json) at once; a page's other files (the verified TSV, hOCR,
// ALTO or PAGE document, the text and the training pairs) are written by the worker when the
// page is finished or the run ends, and the page is "done" only once they are, so one file per
// answer is all the operator waits for.
class VerificationSession {
public:
    using DialogFn = RastStartDialogFn;
    using PrintFn = std::function<void(const std::string&)>;

    struct Summary {
        int toVerify = 0; // words below the threshold, skipped ones included
        int ok = 0;
        int corrected = 0;
        int forTraining = 0;
        int ignored = 0;
        int skipped = 0;
        int earlier = 0; // answered in an earlier run
        bool cancelled = false;
        int pages = 0;
        int pagesFailed = 0; // in this run, those prepared ahead of the operator included
        int pagesUnwritten = 0; // in this run: pages whose files could not be written
    };

    // `dialog` is the library's RastStartDialog (or a stand-in that calls it); `print`
    // receives the progress lines.
    VerificationSession(StationOptions options, DialogFn dialog, PrintFn print);
    ~VerificationSession();

    // Reads and checks every input, the output folder and an earlier session's answers, and
    // takes the output folder for this station; refuses an output that would overwrite an
    // input, and tries the very files the session will write. Throws InputError, with
    // nothing written (the folders are made only to try the files, and removed again when
    // that fails).
    void Prepare();
    // Shows the words still to verify, and frees the output folder once every file is
    // written. Throws SessionFailure when a dialog cannot be shown.
    Summary Run();

    const SessionJournal& Journal() const { return m_journal; }
    // The caption the dialog of the word with this ordinal shows, alone or on a page of several.
    static std::wstring Caption(int ordinal, int total);
    static std::wstring Caption(int page, int pages, int ordinal, int total);

private:
    enum class Answer { kOk, kIgnore, kCancel };

    void ResumeFrom(const SessionJournal& earlier, const std::wstring& journalPath);
    void RefuseOutputOverInput() const;
    void CheckOutputsCanBeWritten(const std::vector<std::wstring>& madeFolders);
    // The files the session will write that can be named before the first dialog (a page
    // the engine has yet to read has no words yet), by their names in the output folder.
    std::vector<std::wstring> OutputNames() const;
    // The indices of the words of a page, when they are known, that it may show.
    std::vector<int> WordsToVerify(size_t position) const;
    std::wstring ScreenshotPath(size_t position, int index) const;
    void NoteRecognitions(PageWorker& worker);
    // Marks done the finished pages whose files the worker has written; reports those it
    // could not write.
    void NoteWrittenPages(PageWorker& worker, std::set<size_t>& finishing, Summary& summary);
    // A page the journal calls done whose files are not all there is finished again.
    void ReopenPagesWithoutFiles();
    // "page 3 of 40 (scan.tif)", for the console.
    std::string PageLine(size_t position) const;
    bool VerifyPage(size_t position, const PreparedPage& page, Summary& summary);
    std::string SkipReason(const PreparedPage& page, const PageWords::Word& word) const;
    void ForgetForeignAnswers(const PreparedPage& page, std::vector<VerifiedWord>& answers) const;
    Answer Show(size_t position, const PreparedPage& page, const PageWords::Word& word, int ordinal, int total,
                VerifiedWord& record);
    void Record(std::vector<VerifiedWord>& words, const PageWords& order, const VerifiedWord& record);
    void PostOutputs(PageWorker& worker, size_t position, const std::shared_ptr<PreparedPage>& page);
    void WriteJournal();
    std::string Progress(int ordinal, int total, const VerifiedWord& record) const;
    void PrintSummary(const Summary& summary);

    StationOptions m_options;
    DialogFn m_dialog;
    PrintFn m_print;
    std::wstring m_folder;
    BatchPlan m_plan;
    SessionJournal m_journal;
    std::unique_ptr<OutputFolderLock> m_lock;
    std::shared_ptr<const TesseractEngine> m_engine;
    std::map<size_t, std::pair<std::wstring, std::wstring>> m_recognised; // kept engine output, by page
    std::vector<std::string> m_resumeNotes; // what a resumed session does otherwise than asked
    std::unique_ptr<PageOutputs> m_outputs;
    TypedAnswers m_answers;
    CorrectionProposals m_proposals;
};
