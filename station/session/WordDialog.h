#pragma once

#include <string>

#include "PageWorker.h"
#include "SessionState.h"
#include "VerifiedWord.h"

// The one dialog call for a word: the word in its line, its size and orientation, the
// caption and the proposed correction shown with RastStartDialog, and the operator's answer
// recorded.
class WordDialog {
public:
    enum class Answer { kOk, kIgnore, kCancel };

    explicit WordDialog(SessionState& state);

    // Shows the word (the `ordinal`-th of `total` on the page at `position`) and fills
    // `record` with the answer. Throws SessionFailure when the dialog cannot be shown.
    Answer Show(size_t position, const PreparedPage& page, const PageWords::Word& word, int ordinal, int total,
                VerifiedWord& record);

    // The caption the dialog of the word with this ordinal shows, alone or on a page of several.
    static std::wstring Caption(int ordinal, int total);
    static std::wstring Caption(int page, int pages, int ordinal, int total);

private:
    SessionState& m_state;
};
