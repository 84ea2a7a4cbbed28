#include "TeamServer.h"

#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"

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
