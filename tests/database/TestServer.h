#pragma once

#include <string>

// The build tree's PostgreSQL server for the tests (test-server starts it): its connection
// string and its role's password, from the files the server's folder holds. The folder is
// TARSIL_TEST_POSTGRES when set (a Windows path), else the build tree's.
namespace TestServer {

// "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=...;Database=...;Uid=...;": no password.
std::wstring ConnectionWithoutPassword();
std::wstring Password();
// The connection string with its password.
std::wstring Connection();
// A schema of the test's own, made empty: the tests of all programs and lanes share the
// server. Named after the running test (SchemaName).
std::wstring FreshSchema();
// The running test's schema name: "test_" and the suite's and test's names, lower case.
std::wstring SchemaName();

} // namespace TestServer
