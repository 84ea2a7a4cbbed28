// The database layer on a real PostgreSQL server, through the system's ODBC (under Wine:
// odbc32, unixODBC, Debian's PostgreSQL driver).

#include "ConnectionString.h"
#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "TestServer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

std::int64_t CountRows(DatabaseConnection& connection, const std::wstring& table)
{
    DatabaseStatement count(connection, L"SELECT count(*) FROM " + table);
    count.Execute();
    EXPECT_TRUE(count.Fetch());
    return count.Integer(1).value_or(-1);
}

} // namespace

// Values reach the server only as bound parameters and come back as they went: UTF-16 text
// (one long enough to be read in pieces), text that would end a spliced statement, bytes of
// every value, 64-bit integers, doubles, NULL. The password comes from the environment.
TEST(Database, BoundValuesComeBackAsTheyWent)
{
    const std::wstring schema = TestServer::FreshSchema();
    ASSERT_TRUE(::SetEnvironmentVariableW(kDatabasePasswordVariable, TestServer::Password().c_str()));
    DatabaseConnection connection(TestServer::ConnectionWithoutPassword());
    ::SetEnvironmentVariableW(kDatabasePasswordVariable, nullptr);
    const std::wstring table = schema + L".answers";
    DatabaseStatement create(connection, L"CREATE TABLE " + table +
                                             L" (id bigint PRIMARY KEY, text text, picture bytea, seconds double precision)");
    create.Execute();

    std::vector<unsigned char> everyByte;
    for (int i = 0; i < 3 * 256 * 7; ++i) {
        everyByte.push_back(static_cast<unsigned char>(i * 7 % 256));
    }
    const std::wstring longText(5000, L'\x00FC');
    const std::vector<std::wstring> texts = {L"\x00FC" L"ber", L"it's; DROP TABLE " + table + L"; --", longText, L""};
    DatabaseStatement insert(connection, L"INSERT INTO " + table + L" (id, text, picture, seconds) VALUES (?, ?, ?, ?)");
    for (size_t i = 0; i < texts.size(); ++i) {
        insert.BindInteger(1, (std::int64_t{1} << 40) + static_cast<std::int64_t>(i));
        insert.BindText(2, texts[i]);
        insert.BindBytes(3, everyByte);
        insert.BindReal(4, 1.25);
        insert.Execute();
        EXPECT_EQ(1, insert.RowCount());
    }
    insert.BindInteger(1, 7);
    insert.BindNull(2);
    insert.BindNull(3);
    insert.BindNull(4);
    insert.Execute();
    connection.Commit();

    DatabaseStatement select(connection, L"SELECT id, text, picture, CAST(seconds * 4 AS bigint) FROM " + table +
                                             L" WHERE id >= ? ORDER BY id");
    select.BindInteger(1, 7);
    select.Execute();
    ASSERT_TRUE(select.Fetch());
    EXPECT_EQ(7, select.Integer(1));
    EXPECT_EQ(std::nullopt, select.Text(2));
    EXPECT_EQ(std::nullopt, select.Bytes(3));
    EXPECT_EQ(std::nullopt, select.Integer(4));
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_TRUE(select.Fetch());
        EXPECT_EQ((std::int64_t{1} << 40) + static_cast<std::int64_t>(i), select.Integer(1));
        EXPECT_EQ(texts[i], select.Text(2));
        EXPECT_EQ(everyByte, select.Bytes(3));
        EXPECT_EQ(5, select.Integer(4));
    }
    EXPECT_FALSE(select.Fetch());
}

TEST(Database, ARolledBackChangeIsGoneAndACommittedOneStays)
{
    const std::wstring table = TestServer::FreshSchema() + L".pages";
    DatabaseConnection connection(TestServer::Connection());
    DatabaseStatement create(connection, L"CREATE TABLE " + table + L" (id bigint)");
    create.Execute();
    connection.Commit();
    DatabaseStatement insert(connection, L"INSERT INTO " + table + L" VALUES (?)");
    insert.BindInteger(1, 1);
    insert.Execute();
    connection.Commit();
    insert.BindInteger(1, 2);
    insert.Execute();
    connection.Rollback();

    DatabaseConnection another(TestServer::Connection());
    EXPECT_EQ(1, CountRows(another, table));
    EXPECT_EQ(1, CountRows(connection, table));
}

