#include "TeamCache.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "AtomicFile.h"
#include "InputError.h"
#include "Utf8.h"

namespace {

// Removes the folder and everything in it, as far as it can: what is left is a few files in
// the user's own folder.
void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + L"\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(path);
            } else {
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace

std::wstring TeamCache::StationFolder()
{
    std::wstring base;
    PWSTR known = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &known))) {
        base = known;
    }
    ::CoTaskMemFree(known);
    if (base.empty()) {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
        base.assign(temp, length > MAX_PATH ? 0 : length);
    }
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) {
        base.pop_back();
    }
    std::wstring folder = base + L"\\TarsilVerify";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

TeamCache::TeamCache(const std::string& instance)
{
    const std::wstring caches = StationFolder() + L"\\team-cache";
    ::CreateDirectoryW(caches.c_str(), nullptr);
    std::wstring name;
    Utf8ToWide(instance, name);
    m_folder = caches + L"\\" + name;
    if (!::CreateDirectoryW(m_folder.c_str(), nullptr)) {
        throw InputError(m_folder, "cannot be made (error " + std::to_string(::GetLastError()) + ")");
    }
}

TeamCache::~TeamCache()
{
    RemoveTree(m_folder);
}

std::wstring TeamCache::Write(const std::wstring& name, const std::string& content) const
{
    std::wstring path = m_folder + L"\\" + name;
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
