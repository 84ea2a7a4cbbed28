// Run by server-loss-test, which stops this test's own server while the test holds a
// connection to it; not registered with ctest by itself.

#include "ConnectionLostExpectation.h"
#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "TestServer.h"
#include "support/ScriptSignals.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// A server that stops under a connection: the commit of what was sent, the next statement
// and a new connection fail as a lost connection, within the waits' bounds, never as a
// crash or a hang.
TEST(ServerLoss, StatementsAfterTheServerStoppedFailAsALostConnection)
{
    const wchar_t* signals = _wgetenv(L"TARSIL_TEST_SIGNALS");
    ASSERT_NE(nullptr, signals) << "run by server-loss-test";
    const DatabaseConnection::Waits waits{5, 10};
    const std::wstring table = TestServer::FreshSchema() + L".answers";
    DatabaseConnection connection(TestServer::Connection(), waits);
    DatabaseStatement create(connection, L"CREATE TABLE " + table + L" (id bigint)");
    create.Execute();
    connection.Commit();
    // An answer sent, its commit not yet.
    DatabaseStatement insert(connection, L"INSERT INTO " + table + L" VALUES (1)");
    insert.Execute();
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::Raise(signals, L"connected"));
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::WaitFor(signals, L"stopped")) << "the server was not stopped";

    const ULONGLONG started = ::GetTickCount64();
    ExpectConnectionLost("committing", [&] { connection.Commit(); });
    ExpectConnectionLost("running a statement", [&] { insert.Execute(); });
    // The driver, having given the transaction up, would report this commit as done.
    ExpectConnectionLost("committing again", [&] { connection.Commit(); });
    ExpectConnectionLost("connecting again", [&] { DatabaseConnection again(TestServer::Connection(), waits); });
    EXPECT_LT(::GetTickCount64() - started, 15000u);
}