// Two stations taking pages: the row one holds in its open transaction is skipped by the
// other, which gets the next; once the first commits, its row is free again.
TEST(Database, ARowHeldForUpdateIsSkippedByAnotherConnection)
{
    const std::wstring table = TestServer::FreshSchema() + L".pages";
    DatabaseConnection first(TestServer::Connection());
    DatabaseStatement create(first, L"CREATE TABLE " + table + L" (id bigint PRIMARY KEY)");
    create.Execute();
    DatabaseStatement insert(first, L"INSERT INTO " + table + L" VALUES (1), (2), (3)");
    insert.Execute();
    first.Commit();

    const std::wstring take = L"SELECT id FROM " + table + L" ORDER BY id LIMIT 1 FOR UPDATE SKIP LOCKED";
    DatabaseStatement firstTakes(first, take);
    firstTakes.Execute();
    ASSERT_TRUE(firstTakes.Fetch());
    EXPECT_EQ(1, firstTakes.Integer(1));

    DatabaseConnection second(TestServer::Connection());
    DatabaseStatement secondTakes(second, take);
    secondTakes.Execute();
    ASSERT_TRUE(secondTakes.Fetch());
    EXPECT_EQ(2, secondTakes.Integer(1));
    second.Rollback();

    first.Commit();
    secondTakes.Execute();
    ASSERT_TRUE(secondTakes.Fetch());
    EXPECT_EQ(1, secondTakes.Integer(1));
}

// A failed statement names its SQLSTATE and is told apart from a lost connection; the
// transaction it spoiled is rolled back and the connection serves on.
TEST(Database, AFailedStatementNamesItsSqlStateAndKind)
{
    const std::wstring table = TestServer::FreshSchema() + L".words";
    DatabaseConnection connection(TestServer::Connection());
    try {
        DatabaseStatement wrong(connection, L"SELECT nothing FROM " + table);
        wrong.Execute();
        FAIL() << "a statement on a table that does not exist ran";
    } catch (const DatabaseError& error) {
        EXPECT_EQ("42P01", error.SqlState()) << error.what();
        EXPECT_NE(std::string::npos, std::string(error.what()).find("[42P01]")) << error.what();
        EXPECT_EQ(DatabaseFailure::Other, error.Failure()) << error.what();
    }
    connection.Rollback();

    DatabaseStatement create(connection, L"CREATE TABLE " + table + L" (id bigint PRIMARY KEY)");
    create.Execute();
    DatabaseStatement insert(connection, L"INSERT INTO " + table + L" VALUES (?)");
    insert.BindInteger(1, 5);
    insert.Execute();
    connection.Commit();
    try {
        insert.Execute();
        FAIL() << "a second row with the same key was inserted";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(DatabaseFailure::UniqueViolation, error.Failure()) << error.what();
    }
    connection.Rollback();
    EXPECT_EQ(1, CountRows(connection, table));
}

TEST(Database, AWrongPasswordIsNamedInNoMessage)
{
    const std::wstring password = L"Wr0ng;pass}}word";
    try {
        DatabaseConnection connection(TestServer::ConnectionWithoutPassword() + L"PWD={" + password + L"};");
        FAIL() << "connected with a wrong password";
    } catch (const DatabaseError& error) {
        const std::string message = error.what();
        // The PostgreSQL driver reports a refused login as 08001, as it does an unreachable
        // server.
        EXPECT_FALSE(error.SqlState().empty()) << message;
        EXPECT_EQ(std::string::npos, message.find("Wr0ng")) << message;
        EXPECT_NE(std::string::npos, message.find("PWD=***")) << message;
    }
}
