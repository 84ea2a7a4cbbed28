#include "DatabaseStatement.h"

#include "ConnectionHandles.h"
#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "StatementParameters.h"
#include "Utf8.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <cstring>
#include <utility>

namespace {

// Errors name the statement by its start: enough to tell which one failed.
std::string ShownStatement(const std::wstring& sql)
{
    const size_t kShownCharacters = 80;
    std::wstring shown = sql.substr(0, kShownCharacters);
    for (wchar_t& c : shown) {
        if (c == L'\r' || c == L'\n' || c == L'\t') {
            c = L' ';
        }
    }
    return "\"" + WideToUtf8(shown) + (sql.size() > kShownCharacters ? "...\"" : "\"");
}

} // namespace

struct DatabaseStatement::Handle {
    explicit Handle(std::shared_ptr<ConnectionHandles> owner) : connection(std::move(owner)) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (connection->GivenUp()) {
            statement.Forget(); // SQLDisconnect frees it, once no call runs on the connection
        }
    }

    std::shared_ptr<ConnectionHandles> connection; // declared first: outlives the statement's handle
    OdbcHandle statement;
};

DatabaseStatement::DatabaseStatement(DatabaseConnection& connection, const std::wstring& sql)
    : m_owner(connection)
    , m_connection(connection.Handle())
    , m_shown(ShownStatement(sql))
    , m_parameters(std::make_shared<StatementParameters>())
    , m_handle(std::make_shared<Handle>(connection.Handles()))
{
    // Preparing is the driver's own work: it reaches the server only when the statement runs.
    m_owner.ThrowIfGivenUp("Preparing " + m_shown);
    SQLRETURN result = m_handle->statement.Allocate(SQL_HANDLE_STMT, m_connection);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_DBC, m_connection, "Preparing " + m_shown, result, m_connection);
    }
    result = ::SQLSetStmtAttrW(Statement(), SQL_ATTR_QUERY_TIMEOUT,
                               reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(connection.StatementSeconds())),
                               SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(result)) {
        Fail("Setting the time limit of " + m_shown, result);
    }
    std::wstring text = sql;
    result = ::SQLPrepareW(Statement(), reinterpret_cast<SQLWCHAR*>(&text[0]), static_cast<SQLINTEGER>(text.size()));
    if (!SQL_SUCCEEDED(result)) {
        Fail("Preparing " + m_shown, result);
    }
}

DatabaseStatement::~DatabaseStatement() = default;

SQLHSTMT DatabaseStatement::Statement() const
{
    return m_handle->statement.Get();
}

void DatabaseStatement::ThrowIfGivenUp(const char* doing) const
{
    if (m_handle->connection->GivenUp()) {
        m_owner.ThrowIfGivenUp(doing + (" " + m_shown));
    }
}

void DatabaseStatement::Fail(const std::string& action, SQLRETURN result) const
{
    throw DatabaseError::FromDiagnostics(SQL_HANDLE_STMT, Statement(), action, result, m_connection);
}

StatementParameters& DatabaseStatement::ParametersFor(int number)
{
    if (number < 1) {
        throw DatabaseError("Binding parameter " + std::to_string(number) + " of " + m_shown +
                                " failed: parameters are numbered from 1",
                            "", DatabaseFailure::Other);
    }
    if (!m_parameters) {
        m_parameters = std::make_shared<StatementParameters>(); // the last ones left with a given-up call
    }
    return *m_parameters;
}

void DatabaseStatement::BindText(int number, const std::wstring& value)
{
    ParametersFor(number).SetText(number, value);
}

void DatabaseStatement::BindInteger(int number, std::int64_t value)
{
    ParametersFor(number).SetInteger(number, value);
}

void DatabaseStatement::BindReal(int number, double value)
{
    ParametersFor(number).SetReal(number, value);
}

void DatabaseStatement::BindBytes(int number, const std::vector<unsigned char>& value)
{
    ParametersFor(number).SetBytes(number, value);
}

void DatabaseStatement::BindBoolean(int number, bool value)
{
    ParametersFor(number).SetBoolean(number, value);
}

void DatabaseStatement::BindNull(int number)
{
    ParametersFor(number).SetNull(number);
}

void DatabaseStatement::BindUtf8(int number, const std::string& value)
{
    std::wstring wide;
    if (!Utf8ToWide(value, wide)) {
        throw DatabaseError("Binding parameter " + std::to_string(number) + " of " + m_shown +
                                " failed: the text is not valid UTF-8",
                            "", DatabaseFailure::Other);
    }
    BindText(number, wide);
}

void DatabaseStatement::BindParameters()
{
    ::SQLFreeStmt(Statement(), SQL_RESET_PARAMS);
    if (!m_parameters) {
        m_parameters = std::make_shared<StatementParameters>();
    }
    int failed = 0;
    const SQLRETURN result = m_parameters->BindTo(Statement(), failed);
    if (!SQL_SUCCEEDED(result)) {
        Fail("Binding parameter " + std::to_string(failed) + " of " + m_shown, result);
    }
}

