#include "DatabaseConnection.h"

#include "ConnectionString.h"
#include "DatabaseError.h"
#include "Utf8.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <utility>

namespace {

SQLPOINTER IntegerAttribute(SQLULEN value)
{
    return reinterpret_cast<SQLPOINTER>(value);
}

DatabaseError LostConnection(const std::string& action, const std::string& why)
{
    return DatabaseError(action + " failed: " + why, "", DatabaseFailure::ConnectionLost);
}

} // namespace

DatabaseConnection::DatabaseConnection(const std::wstring& connectionString, Waits waits)
    : m_waits(waits)
    , m_handles(std::make_shared<ConnectionHandles>())
{
    const std::string shown = "Connecting to the database (" + WideToUtf8(RedactPasswords(connectionString)) + ")";
    OdbcHandle& environment = m_handles->environment;
    OdbcHandle& connection = m_handles->connection;
    SQLRETURN result = environment.Allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_ENV, SQL_NULL_HANDLE, shown, result);
    }
    result = ::SQLSetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION, IntegerAttribute(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_ENV, environment.Get(), shown, result);
    }
    result = connection.Allocate(SQL_HANDLE_DBC, environment.Get());
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_ENV, environment.Get(), shown, result);
    }
    // The driver's own limit on logging in (libpq's connect_timeout, which it enforces
    // itself); the worker's wait is the bound for the driver's first queries after it.
    result = ::SQLSetConnectAttrW(connection.Get(), SQL_ATTR_LOGIN_TIMEOUT, IntegerAttribute(waits.loginSeconds),
                                  SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_DBC, connection.Get(), shown, result);
    }
    // Owned by the call, which may outlive this constructor; the copy with the password is
    // wiped as soon as the driver has it.
    auto complete = std::make_shared<std::wstring>(
        WithResultsReadAtOnce(WithPasswordFromEnvironment(WithKeepalive(connectionString, waits.keepaliveSeconds))));
    const std::shared_ptr<ConnectionHandles> handles = m_handles;
    result = OnServer(
        [handles, complete]() {
            const SQLRETURN connected = ::SQLDriverConnectW(
                handles->connection.Get(), nullptr, reinterpret_cast<SQLWCHAR*>(&(*complete)[0]),
                static_cast<SQLSMALLINT>(complete->size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
            ::SecureZeroMemory(&(*complete)[0], complete->size() * sizeof(wchar_t));
            handles->connected = SQL_SUCCEEDED(connected);
            return connected;
        },
        waits.loginSeconds, shown);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_DBC, connection.Get(), shown, result);
    }
    const std::string autocommit = "Turning autocommit off";
    const SQLHDBC handle = connection.Get();
    result = OnServer(
        [handles, handle]() {
            return ::SQLSetConnectAttrW(handle, SQL_ATTR_AUTOCOMMIT, IntegerAttribute(SQL_AUTOCOMMIT_OFF),
                                        SQL_IS_UINTEGER);
        },
        waits.statementSeconds, autocommit);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_DBC, handle, autocommit, result);
    }
}

DatabaseConnection::~DatabaseConnection()
{
    if (m_handles->connected && !m_handles->GivenUp()) {
        const std::shared_ptr<ConnectionHandles> handles = m_handles;
        const SQLHDBC handle = Handle();
        if (!m_worker.Run([handles, handle]() { return ::SQLEndTran(SQL_HANDLE_DBC, handle, SQL_ROLLBACK); },
                          kAnswerMarginSeconds * 1000U)) {
            m_handles->GiveUp();
        }
    }
}

SQLRETURN DatabaseConnection::OnServer(OdbcWorker::Call call, unsigned waitSeconds, const std::string& action)
{
    ThrowIfGivenUp(action);
    const DWORD milliseconds = waitSeconds == 0 ? INFINITE : (waitSeconds + kAnswerMarginSeconds) * 1000U;
    const std::optional<SQLRETURN> result = m_worker.Run(std::move(call), milliseconds);
    if (!result) {
        m_handles->GiveUp();
        throw LostConnection(action, "the server did not answer within " +
                                         std::to_string(waitSeconds + kAnswerMarginSeconds) +
                                         " s (the connection is given up)");
    }
    return *result;
}

void DatabaseConnection::ThrowIfGivenUp(const std::string& action) const
{
    if (m_handles->GivenUp()) {
        throw LostConnection(action, "the connection to the server was given up, the server not answering");
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
    const std::shared_ptr<ConnectionHandles> handles = m_handles;
    const SQLHDBC handle = Handle();
    const SQLRETURN result =
        OnServer([handles, handle, completion]() { return ::SQLEndTran(SQL_HANDLE_DBC, handle, completion); },
                 m_waits.statementSeconds, action);
    if (!SQL_SUCCEEDED(result)) {
        throw DatabaseError::FromDiagnostics(SQL_HANDLE_DBC, handle, action, result, handle);
    }
    // The PostgreSQL driver, having lost the connection in an earlier call, ends the
    // transaction it has already given up with success: nothing was committed.
    if (completion == SQL_COMMIT && DatabaseError::ConnectionDead(handle)) {
        throw LostConnection(action, "the connection to the server is lost");
    }
}
