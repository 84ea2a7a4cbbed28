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

// The type of a function called as RastStartDialog is, whether or not it is noexcept as the
// library's own is: tests and benchmarks stand in their own.
template <typename Function>
struct CalledLike;
template <typename Result, typename... Arguments>
struct CalledLike<Result(WINAPI*)(Arguments...) noexcept> {
    using type = Result(WINAPI*)(Arguments...);
};

// One page verified word by word: the words the recogniser is unsure of are shown one
// RastStartDialog call each, in reading order. Every answer goes into the session's journal
// (session.json) at once; the verified documents, the text and the training pairs are made
// from the journal at the end of every run, so one file per answer is all the operator
// waits for.
class VerificationSession {
public:
    using DialogFn = CalledLike<decltype(&RastStartDialog)>::type;
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

    // Reads and checks every input, the output folder and an earlier session's answers.
    // Throws InputError; writes nothing but a check that the folder can be written.
    void Prepare();
    // Shows the words still to verify. Throws SessionFailure when a dialog cannot be shown.
    Summary Run();

    const PageImage& Page() const { return m_page; }
    const PageWords& Words() const { return m_words; }
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
