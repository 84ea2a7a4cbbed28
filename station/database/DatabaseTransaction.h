#pragma once

class DatabaseConnection;

// The transaction a piece of work runs in: rolled back when the work ends without
// committing it (a throw, an early return), so that no failed work leaves its transaction
// open, holding locks and an old snapshot, for the connection's next work.
//
//   DatabaseTransaction transaction(connection);
//   ... statements ...
//   transaction.Commit();
class DatabaseTransaction {
public:
    explicit DatabaseTransaction(DatabaseConnection& connection) : m_connection(connection) {}
    DatabaseTransaction(const DatabaseTransaction&) = delete;
    DatabaseTransaction& operator=(const DatabaseTransaction&) = delete;
    // Rolls back what was not committed; a failure (a lost connection) is ignored, as the
    // server drops such a transaction itself.
    ~DatabaseTransaction();

    // Throws DatabaseError.
    void Commit();
    // Ends the transaction without keeping anything: for work that only read, or decided
    // not to change anything after all. Throws DatabaseError.
    void Rollback();

private:
    DatabaseConnection& m_connection;
    bool m_ended = false;
};