void DatabaseStatement::Execute()
{
    const std::string action = "Running " + m_shown;
    m_owner.ThrowIfGivenUp(action);
    ::SQLFreeStmt(Statement(), SQL_CLOSE);
    BindParameters();
    const std::shared_ptr<Handle> handle = m_handle;
    const std::shared_ptr<StatementParameters> values = m_parameters;
    SQLRETURN result = SQL_ERROR;
    try {
        result = m_owner.OnServer([handle, values]() { return ::SQLExecute(handle->statement.Get()); },
                                  m_owner.StatementSeconds(), action);
    } catch (const DatabaseError&) {
        m_parameters.reset(); // the driver may still read these: any value bound later goes elsewhere
        throw;
    }
    if (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA) {
        Fail(action, result);
    }
    // The driver reports SQL_NO_DATA, and opens no cursor, for a change that matched no row.
    m_noResult = result == SQL_NO_DATA;
}

std::int64_t DatabaseStatement::RowCount()
{
    ThrowIfGivenUp("Counting the rows of");
    SQLLEN rows = 0;
    const SQLRETURN result = ::SQLRowCount(Statement(), &rows);
    if (!SQL_SUCCEEDED(result)) {
        Fail("Counting the rows of " + m_shown, result);
    }
    return rows;
}

// The connection reads a statement's whole result when it runs (WithResultsReadAtOnce):
// fetching and reading a row are the driver's own work, never a wait for the server.
bool DatabaseStatement::Fetch()
{
    if (m_noResult) {
        return false;
    }
    ThrowIfGivenUp("Reading a row of");
    const SQLRETURN result = ::SQLFetch(Statement());
    if (result == SQL_NO_DATA) {
        return false;
    }
    if (!SQL_SUCCEEDED(result)) {
        Fail("Reading a row of " + m_shown, result);
    }
    return true;
}

bool DatabaseStatement::ReadLong(int number, SQLSMALLINT cType, size_t terminatorBytes,
                                 std::vector<unsigned char>& value)
{
    ThrowIfGivenUp("Reading a column of");
    value.clear();
    std::vector<unsigned char> piece(4096);
    for (;;) {
        SQLLEN length = 0;
        const SQLRETURN result = ::SQLGetData(Statement(), static_cast<SQLUSMALLINT>(number), cType,
                                              piece.data(), static_cast<SQLLEN>(piece.size()), &length);
        if (result == SQL_NO_DATA) {
            return true; // the previous piece was the last
        }
        if (!SQL_SUCCEEDED(result)) {
            Fail("Reading column " + std::to_string(number) + " of " + m_shown, result);
        }
        if (length == SQL_NULL_DATA) {
            return false;
        }
        // A piece that filled the buffer (the rest unknown or larger) continues.
        const size_t room = piece.size() - terminatorBytes;
        const bool whole = length != SQL_NO_TOTAL && static_cast<size_t>(length) <= room;
        value.insert(value.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(whole ? length : room));
        if (whole) {
            return true;
        }
    }
}

std::optional<std::wstring> DatabaseStatement::Text(int number)
{
    std::vector<unsigned char> bytes;
    if (!ReadLong(number, SQL_C_WCHAR, sizeof(wchar_t), bytes)) {
        return std::nullopt;
    }
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) {
        std::memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
    }
    return text;
}

bool DatabaseStatement::ReadFixed(int number, SQLSMALLINT cType, void* value, SQLLEN size)
{
    ThrowIfGivenUp("Reading a column of");
    SQLLEN length = 0;
    const SQLRETURN result = ::SQLGetData(Statement(), static_cast<SQLUSMALLINT>(number), cType, value, size, &length);
    if (!SQL_SUCCEEDED(result)) {
        Fail("Reading column " + std::to_string(number) + " of " + m_shown, result);
    }
    return length != SQL_NULL_DATA;
}

std::optional<std::int64_t> DatabaseStatement::Integer(int number)
{
    std::int64_t value = 0;
    if (!ReadFixed(number, SQL_C_SBIGINT, &value, sizeof(value))) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> DatabaseStatement::Real(int number)
{
    double value = 0;
    if (!ReadFixed(number, SQL_C_DOUBLE, &value, sizeof(value))) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> DatabaseStatement::Boolean(int number)
{
    unsigned char value = 0;
    if (!ReadFixed(number, SQL_C_BIT, &value, sizeof(value))) {
        return std::nullopt;
    }
    return value != 0;
}

std::optional<std::string> DatabaseStatement::Utf8(int number)
{
    const std::optional<std::wstring> text = Text(number);
    if (!text) {
        return std::nullopt;
    }
    return WideToUtf8(*text);
}

std::optional<std::vector<unsigned char>> DatabaseStatement::Bytes(int number)
{
    std::vector<unsigned char> bytes;
    if (!ReadLong(number, SQL_C_BINARY, 0, bytes)) {
        return std::nullopt;
    }
    return bytes;
}
