#include "TeamServer.h"

#include "DatabaseStatement.h"
#include "SingleStatement.h"

#include "Utf8.h"

#include <sqlext.h>

#include <array>
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
        SingleStatement::Commit(*connection, L"SELECT set_config('idle_in_transaction_session_timeout', ?, false)",
                                {std::to_string(m_idleInTransactionSeconds) + "s"});
    }
    return connection;
}

std::string TeamServer::Describe(DatabaseConnection& connection)
{
    std::array<std::string, 3> where = SingleStatement::Query(
        connection,
        L"SELECT coalesce(host(inet_server_addr()), 'localhost'), current_setting('port'), current_database()", {},
        [](DatabaseStatement& select) {
            select.Fetch();
            std::array<std::string, 3> row;
            for (size_t i = 0; i < row.size(); ++i) {
                row[i] = select.Utf8(static_cast<int>(i) + 1).value_or("");
            }
            return row;
        });
    std::string& host = where[0];
    const std::string& port = where[1];
    const std::string& database = where[2];
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
