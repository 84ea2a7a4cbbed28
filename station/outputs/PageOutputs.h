#pragma once

#include <string>
#include <vector>

#include "BatchPlan.h"
#include "OutputLayout.h"
#include "PageWords.h"
#include "PreparedPage.h"
#include "SessionRecord.h"

// What a page gives: its training pairs, and in a batch its verified documents and its text;
// and what the session gives as a whole: the text of every page, and in the one-page form its
// verified documents. Their names are the layout's (OutputLayout).
class PageOutputs {
public:
    explicit PageOutputs(OutputLayout layout);

    // The page's files; throws SessionFailure when one cannot be written.
    void WritePage(const PlannedPage& planned, const PreparedPage& page, const std::vector<VerifiedWord>& words) const;
    // True when every file WritePage writes for these answers is there.
    bool HasPageFiles(const PlannedPage& planned, const std::vector<VerifiedWord>& words) const;
    // The session's files once its pages' are written: text.txt (and verified.tsv in the
    // one-page form).
    void WriteSession(const std::vector<PlannedPage>& pages, const SessionRecord& session) const;
    // Removes the files of an earlier session's pages (--restart): those of its names that
    // the output folder's train, pages and ocr folders hold, and its journal.
    void Forget(const SessionRecord& earlier) const;

    const OutputLayout& Layout() const { return m_layout; }
    // The page's text, one line per recognised line, with the operator's corrections.
    static std::string Text(const PageWords& words, const std::vector<VerifiedWord>& journalWords);
    // Writes a file of the output folder whole; throws SessionFailure when it cannot.
    void Write(const std::wstring& name, const std::string& content) const;

private:
    OutputLayout m_layout;
};
