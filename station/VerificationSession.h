#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "HocrDocument.h"
#include "LayoutDocument.h"
#include "PageImage.h"
#include "PageWords.h"
#include "SessionJournal.h"
#include "StationOptions.h"
#include "TarsilDlg29.h"
#include "TsvDocument.h"
#include "TypedAnswers.h"

// The dialog could not be shown (the library refused the call or the platform failed);
// every answer until then is written.
class SessionFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One page verified word by word: the words the recogniser is unsure of are shown one
// RastStartDialog call each, in reading order. Every answer goes into the session's journal
// (session.json) at once; the verified documents, the text and the training pairs are made
// from the journal at the end of every run, so one file per answer is all the operator
// waits for.
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
    };

    // `dialog` is the library's RastStartDialog (or a stand-in that calls it); `print`
    // receives the progress lines.
    VerificationSession(StationOptions options, DialogFn dialog, PrintFn print);

    // Reads and checks every input, the output folder and an earlier session's answers;
    // refuses an output that would overwrite an input, and tries the very files the session
    // will write. Throws InputError, with nothing written (the output folder is made only to
    // try the files, and removed again when that fails).
    void Prepare();
    // Shows the words still to verify. Throws SessionFailure when a dialog cannot be shown.
    Summary Run();

    const SessionJournal& Journal() const { return m_journal; }
    // The caption the dialog of the word with this ordinal shows.
    static std::wstring Caption(int ordinal, int total);

private:
    enum class Answer { kOk, kIgnore, kCancel };

    std::string SkipReason(const PageWords::Word& word) const;
    Answer Show(const PageWords::Word& word, int ordinal, int total, VerifiedWord& record);
    void WriteTrainingPair(const VerifiedWord& record);
    void WriteOutputs();
    void Write(const std::wstring& name, const std::string& content);
    void ReadRecognition();
    void ForgetEarlierSession(const std::wstring& journalPath);
    void RefuseOutputOverInput() const;
    void CheckOutputsCanBeWritten();
    // The files of the folder the session writes, training pairs aside.
    std::vector<std::wstring> DocumentNames() const;
    std::wstring ScreenshotPath(int index) const;
    void Record(const VerifiedWord& record);
    std::string Progress(int ordinal, int total, const VerifiedWord& record) const;

    StationOptions m_options;
    DialogFn m_dialog;
    PrintFn m_print;
    std::wstring m_folder;
    PageImage m_page;
    std::unique_ptr<TsvDocument> m_tsv;
    std::unique_ptr<HocrDocument> m_hocr;
    std::unique_ptr<LayoutDocument> m_layout; // ALTO or PAGE XML
    TypedAnswers m_answers;
    PageWords m_words;
    SessionJournal m_journal;
};
