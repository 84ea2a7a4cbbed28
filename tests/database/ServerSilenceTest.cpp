// Run by server-silence-test, which freezes this test's own server while the test holds
// connections to it; not registered with ctest by itself.

#include "ConnectionLostExpectation.h"
#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "TestServer.h"
#include "support/ScriptSignals.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// A loaded machine's delay, beyond a bound, in hearing that a call gave up.
constexpr ULONGLONG kLateMilliseconds = 10000;

// `call` fails as a lost connection, after `atLeast` ms and before `before` ms.
template <typename Call>
void ExpectLostBetween(const char* what, ULONGLONG atLeast, ULONGLONG before, Call call)
{
    const ULONGLONG elapsed = ExpectConnectionLost(what, call);
    EXPECT_GE(elapsed, atLeast) << what;
    EXPECT_LT(elapsed, before) << what;
}

} // namespace

// A server that takes what is sent but never answers (a silent network): the driver's own
// waits, which the server enforces, never end. The commit of what was sent fails as a lost
// connection within the client's bound, and every later call on that connection at once;
// another connection's statement waits for its own bound only, and a new connection for
// the login's. The test program then ends, its given-up calls still waiting.
TEST(ServerSilence, CallsToAFrozenServerFailAsALostConnectionWithinTheirBound)
{
    const wchar_t* signals = _wgetenv(L"TARSIL_TEST_SIGNALS");
    ASSERT_NE(nullptr, signals) << "run by server-silence-test";
    const DatabaseConnection::Waits waits{3, 3};
    const ULONGLONG bound = (waits.statementSeconds + DatabaseConnection::kAnswerMarginSeconds) * 1000ULL;
    const std::wstring table = TestServer::FreshSchema() + L".answers";
    DatabaseConnection connection(TestServer::Connection(), waits);
    DatabaseConnection other(TestServer::Connection(), waits);
    DatabaseStatement create(connection, L"CREATE TABLE " + table + L" (id bigint, word text)");
    create.Execute();
    connection.Commit();
    // An answer sent, its commit not yet.
    DatabaseStatement insert(connection, L"INSERT INTO " + table + L" VALUES (?, ?)");
    insert.BindInteger(1, 1);
    insert.BindText(2, L"w\u00f6rd");
    insert.Execute();
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::Raise(signals, L"connected"));
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::WaitFor(signals, L"stopped")) << "the server was not frozen";

    ExpectLostBetween("committing", bound - 100, bound + kLateMilliseconds, [&] { connection.Commit(); });
    // The commit still waits on the connection's thread: nothing here waits for it.
    ExpectLostBetween("running again with new values", 0, bound, [&] {
        insert.BindInteger(1, 2);
        insert.BindText(2, L"another");
        insert.Execute();
    });
    ExpectLostBetween("preparing another statement", 0, bound,
                      [&] { DatabaseStatement select(connection, L"SELECT 1"); });
    ExpectLostBetween("rolling back", 0, bound, [&] { connection.Rollback(); });
    ExpectLostBetween("another connection's statement", bound - 100, bound + kLateMilliseconds, [&] {
        DatabaseStatement select(other, L"SELECT count(*) FROM " + table);
        select.Execute();
    });
    const ULONGLONG login = (waits.loginSeconds + DatabaseConnection::kAnswerMarginSeconds) * 1000ULL;
    ExpectLostBetween("connecting", 0, login + kLateMilliseconds,
                      [&] { DatabaseConnection again(TestServer::Connection(), waits); });
}
