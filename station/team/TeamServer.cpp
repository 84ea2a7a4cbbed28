#include "TeamServer.h"

#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"

#include "Utf8.h"

#include <sqlext.h>

#include <cwctype>
#include <utility>

TeamServer::TeamServer(std::wstring connection, DatabaseConnection::Waits waits, unsigned idleInTransactionSeconds)
    : m_connection(std::move(connection))
    , m_waits(waits)
    , m_idleInTransactionSeconds(idleInTransactionSeconds)
{
}

std::unique_ptr<DatabaseConnection> TeamServer::Connect() const
{
    auto connection = std::make_unique<DatabaseConnection>(m_connection, m_waits);
    if (m_idleInTransactionSeconds > 0) {
        // For the session (not the transaction): it outlives the commit.
        DatabaseTransaction transaction(*connection);
        DatabaseStatement limit(*connection,
                                L"SELECT set_config('idle_in_transaction_session_timeout', ?, false)");
        limit.BindUtf8(1, std::to_string(m_idleInTransactionSeconds) + "s");
        limit.Execute();
        transaction.Commit();
    }
    return connection;
}

std::string TeamServer::Describe(DatabaseConnection& connection)
{
    DatabaseTransaction transaction(connection);
    DatabaseStatement where(connection, L"SELECT coalesce(host(inet_server_addr()), 'localhost'),"
                                        L" current_setting('port'), current_database()");
    where.Execute();
    where.Fetch();
    std::string host = where.Utf8(1).value_or("");
    const std::string port = where.Utf8(2).value_or("");
    const std::string database = where.Utf8(3).value_or("");
    transaction.Rollback();
    // The driver's name for the host, where it gives one: the server's own address for the
    // connection may be one of several.
    wchar_t name[256] = {};
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(::SQLGetInfoW(connection.Handle(), SQL_SERVER_NAME, name, sizeof name, &length)) &&
        name[0] != 0) {
        std::wstring lower(name);
        for (wchar_t& c : lower) {
            c = static_cast<wchar_t>(std::towlower(c));
        }
        host = WideToUtf8(lower);
    }
    return host + ":" + port + "/" + database;
}
