#include "TeamServer.h"

#include <utility>

TeamServer::TeamServer(std::wstring connection, DatabaseConnection::Waits waits)
    : m_connection(std::move(connection))
    , m_waits(waits)
{
}

std::unique_ptr<DatabaseConnection> TeamServer::Connect() const
{
    return std::make_unique<DatabaseConnection>(m_connection, m_waits);
}
