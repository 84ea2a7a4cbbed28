#include "TemporaryFiles.h"

#include <windows.h>

#include "AtomicFile.h"
#include "InputError.h"
#include "SessionFailure.h"
#include "Utf8.h"

namespace {

// Named after the process and the moment: a second export at the same moment gets a folder
// of its own.
std::wstring FolderName()
{
    return L"export-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64());
}

} // namespace

TemporaryFiles::TemporaryFiles()
try : m_folder(RunFolder::StationFolder() + L"\\team-cache", FolderName()) {
} catch (const InputError& error) {
    throw SessionFailure(std::string("cannot make a folder for the export's documents: ") + error.what());
}

std::wstring TemporaryFiles::Add(const std::string& content)
{
    std::wstring path = m_folder.Path() + L"\\document" + std::to_wstring(++m_files);
    std::string error;
    if (!AtomicFile::Write(path, content, error)) {
        throw SessionFailure("cannot write " + WideToUtf8(path) + ": " + error);
    }
    return path;
}
