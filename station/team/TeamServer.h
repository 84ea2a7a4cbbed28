#pragma once

#include "DatabaseConnection.h"

#include <memory>
#include <string>

// The team's database server, as every thread of a station reaches it: each thread that
// talks to the server (the operator's, the one that renews leases) makes its own connection
// here, since an ODBC connection serves one thread at a time.
class TeamServer {
public:
    // `connection` is an ODBC connection string ("Driver={PostgreSQL Unicode};Server=...;"
    // or "DSN=..."); its password may come from TARSIL_DB_PASSWORD instead.
    explicit TeamServer(std::wstring connection, DatabaseConnection::Waits waits = {});

    // A new connection. Throws DatabaseError, whose message shows the string with its
    // password redacted.
    std::unique_ptr<DatabaseConnection> Connect() const;
    const DatabaseConnection::Waits& Waits() const { return m_waits; }

private:
    std::wstring m_connection;
    DatabaseConnection::Waits m_waits;
};
