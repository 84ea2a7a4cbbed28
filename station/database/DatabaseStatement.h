#pragma once

#include <windows.h>

#include <sql.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DatabaseConnection;
class StatementParameters;

// One prepared statement on a connection. Values reach it only as bound parameters (the
// "?" of its text, numbered from 1): a text from a file or an operator is never part of a
// statement's text. Every call that fails throws DatabaseError; once its connection is given
// up (DatabaseConnection), every call fails at once as a lost connection.
//
//   DatabaseStatement insert(connection, L"INSERT INTO words (page, text) VALUES (?, ?)");
//   insert.BindInteger(1, page);
//   insert.BindText(2, text);
//   insert.Execute();
//   connection.Commit();
class DatabaseStatement {
public:
    DatabaseStatement(DatabaseConnection& connection, const std::wstring& sql);
    DatabaseStatement(const DatabaseStatement&) = delete;
    DatabaseStatement& operator=(const DatabaseStatement&) = delete;
    ~DatabaseStatement();

    // The value of parameter `number` for the next Execute(); kept until bound again.
    void BindText(int number, const std::wstring& value); // UTF-16, as SQL_C_WCHAR
    void BindInteger(int number, std::int64_t value);
    void BindReal(int number, double value);
    void BindBytes(int number, const std::vector<unsigned char>& value); // bytea
    void BindBoolean(int number, bool value);
    void BindNull(int number);
    // UTF-8 text, bound as UTF-16; text that is not valid UTF-8 is refused (DatabaseError).
    void BindUtf8(int number, const std::string& value);

    // Runs the statement with the bound values; a result set from an earlier run is closed
    // first. An UPDATE or DELETE that matched no row is no failure: RowCount() says 0.
    void Execute();
    // The rows an INSERT, UPDATE or DELETE changed.
    std::int64_t RowCount();

    // The next row of the result; false after the last, and for a statement that matched no
    // row (an UPDATE ... RETURNING that changed none).
    bool Fetch();
    // The current row's column `number` (from 1), nothing for NULL. Columns are read in
    // increasing order, each once.
    std::optional<std::wstring> Text(int number);
    std::optional<std::int64_t> Integer(int number);
    std::optional<std::vector<unsigned char>> Bytes(int number);
    std::optional<double> Real(int number);
    std::optional<bool> Boolean(int number);
    // Text as UTF-8.
    std::optional<std::string> Utf8(int number);

private:
    // The statement's handle, with its connection's handles: a call still running on the
    // connection's worker holds it, and the values bound to it, past this object.
    struct Handle;

    // The values to set parameter `number` in; throws DatabaseError for a number below 1.
    StatementParameters& ParametersFor(int number);
    void BindParameters();
    // SQLGetData in pieces until the whole value is read: false for NULL.
    bool ReadLong(int number, SQLSMALLINT cType, size_t terminatorBytes, std::vector<unsigned char>& value);
    // SQLGetData of a fixed-size value: false for NULL.
    bool ReadFixed(int number, SQLSMALLINT cType, void* value, SQLLEN size);
    [[noreturn]] void Fail(const std::string& action, SQLRETURN result) const;
    SQLHSTMT Statement() const;
    // Throws DatabaseError (ConnectionLost) once the connection is given up: "`doing` the statement".
    void ThrowIfGivenUp(const char* doing) const;

    DatabaseConnection& m_owner;
    SQLHDBC m_connection;
    bool m_noResult = false; // the last run matched no row and left no result to fetch
    std::string m_shown; // the statement's text as errors name it
    // The values, where the driver reads them while the statement runs.
    std::shared_ptr<StatementParameters> m_parameters;
    std::shared_ptr<Handle> m_handle;
};
