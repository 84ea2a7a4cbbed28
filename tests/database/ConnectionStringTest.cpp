#include "ConnectionString.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(ConnectionString, PasswordsAreRedactedWhereverTheyStand)
{
    EXPECT_EQ(L"Driver={PostgreSQL Unicode};Uid=u;PWD=***;Port=5432",
              RedactPasswords(L"Driver={PostgreSQL Unicode};Uid=u;PWD=secret;Port=5432"));
    // Braces, with a doubled brace and a semicolon inside; any case; spaces around "=".
    EXPECT_EQ(L"DSN=team;password=***;Uid=u", RedactPasswords(L"DSN=team;password={a;b}}c};Uid=u"));
    EXPECT_EQ(L"cannot connect with 'pWd = ***", RedactPasswords(L"cannot connect with 'pWd = se cret"));
    EXPECT_EQ(L"Pwd=***", RedactPasswords(L"Pwd={unclosed;brace"));
    // Keys that only end in the name are no password.
    EXPECT_EQ(L"OldPwd=x;MyPassword=y", RedactPasswords(L"OldPwd=x;MyPassword=y"));
}

// The SSL key's password, and libpq's options, which may hold a password in braces or not.
TEST(ConnectionString, EveryValueThatMayHoldASecretIsRedacted)
{
    EXPECT_EQ(L"DSN=team;SSLPassword=***;pqopt=***;Uid=u",
              RedactPasswords(L"DSN=team;SSLPassword=k3y;pqopt={sslmode=require password=s;e}}cret};Uid=u"));
    EXPECT_EQ(L"Server=db;PQopt=***;Port=5432", RedactPasswords(L"Server=db;PQopt=password=secret;Port=5432"));
}

TEST(ConnectionString, ThePasswordFromTheEnvironmentIsAddedOnlyWhereNoneIsGiven)
{
    ASSERT_TRUE(::SetEnvironmentVariableW(kDatabasePasswordVariable, L"s;e}cret"));
    EXPECT_EQ(L"DSN=team;PWD={s;e}}cret};", WithPasswordFromEnvironment(L"DSN=team"));
    EXPECT_EQ(L"DSN=team;Password=own", WithPasswordFromEnvironment(L"DSN=team;Password=own"));
    ::SetEnvironmentVariableW(kDatabasePasswordVariable, nullptr);
    EXPECT_EQ(L"DSN=team", WithPasswordFromEnvironment(L"DSN=team"));
}
