#include "TeamCache.h"

#include "AtomicFile.h"
#include "InputError.h"
#include "Utf8.h"

namespace {

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide;
    Utf8ToWide(utf8, wide);
    return wide;
}

} // namespace

TeamCache::TeamCache(const std::string& instance)
    : m_folder(StationFolder() + L"\\team-cache", Wide(instance))
{
}

std::wstring TeamCache::Write(const std::wstring& name, const std::string& content) const
{
    std::wstring path = Folder() + L"\\" + name;
    std::string error;
    if (!AtomicFile::Write(path, content, error)) {
        throw InputError(path, "cannot be written: " + error);
    }
    return path;
}

StoredFile TeamCache::WriteDocument(const std::string& pageName, const TeamDocument& document) const
{
    std::wstring name;
    Utf8ToWide(pageName + "." + document.kind, name);
    return {WideToUtf8(Write(name, document.content)), document.sha256};
}
