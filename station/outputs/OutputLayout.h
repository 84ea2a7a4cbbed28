#pragma once

#include <string>
#include <vector>

#include "BatchPlan.h"

// Which file of the output folder a session, a page or a word gets. Names are relative to
// the folder ("pages\0003-scan.tsv"); Path makes them full. A batch names each page's files
// after the page (its stem) so that pages do not collide; the one-page form keeps its own
// names: verified.tsv (.hocr, .xml), text.txt and train\NNNN. A verified document's name ends
// in its format's suffix (OcrDocument::Suffix).
class OutputLayout {
public:
    OutputLayout(std::wstring folder, bool onePageForm);

    const std::wstring& Folder() const { return m_folder; }
    bool OnePageForm() const { return m_onePageForm; }
    std::wstring Path(const std::wstring& name) const;

    // The session's journal, and the text of every page.
    static constexpr const wchar_t* kJournal = L"session.json";
    static constexpr const wchar_t* kText = L"text.txt";
    // The folders of the training pairs, of a batch's verified pages, and of the engine's
    // output for a batch's pages that had none.
    static constexpr const wchar_t* kTrainFolder = L"train";
    static constexpr const wchar_t* kPagesFolder = L"pages";
    static constexpr const wchar_t* kOcrFolder = L"ocr";
    // The folders the session writes in: train, and in a batch pages and ocr.
    std::vector<std::wstring> Folders() const;

    // The journal's name of a page: its stem in a batch, none in the one-page form.
    std::string PageName(const PlannedPage& planned) const;
    // The name of a word's files (training pair, screenshot), without extension.
    static std::wstring WordFileName(const std::string& pageName, int index);
    // A word's training pair: its picture and its text.
    static std::vector<std::wstring> TrainingPair(const std::string& pageName, int index);
    // A word's screenshot in the folder given with --screenshots.
    static std::wstring Screenshot(const std::wstring& folder, const std::string& pageName, int index);

    // A batch page's verified document or text (extension: a document's suffix, or ".txt").
    static std::wstring PageDocument(const std::wstring& stem, const wchar_t* extension);
    // A batch page's verified documents and text (none in the one-page form, whose documents
    // are the session's).
    std::vector<std::wstring> PageDocumentNames(const PlannedPage& planned) const;
    // The one-page form's verified document of a suffix ("verified.tsv"), and all of them, one
    // for each document its page has.
    static std::wstring SessionDocument(const wchar_t* suffix);
    static std::vector<std::wstring> SessionDocumentNames(const PlannedPage& planned);

    // The engine's output for a batch page: "ocr\STEM" and an extension (".tsv", ".hocr").
    static std::wstring EngineOutput(const std::wstring& stem, const wchar_t* extension);
    // Every name a page of this name may have in each folder, for --restart to remove:
    // the extensions of the documents in pages, and of the engine's output in ocr.
    static const std::vector<const wchar_t*>& PageDocumentExtensions();
    static const std::vector<const wchar_t*>& EngineOutputExtensions();

private:
    // The suffixes of a page's documents: those it was given, else the engine's output's.
    static std::vector<const wchar_t*> DocumentSuffixes(const PlannedPage& planned);

    std::wstring m_folder;
    bool m_onePageForm;
};
