#include "TestServer.h"

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <stdexcept>

namespace {

std::wstring Folder()
{
    const wchar_t* setting = _wgetenv(L"TARSIL_TEST_POSTGRES");
    return setting != nullptr && *setting != L'\0' ? setting : TARSIL_POSTGRES_FOLDER;
}

// The first line of a file of the folder.
std::wstring FirstLine(const wchar_t* name)
{
    const std::wstring path = Folder() + L"/" + name;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        throw std::runtime_error("no test server: cannot read its file " + std::string(name, name + wcslen(name)) +
                                 " (the tests start it through the ctest fixture Database.ServerStart)");
    }
    std::string line;
    for (int c = std::fgetc(file); c != EOF && c != '\n' && c != '\r'; c = std::fgetc(file)) {
        line += static_cast<char>(c);
    }
    std::fclose(file);
    return std::wstring(line.begin(), line.end()); // ASCII: written by test-server
}

} // namespace

namespace TestServer {

std::wstring ConnectionWithoutPassword()
{
    return FirstLine(L"connection");
}

std::wstring Password()
{
    return FirstLine(L"password");
}

std::wstring Connection()
{
    return ConnectionWithoutPassword() + L"PWD=" + Password() + L";";
}

std::wstring SchemaName()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(test->test_suite_name()) + "_" + test->name();
    std::wstring schema = L"test_";
    for (const char c : name) {
        schema += static_cast<wchar_t>(std::towlower(static_cast<unsigned char>(c)));
    }
    // PostgreSQL keeps the first 63 bytes of a name.
    schema.resize(std::min<size_t>(schema.size(), 63));
    return schema;
}

std::wstring FreshSchema()
{
    const std::wstring schema = SchemaName();
    DatabaseConnection connection(Connection());
    DatabaseStatement drop(connection, L"DROP SCHEMA IF EXISTS " + schema + L" CASCADE");
    drop.Execute();
    DatabaseStatement create(connection, L"CREATE SCHEMA " + schema);
    create.Execute();
    connection.Commit();
    return schema;
}

} // namespace TestServer
