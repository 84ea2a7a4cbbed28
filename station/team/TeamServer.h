#pragma once

#include "DatabaseConnection.h"
#include "DatabaseServer.h"

#include <memory>
#include <string>

// The team's database server, as every thread of a station reaches it: each thread that
// talks to the server (the operator's, the one that renews leases) makes its own connection
// here, since an ODBC connection serves one thread at a time.
//
// A station whose network goes silent in the middle of a transaction would keep its locks
// on the server until the server's system found the connection dead, hours later; among
// them the lock that numbers the batch's answers, which every other station's answer waits
// for. So each connection asks the server to end its session once it has been idle inside
// a transaction for `idleInTransactionSeconds`: the store's transactions run their
// statements back to back, and a station that finds its session ended sends its work again
// on a new connection (ServerRetry), recorded once.
class TeamServer : public DatabaseServer {
public:
    static constexpr unsigned kIdleInTransactionSeconds = 10;

    // `connection` is an ODBC connection string ("Driver={PostgreSQL Unicode};Server=...;"
    // or "DSN=..."); its password may come from TARSIL_DB_PASSWORD instead. 0 for
    // `idleInTransactionSeconds` leaves the server's setting.
    explicit TeamServer(std::wstring connection, DatabaseConnection::Waits waits = {},
                        unsigned idleInTransactionSeconds = kIdleInTransactionSeconds);

    // A new connection. Throws DatabaseError, whose message shows the string with its
    // password redacted.
    std::unique_ptr<DatabaseConnection> Connect() const override;
    const DatabaseConnection::Waits& Waits() const { return m_waits; }

    // The server as `connection` reached it, "host:port/database": the host as the
    // connection string or its DSN names it (lower case), the port the server listens on,
    // the database. Names no password: it goes into the outbox with each answer kept, to
    // tell which server the answer belongs to. Reads in a transaction of its own. Throws
    // DatabaseError.
    static std::string Describe(DatabaseConnection& connection);

private:
    std::wstring m_connection;
    DatabaseConnection::Waits m_waits;
    unsigned m_idleInTransactionSeconds;
};
