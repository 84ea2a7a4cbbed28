// A test's child processes end with their time limit, or with the test process that ran
// them, together with everything they started.

#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <string>

#include "station/ScratchFolder.h"
#include "support/ChildProcess.h"

namespace {

// In a folder whose name holds a space, as a checkout's path may.
const wchar_t kTreeProgram[] = L"process tree\\process_tree.exe";
const int kTreeDepth = 2; // three processes

std::wstring TreeArguments(const ScratchFolder& folder)
{
    return std::to_wstring(kTreeDepth) + L" \"" + folder.Path() + L"\"";
}

// How many processes of the helper's tree are running.
int TreeProcessesRunning()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int running = 0;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        running += ::_wcsicmp(entry.szExeFile, L"process_tree.exe") == 0 ? 1 : 0;
    }
    ::CloseHandle(snapshot);
    return running;
}

// Waits until none of the tree's processes runs; false when some still do after `ms`.
bool TreeEndsWithin(DWORD ms)
{
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    while (TreeProcessesRunning() != 0) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        ::Sleep(50);
    }
    return true;
}

bool EveryProcessStarted(const ScratchFolder& folder)
{
    for (int depth = 0; depth <= kTreeDepth; ++depth) {
        if (::GetFileAttributesW((folder / (std::to_wstring(depth) + L".pid")).c_str()) == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(ChildProcess, AChildPastItsTimeLimitEndsWithEverythingItStarted)
{
    ASSERT_EQ(TreeProcessesRunning(), 0);
    ScratchFolder folder;
    const ChildProcess run = ChildProcess::Run(kTreeProgram, TreeArguments(folder), 6000);
    EXPECT_TRUE(run.timedOut) << run.output;
    ASSERT_TRUE(EveryProcessStarted(folder)) << "the tree did not grow within the time limit";
    EXPECT_TRUE(TreeEndsWithin(5000)) << TreeProcessesRunning() << " of the tree's processes still run";
}

TEST(ChildProcess, ChildrenEndWithTheProcessThatRanThem)
{
    // The tree's first process, started without a job, runs the others through ChildProcess;
    // it is then ended as a test killed for its time limit is.
    ASSERT_EQ(TreeProcessesRunning(), 0);
    ScratchFolder folder;
    std::wstring commandLine = L"\"" + ChildProcess::ProgramFolder() + kTreeProgram + L"\" " + TreeArguments(folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION first{};
    ASSERT_TRUE(::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &first));
    const ULONGLONG deadline = ::GetTickCount64() + 30000;
    while (!EveryProcessStarted(folder) && ::GetTickCount64() < deadline) {
        ::Sleep(50);
    }
    const bool grown = EveryProcessStarted(folder);
    ::TerminateProcess(first.hProcess, 1);
    ::CloseHandle(first.hProcess);
    ::CloseHandle(first.hThread);
    ASSERT_TRUE(grown) << "the tree did not grow within 30 s";
    EXPECT_TRUE(TreeEndsWithin(5000)) << TreeProcessesRunning() << " of the tree's processes still run";
}
