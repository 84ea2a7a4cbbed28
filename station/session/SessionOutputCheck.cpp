#include "SessionOutputCheck.h"

#include <windows.h>

#include "AtomicFile.h"
#include "InputError.h"
#include "OutputClash.h"
#include "Utf8.h"

SessionOutputCheck::SessionOutputCheck(const StationOptions& options, const PreparedSession& session,
                                       const SessionRecord& record)
    : m_options(options)
    , m_session(session)
    , m_record(record)
{
}

std::vector<int> SessionOutputCheck::WordsToVerify(size_t position) const
{
    std::vector<int> indices;
    const PlannedPage& planned = m_session.plan.pages[position];
    if (planned.ocr) {
        const PageWords words = planned.ocr->Words(planned.ocrPage);
        if (m_session.auditPercent > 0) {
            // The audit may draw any word the rule leaves.
            for (const PageWords::Word& word : words.Words()) {
                indices.push_back(word.index);
            }
            return indices;
        }
        for (const SelectedWord& chosen : m_session.Selection()->Choose(words, nullptr)) {
            indices.push_back(chosen.word->index);
        }
    }
    return indices;
}

void SessionOutputCheck::RemoveFolders(const std::vector<std::wstring>& made)
{
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
        ::RemoveDirectoryW(folder->c_str());
    }
}

std::vector<std::wstring> SessionOutputCheck::OutputNames() const
{
    const OutputLayout& layout = m_session.outputs->Layout();
    std::vector<std::wstring> names{OutputLayout::kJournal, OutputLayout::kText, OutputFolderLock::kFileName};
    auto add = [&names](const std::vector<std::wstring>& more) { names.insert(names.end(), more.begin(), more.end()); };
    for (size_t position = 0; position < m_session.plan.pages.size(); ++position) {
        const PlannedPage& planned = m_session.plan.pages[position];
        if (layout.OnePageForm() && position == 0) {
            add(OutputLayout::SessionDocumentNames(planned));
        } else if (!layout.OnePageForm()) {
            add(layout.PageDocumentNames(planned));
            if (planned.NeedsEngine()) {
                for (const wchar_t* extension : OutputLayout::EngineOutputExtensions()) {
                    names.push_back(OutputLayout::EngineOutput(planned.stem, extension));
                }
            }
        }
        for (const int index : WordsToVerify(position)) {
            add(OutputLayout::TrainingPair(m_record.pages[position].name, index));
        }
    }
    return names;
}

void SessionOutputCheck::RefuseOutputOverInput() const
{
    OutputClash clash;
    for (const PlannedPage& planned : m_session.plan.pages) {
        for (const std::wstring& input : planned.InputFiles()) {
            clash.AddInput(input);
        }
    }
    clash.AddInput(m_options.answers);
    const OutputLayout& layout = m_session.outputs->Layout();
    for (const std::wstring& name : OutputNames()) {
        clash.AddOutputFile(layout.Path(name));
    }
    // Written and deleted there: the training pairs, and a batch's engine output.
    clash.AddOutputFolder(layout.Path(OutputLayout::kTrainFolder));
    if (!m_options.OnePageForm()) {
        clash.AddOutputFolder(layout.Path(OutputLayout::kOcrFolder));
    }
    if (!m_options.screenshots.empty()) {
        for (size_t position = 0; position < m_session.plan.pages.size(); ++position) {
            for (const int index : WordsToVerify(position)) {
                clash.AddOutputFile(OutputLayout::Screenshot(m_options.screenshots, m_record.pages[position].name, index));
            }
        }
    }
    std::wstring input;
    std::wstring output;
    if (clash.Find(input, output)) {
        throw InputError(input, "is an input, and the session would overwrite it as " + WideToUtf8(output) +
                                    ": give the session's outputs another folder");
    }
}

void SessionOutputCheck::CheckOutputsCanBeWritten(const std::vector<std::wstring>& madeFolders,
                                                  std::unique_ptr<OutputFolderLock>& lock) const
{
    const OutputLayout& layout = m_session.outputs->Layout();
    // The very files the session writes, tried before the first dialog rather than after
    // the first answer.
    for (const std::wstring& name : OutputNames()) {
        std::string error;
        if (name != OutputFolderLock::kFileName && !AtomicFile::CanWrite(layout.Path(name), error)) {
            lock.reset(); // its file goes with it, so that the folders made for this start can go
            RemoveFolders(madeFolders);
            throw InputError(layout.Folder(), "the output folder cannot be written: " + WideToUtf8(name) + ": " + error);
        }
    }
}
