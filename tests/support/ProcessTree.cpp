// A test helper: a chain of processes, each run through ChildProcess by the one before it,
// the last of which never ends. Each writes its process id to FOLDER\DEPTH.pid first.
// Usage: process_tree DEPTH FOLDER

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "ChildProcess.h"

namespace {

bool WriteProcessId(const std::wstring& folder, int depth)
{
    // Written whole under another name, then renamed: a reader never sees half of it.
    const std::wstring path = folder + L"\\" + std::to_wstring(depth) + L".pid";
    const std::wstring partial = path + L".partial";
    FILE* file = _wfopen(partial.c_str(), L"w");
    if (file == nullptr) {
        return false;
    }
    std::fprintf(file, "%lu", ::GetCurrentProcessId());
    std::fclose(file);
    return ::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        if (argc != 3) {
            return 2;
        }
        const int depth = std::wcstol(argv[1], nullptr, 10);
        const std::wstring folder = argv[2];
        if (!WriteProcessId(folder, depth)) {
            return 1;
        }
        if (depth <= 0) {
            ::Sleep(INFINITE);
        }
        ChildProcess::Run(L"process_tree.exe", std::to_wstring(depth - 1) + L" \"" + folder + L"\"", INFINITE);
        return 0;
    } catch (...) {
        return 1;
    }
}
