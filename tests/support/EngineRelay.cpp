// engine_relay: the build machine's Linux Tesseract, as a Windows program that Wine can wait
// for. Wine starts a Linux program from CreateProcessW but neither waits for it nor reports
// its exit status, so the station's wait on its engine would end at once. This relay takes
// the engine's command line (IMAGE OUTBASE options...), turns the two paths into Unix
// paths, runs the Linux engine through /bin/sh, waits for the line in which the shell reports
// the engine's exit status, and exits with that status. It is the engine the tests, the demo
// and the benchmarks give the station with --tesseract; on Windows the station runs
// tesseract.exe itself.
//
// What the shell does besides: it runs the engine at the lowest Linux priority (nice 19) when
// the relay was started below normal priority. Wine does not map Windows priority classes
// onto Linux ones, and Windows schedules strictly by priority (a thread below normal runs
// only when no normal one is ready), which nice 19 comes closest to; nice 10 still takes a
// tenth of a busy core. And it ends the engine when the relay's marker file disappears: the
// station ends the relay (cancel, time limit, exit), and the Linux engine would otherwise
// run on.
//
// A test that acts while a station's engine is about to run names a file in the variable
// TARSIL_ENGINE_RELAY_GATE: the relay then makes FILE.waiting and runs the engine only once
// FILE exists.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "JobProcess.h"

namespace {

using UnixPathFn = char*(CDECL*)(const wchar_t*);

std::string UnixPath(const std::wstring& path)
{
    static const auto convert = reinterpret_cast<UnixPathFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr) {
        return {};
    }
    char* unix = convert(path.c_str());
    if (unix == nullptr) {
        return {};
    }
    std::string result = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

// The output base names a file that does not exist yet: its folder is converted.
std::string UnixOutputBase(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return std::string(path.begin(), path.end());
    }
    const std::string folder = UnixPath(path.substr(0, slash + 1));
    const std::wstring name = path.substr(slash + 1);
    return folder.empty() ? std::string() : folder + (folder.back() == '/' ? "" : "/") + std::string(name.begin(), name.end());
}

std::wstring Wide(const std::string& utf8)
{
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

// Wine hands a Linux program neither pipes nor a process to wait for, so the shell and the
// relay speak through files: the engine's output goes to a log, its status to a file that
// appears whole (renamed into place), and the engine is ended when the relay's marker file
// disappears, which the system does when the relay's handle to it closes, however the relay
// ends.
const wchar_t kScript[] = L"alive=$1; status=$2; log=$3; shift 3\n"
                          L"\"$@\" </dev/null >\"$log\" 2>&1 & engine=$!\n"
                          L"( while [ -e \"$alive\" ]; do sleep 0.2; done; kill $engine ) >/dev/null 2>&1 &\n"
                          L"watcher=$!\n"
                          L"wait $engine; code=$?\n"
                          L"kill $watcher 2>/dev/null\n"
                          L"echo $code >\"$status.partial\" && mv \"$status.partial\" \"$status\"\n";

std::string ReadAll(const std::wstring& path)
{
    std::string content;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file != nullptr) {
        char chunk[4096];
        size_t read = 0;
        while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            content.append(chunk, read);
        }
        std::fclose(file);
    }
    return content;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // The station asks the engine for its models with --list-langs alone.
    const bool listing = argc == 2 && std::wstring(argv[1]) == L"--list-langs";
    if (argc < 3 && !listing) {
        std::fputs("usage: engine_relay (IMAGE OUTBASE [tesseract options...] | --list-langs)\n", stderr);
        return 2;
    }
    const std::string image = listing ? std::string("--list-langs") : UnixPath(argv[1]);
    const std::string base = listing ? std::string() : UnixOutputBase(argv[2]);
    if (image.empty() || (base.empty() && !listing) || UnixPath(L"C:\\").empty()) {
        std::fputs("engine_relay: runs under Wine only (no wine_get_unix_file_name)\n", stderr);
        return 2;
    }
    wchar_t gate[MAX_PATH] = {};
    const DWORD gated = ::GetEnvironmentVariableW(L"TARSIL_ENGINE_RELAY_GATE", gate, MAX_PATH);
    if (gated > 0 && gated < MAX_PATH) {
        HANDLE waiting = ::CreateFileW((std::wstring(gate) + L".waiting").c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (waiting != INVALID_HANDLE_VALUE) {
            ::CloseHandle(waiting);
        }
        while (::GetFileAttributesW(gate) == INVALID_FILE_ATTRIBUTES) {
            ::Sleep(50); // the station's time limit for its engine ends the wait
        }
    }
    wchar_t temporary[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temporary);
    const std::wstring stem = std::wstring(temporary) + L"engine-relay-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring alive = stem + L".alive";
    const std::wstring status = stem + L".status";
    const std::wstring log = stem + L".log";
    HANDLE marker = ::CreateFileW(alive.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (marker == INVALID_HANDLE_VALUE) {
        std::fputs("engine_relay: no marker file\n", stderr);
        return 2;
    }
    ::DeleteFileW(status.c_str());

    std::wstring commandLine = L"/bin/sh -c " + JobProcess::Quoted(kScript) + L" engine_relay";
    for (const std::string& path : {UnixPath(alive), UnixOutputBase(status), UnixOutputBase(log)}) {
        commandLine += L" " + JobProcess::Quoted(Wide(path));
    }
    const DWORD priority = ::GetPriorityClass(::GetCurrentProcess());
    if (priority == IDLE_PRIORITY_CLASS || priority == BELOW_NORMAL_PRIORITY_CLASS) {
        commandLine += L" /usr/bin/nice -n 19";
    }
    for (const std::string& argument : {std::string(TARSIL_UNIX_TESSERACT), image, base}) {
        if (!argument.empty()) {
            commandLine += L" " + JobProcess::Quoted(Wide(argument));
        }
    }
    for (int i = listing ? argc : 3; i < argc; ++i) {
        commandLine += L" " + JobProcess::Quoted(argv[i]);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(L"Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        std::fprintf(stderr, "engine_relay: /bin/sh could not be started (error %lu)\n", ::GetLastError());
        return 2;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    // No time limit of its own: the station that started the relay has one, and ends it.
    while (::GetFileAttributesW(status.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ::Sleep(50);
    }
    const std::string output = ReadAll(log);
    std::fwrite(output.data(), 1, output.size(), stderr);
    const int code = std::atoi(ReadAll(status).c_str());
    ::DeleteFileW(status.c_str());
    ::DeleteFileW(log.c_str());
    ::CloseHandle(marker);
    return code;
}
