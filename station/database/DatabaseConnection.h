#pragma once

#include "OdbcHandle.h"

#include <string>

// One connection to the database through ODBC (the W functions only: Wine 8's odbc32 has
// no ANSI ones, and a program that calls one is ended), with its own environment. Transactions are explicit: autocommit is off, and
// every change waits for Commit(). Its statements (DatabaseStatement) must go before it.
class DatabaseConnection {
public:
    // How long a call may wait for the server: logging in, and each statement (a lock that
    // another connection holds, or a server that stopped answering). Zero waits for ever.
    // A connection idle for keepaliveSeconds is probed by the system (TCP keepalives), so
    // that a network gone silent ends it rather than leaving it hanging; 0 leaves the
    // driver's settings (WithKeepalive).
    struct Waits {
        unsigned loginSeconds = 10;
        unsigned statementSeconds = 30;
        unsigned keepaliveSeconds = 30;
    };

    // Connects with SQLDriverConnectW, never prompting. The password may come from
    // TARSIL_DB_PASSWORD (WithPasswordFromEnvironment). Throws DatabaseError, whose message
    // shows the connection string with its password redacted.
    explicit DatabaseConnection(const std::wstring& connectionString) : DatabaseConnection(connectionString, Waits()) {}
    DatabaseConnection(const std::wstring& connectionString, Waits waits);
    DatabaseConnection(const DatabaseConnection&) = delete;
    DatabaseConnection& operator=(const DatabaseConnection&) = delete;
    // Rolls back what was not committed and disconnects; failures (a lost server) are
    // ignored: there is nothing left to keep.
    ~DatabaseConnection();

    // SQLEndTran; throw DatabaseError.
    void Commit();
    void Rollback();

    SQLHDBC Handle() const { return m_connection.Get(); }
    unsigned StatementSeconds() const { return m_waits.statementSeconds; }

private:
    void EndTransaction(SQLSMALLINT completion, const char* action);

    Waits m_waits;
    OdbcHandle m_environment;
    OdbcHandle m_connection;
    bool m_connected = false;
};
