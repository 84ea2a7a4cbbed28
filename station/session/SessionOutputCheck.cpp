#include "SessionOutputCheck.h"

#include <windows.h>

#include "AtomicFile.h"
#include "InputError.h"
#include "OutputClash.h"
#include "Utf8.h"

SessionOutputCheck::SessionOutputCheck(SessionState& state)
    : m_state(state)
{
}

void SessionOutputCheck::RemoveFolders(const std::vector<std::wstring>& made)
{
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
        ::RemoveDirectoryW(folder->c_str());
    }
}

std::vector<std::wstring> SessionOutputCheck::OutputNames() const
{
    const OutputLayout& layout = m_state.outputs->Layout();
    std::vector<std::wstring> names{OutputLayout::kJournal, OutputLayout::kText, OutputFolderLock::kFileName};
    auto add = [&names](const std::vector<std::wstring>& more) { names.insert(names.end(), more.begin(), more.end()); };
    for (size_t position = 0; position < m_state.plan.pages.size(); ++position) {
        const PlannedPage& planned = m_state.plan.pages[position];
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
        for (const int index : m_state.WordsToVerify(position)) {
            add(OutputLayout::TrainingPair(m_state.Recorded().pages[position].name, index));
        }
    }
    return names;
}

void SessionOutputCheck::RefuseOutputOverInput() const
{
    OutputClash clash;
    for (const PlannedPage& planned : m_state.plan.pages) {
        for (const std::wstring& input : planned.InputFiles()) {
            clash.AddInput(input);
        }
    }
    clash.AddInput(m_state.options.answers);
    for (const std::wstring& name : OutputNames()) {
        clash.AddOutputFile(m_state.outputs->Layout().Path(name));
    }
    // Written and deleted there: the training pairs, and a batch's engine output.
    clash.AddOutputFolder(m_state.outputs->Layout().Path(OutputLayout::kTrainFolder));
    if (!m_state.options.OnePageForm()) {
        clash.AddOutputFolder(m_state.outputs->Layout().Path(OutputLayout::kOcrFolder));
    }
    if (!m_state.options.screenshots.empty()) {
        for (size_t position = 0; position < m_state.plan.pages.size(); ++position) {
            for (const int index : m_state.WordsToVerify(position)) {
                clash.AddOutputFile(m_state.ScreenshotPath(position, index));
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

void SessionOutputCheck::CheckOutputsCanBeWritten(const std::vector<std::wstring>& madeFolders)
{
    // The very files the session writes, tried before the first dialog rather than after
    // the first answer.
    for (const std::wstring& name : OutputNames()) {
        std::string error;
        if (name != OutputFolderLock::kFileName && !AtomicFile::CanWrite(m_state.outputs->Layout().Path(name), error)) {
            m_state.lock.reset(); // its file goes with it, so that the folders made for this start can go
            RemoveFolders(madeFolders);
            throw InputError(m_state.folder, "the output folder cannot be written: " + WideToUtf8(name) + ": " + error);
        }
    }
}
