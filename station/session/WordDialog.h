#pragma once

#include <string>

#include <functional>

#include "PageWorker.h"
#include "PreparedSession.h"
#include "StationOptions.h"
#include "TarsilDlg29.h"
#include "VerifiedWord.h"

// The one dialog call for a word: the word in its line, its size and orientation, the
// caption and the proposed correction shown with RastStartDialog, and the operator's answer
// recorded.
class WordDialog {
public:
    enum class Answer { kOk, kIgnore, kCancel };

    using PrintFn = std::function<void(const std::string&)>;

    WordDialog(const StationOptions& options, const PreparedSession& session, RastStartDialogFn dialog,
               PrintFn print);

    // Shows the word (the `ordinal`-th of `total` on the page at `position`), its text field
    // opening with `proposed` when there is one, and fills `record` with the answer. Throws
    // SessionFailure when the dialog cannot be shown.
    Answer Show(size_t position, const PreparedPage& page, const PageWords::Word& word, int ordinal, int total,
                const std::string& proposed, VerifiedWord& record) const;

    // The caption the dialog of the word with this ordinal shows, alone or on a page of several.
    static std::wstring Caption(int ordinal, int total);
    static std::wstring Caption(int page, int pages, int ordinal, int total);

private:
    const StationOptions& m_options;
    const PreparedSession& m_session;
    RastStartDialogFn m_dialog;
    PrintFn m_print;
};
