// The stack protection that the library carries.

#include <gtest/gtest.h>

#include <set>

#include "support/ChildProcess.h"

TEST(StackGuard, OverrunStackEndsTheProcessAtOnce)
{
    const ChildProcess run = ChildProcess::Run(L"stack_smash.exe", L"smash");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN));
    EXPECT_EQ(run.output.find("returned"), std::string::npos) << run.output;
}

TEST(StackGuard, GuardDiffersFromRunToRun)
{
    std::set<std::string> guards;
    for (int run = 0; run < 4; ++run) {
        const ChildProcess child = ChildProcess::Run(L"stack_smash.exe", L"guard");
        ASSERT_EQ(child.exitCode, 0u);
        guards.insert(child.output);
        EXPECT_EQ(child.output.substr(child.output.size() - 4, 2), "00"); // low byte zero
    }
    EXPECT_EQ(guards.size(), 4u);
}
