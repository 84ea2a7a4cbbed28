#include "DatabaseConnection.h"

#include "ConnectionString.h"
#include "DatabaseError.h"
#include "Utf8.h"

#include <sqlext.h>
#include <sqlucode.h>

namespace {

SQLPOINTER IntegerAttribute(SQLULEN value)
{
    return reinterpret_cast<SQLPOINTER>(value);
}

} // namespace

DatabaseConnection::DatabaseConnection(const std::wstring& connectionString, Waits waits)
    : m_waits(waits)
{
    const std::string shown = "Connecting to the database (" + WideToUtf8(RedactPasswords(connectionString)) + ")";
    SQLRETURN result = m_environment.Allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_ENV, SQL_NULL_HANDLE, shown, result);
    }
    result = ::SQLSetEnvAttr(m_environment.Get(), SQL_ATTR_ODBC_VERSION, IntegerAttribute(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_ENV, m_environment.Get(), shown, result);
    }
    result = m_connection.Allocate(SQL_HANDLE_DBC, m_environment.Get());
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_ENV, m_environment.Get(), shown, result);
    }
    result = ::SQLSetConnectAttrW(m_connection.Get(), SQL_ATTR_LOGIN_TIMEOUT, IntegerAttribute(waits.loginSeconds),
                                  SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_DBC, m_connection.Get(), shown, result);
    }
    std::wstring complete = WithPasswordFromEnvironment(WithKeepalive(connectionString, waits.keepaliveSeconds));
    result = ::SQLDriverConnectW(m_connection.Get(), nullptr, reinterpret_cast<SQLWCHAR*>(&complete[0]),
                                 static_cast<SQLSMALLINT>(complete.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    // The copy with the password goes at once.
    ::SecureZeroMemory(&complete[0], complete.size() * sizeof(wchar_t));
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_DBC, m_connection.Get(), shown, result);
    }
    m_connected = true;
    result = ::SQLSetConnectAttrW(m_connection.Get(), SQL_ATTR_AUTOCOMMIT, IntegerAttribute(SQL_AUTOCOMMIT_OFF),
                                  SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(result)) {
        const DatabaseError error = DatabaseError::FromDiagnostics(SQL_HANDLE_DBC, m_connection.Get(),
                                                                   "Turning autocommit off", result);
        ::SQLDisconnect(m_connection.Get());
        throw error;
    }
}

DatabaseConnection::~DatabaseConnection()
{
    if (m_connected) {
        ::SQLEndTran(SQL_HANDLE_DBC, m_connection.Get(), SQL_ROLLBACK);
        ::SQLDisconnect(m_connection.Get());
    }
}

void DatabaseConnection::Commit()
{
    EndTransaction(SQL_COMMIT, "Committing the transaction");
}

void DatabaseConnection::Rollback()
{
    EndTransaction(SQL_ROLLBACK, "Rolling back the transaction");
}

void DatabaseConnection::EndTransaction(SQLSMALLINT completion, const char* action)
{
    const SQLRETURN result = ::SQLEndTran(SQL_HANDLE_DBC, m_connection.Get(), completion);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_DBC, m_connection.Get(), action, result, m_connection.Get());
    }
    // The PostgreSQL driver, having lost the connection in an earlier call, ends the
    // transaction it has already given up with success: nothing was committed.
    if (completion == SQL_COMMIT && DatabaseError::ConnectionDead(m_connection.Get())) {
        throw DatabaseError(std::string(action) + " failed: the connection to the server is lost", "",
                            DatabaseFailure::ConnectionLost);
    }
}
