#include "SessionOutputCheck.h"

#include <windows.h>

#include <utility>

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
    std::vector<std::wstring> names{L"session.json", L"text.txt", OutputFolderLock::kFileName};
    for (size_t position = 0; position < m_state.plan.pages.size(); ++position) {
        const PlannedPage& planned = m_state.plan.pages[position];
        const bool tsv = planned.NeedsEngine() || !planned.tsv.empty();
        const bool hocr = planned.NeedsEngine() || !planned.hocr.empty();
        const bool xml = !planned.xml.empty();
        if (m_state.options.OnePageForm() && position == 0) {
            // One document for all the frames of the one image.
            for (const auto& [given, name] : {std::pair{tsv, L"verified.tsv"}, std::pair{hocr, L"verified.hocr"},
                                               std::pair{xml, L"verified.xml"}}) {
                if (given) {
                    names.emplace_back(name);
                }
            }
        } else if (!m_state.options.OnePageForm()) {
            const std::vector<std::wstring> documents = m_state.outputs->PageDocumentNames(planned);
            names.insert(names.end(), documents.begin(), documents.end());
            if (planned.NeedsEngine()) {
                names.push_back(L"ocr\\" + planned.stem + L".tsv");
                names.push_back(L"ocr\\" + planned.stem + L".hocr");
            }
        }
        for (const int index : m_state.WordsToVerify(position)) {
            const std::wstring pair =
                L"train\\" + PageOutputs::WordFileName(m_state.Recorded().pages[position].name, index);
            names.push_back(pair + L".png");
            names.push_back(pair + L".gt.txt");
        }
    }
    return names;
}

void SessionOutputCheck::RefuseOutputOverInput() const
{
    OutputClash clash;
    for (const PlannedPage& planned : m_state.plan.pages) {
        for (const std::wstring* input : {&planned.image, &planned.tsv, &planned.hocr, &planned.xml}) {
            clash.AddInput(*input);
        }
    }
    clash.AddInput(m_state.options.answers);
    for (const std::wstring& name : OutputNames()) {
        clash.AddOutputFile(m_state.folder + L"\\" + name);
    }
    // Written and deleted there: the training pairs, and a batch's engine output.
    clash.AddOutputFolder(m_state.folder + L"\\train");
    if (!m_state.options.OnePageForm()) {
        clash.AddOutputFolder(m_state.folder + L"\\ocr");
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
        if (name != OutputFolderLock::kFileName && !AtomicFile::CanWrite(m_state.folder + L"\\" + name, error)) {
            m_state.lock.reset(); // its file goes with it, so that the folders made for this start can go
            RemoveFolders(madeFolders);
            throw InputError(m_state.folder, "the output folder cannot be written: " + WideToUtf8(name) + ": " + error);
        }
    }
}
