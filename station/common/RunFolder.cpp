#include "RunFolder.h"

#include <knownfolders.h>
#include <shlobj.h>

#include "InputError.h"

namespace {

constexpr wchar_t kMarker[] = L"\\in-use";

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

// Removes the folders of `parent` whose run is gone: their marker is deleted at once (or
// they never got one), where a live run's marker refuses to go.
void RemoveAbandoned(const std::wstring& parent)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((parent + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || name == L"." || name == L"..") {
            continue;
        }
        const std::wstring folder = parent + L"\\" + name;
        if (::DeleteFileW((folder + kMarker).c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND) {
            RemoveTree(folder);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

} // namespace

std::wstring RunFolder::StationFolder()
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

RunFolder::RunFolder(const std::wstring& parent, const std::wstring& name)
    : m_path(parent + L"\\" + name)
{
    ::CreateDirectoryW(parent.c_str(), nullptr);
    RemoveAbandoned(parent);
    // Another run that sweeps between the folder's making and its marker's removes the
    // folder: made again then.
    for (int attempt = 0; attempt < 3 && !m_marker; ++attempt) {
        if (!::CreateDirectoryW(m_path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
        const HANDLE marker = ::CreateFileW((m_path + kMarker).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (marker != INVALID_HANDLE_VALUE) {
            m_marker.reset(marker);
        }
    }
    if (!m_marker) {
        throw InputError(m_path, "cannot be made (error " + std::to_string(::GetLastError()) + ")");
    }
}

RunFolder::~RunFolder()
{
    m_marker.reset();
    RemoveTree(m_path);
}
