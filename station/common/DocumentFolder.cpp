#include "DocumentFolder.h"

#include "AtomicFile.h"
#include "InputError.h"

DocumentFolder::DocumentFolder(const std::wstring& name)
    : m_folder(RunFolder::StationFolder() + L"\\team-cache", name)
{
}

std::wstring DocumentFolder::Write(const std::wstring& name, const std::string& content) const
{
    std::wstring path;
    std::string error;
    if (!TryWrite(name, content, path, error)) {
        throw InputError(path, "cannot be written: " + error);
    }
    return path;
}

bool DocumentFolder::TryWrite(const std::wstring& name, const std::string& content, std::wstring& path,
                              std::string& error) const
{
    path = Folder() + L"\\" + name;
    return AtomicFile::Write(path, content, error);
}
