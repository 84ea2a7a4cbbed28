#pragma once

#include <string>
#include <vector>

#include "BatchPlan.h"
#include "PageWords.h"
#include "SessionRecord.h"

struct PreparedPage;

// What a page gives: its training pairs, and in a batch its verified TSV and its text, named
// after the page so that pages do not collide; and what the session gives as a whole: the
// text of every page. The one-page form keeps its own names: verified.tsv, text.txt and
// train/NNNN.
class PageOutputs {
public:
    PageOutputs(std::wstring folder, bool onePageForm);

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

    // A batch page's verified documents and text, by their names in the output folder (none
    // in the one-page form, whose documents are the session's).
    std::vector<std::wstring> PageDocumentNames(const PlannedPage& planned) const;
    // The name of a word's files (training pair, screenshot), without extension.
    static std::wstring WordFileName(const std::string& pageName, int index);
    // The page's text, one line per recognised line, with the operator's corrections.
    static std::string Text(const PageWords& words, const std::vector<VerifiedWord>& journalWords);
    // Writes a file of the output folder whole; throws SessionFailure when it cannot.
    void Write(const std::wstring& name, const std::string& content) const;

private:
    std::wstring m_folder;
    bool m_onePageForm;
};
