#pragma once

#include "ConnectionHandles.h"
#include "OdbcWorker.h"

#include <memory>
#include <string>

// One connection to the database through ODBC (the W functions only: Wine 8's odbc32 has
// no ANSI ones, and a program that calls one is ended), with its own environment. Transactions are explicit: autocommit is off, and
// every change waits for Commit(). Its statements (DatabaseStatement) must go before it.
//
// The calls that wait for the server (connecting, running a statement, ending a
// transaction) run on the connection's own thread (OdbcWorker), and the caller waits for
// each at most its wait below and kAnswerMarginSeconds more: the driver enforces its waits
// on the server, which a stopped server or a silent network never enforces. A call that
// has not returned by then fails as a lost connection (DatabaseFailure::ConnectionLost),
// and the connection is given up: every later call on it, or on its statements, fails the
// same way at once, touching nothing the call still running may use.
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
    // Beyond a wait, the time the server's answer has to arrive: the server cancels a
    // statement at its wait and says so, and a busy machine may take a while to hear it.
    static constexpr unsigned kAnswerMarginSeconds = 5;

    // Connects with SQLDriverConnectW, never prompting. The password may come from
    // TARSIL_DB_PASSWORD (WithPasswordFromEnvironment). Throws DatabaseError, whose message
    // shows the connection string with its password redacted.
    explicit DatabaseConnection(const std::wstring& connectionString) : DatabaseConnection(connectionString, Waits()) {}
    DatabaseConnection(const std::wstring& connectionString, Waits waits);
    DatabaseConnection(const DatabaseConnection&) = delete;
    DatabaseConnection& operator=(const DatabaseConnection&) = delete;
    // Rolls back what was not committed and disconnects, waiting for the server no longer
    // than kAnswerMarginSeconds (a rollback waits for no lock); failures (a lost server) are
    // ignored: there is nothing left to keep.
    ~DatabaseConnection();

    // SQLEndTran; throw DatabaseError.
    void Commit();
    void Rollback();

    SQLHDBC Handle() const { return m_handles->connection.Get(); }
    unsigned StatementSeconds() const { return m_waits.statementSeconds; }

private:
    friend class DatabaseStatement;

    void EndTransaction(SQLSMALLINT completion, const char* action);
    // Runs `call` on the connection's thread, waiting at most `waitSeconds` (0: for ever) and
    // the margin. Throws DatabaseError (ConnectionLost), the connection given up, when the
    // call does not return in time.
    SQLRETURN OnServer(OdbcWorker::Call call, unsigned waitSeconds, const std::string& action);
    // Throws DatabaseError (ConnectionLost) once the connection is given up.
    void ThrowIfGivenUp(const std::string& action) const;
    const std::shared_ptr<ConnectionHandles>& Handles() const { return m_handles; }

    Waits m_waits;
    OdbcWorker m_worker;
    std::shared_ptr<ConnectionHandles> m_handles; // declared after the worker: they go while it is idle
};
