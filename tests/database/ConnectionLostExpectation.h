#pragma once

#include "DatabaseError.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

// Expects `call` to fail as a lost connection, saying how (the log shows each message);
// returns the milliseconds it took.
template <typename Call>
ULONGLONG ExpectConnectionLost(const char* what, Call call)
{
    const ULONGLONG started = ::GetTickCount64();
    try {
        call();
        ADD_FAILURE() << what << " succeeded on a server that was gone";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.ConnectionLost()) << error.what();
        std::printf("%s: %s\n", what, error.what());
    }
    return ::GetTickCount64() - started;
}
