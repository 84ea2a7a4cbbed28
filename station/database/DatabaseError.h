#pragma once

#include <windows.h>

#include <sql.h>

#include <array>
#include <stdexcept>
#include <string>

// What a caller does about a failed database call depends on its kind: a lost connection
// is retried on a new one, a serialization failure by running the transaction again, a
// unique violation means that another station was first.
enum class DatabaseFailure {
    ConnectionLost,       // class 08, the server shutting down or refusing (57P01-57P03), HYT00/HYT01
    UniqueViolation,      // 23505
    SerializationFailure, // 40001, and a deadlock (40P01), which is retried the same way
    Other,
};

// A failed ODBC call: what failed, and the driver's diagnostic records, each with its
// SQLSTATE and message. The message (what()) is UTF-8, with any password redacted.
class DatabaseError : public std::runtime_error {
public:
    DatabaseError(const std::string& message, const std::string& sqlState, DatabaseFailure failure);

    // The diagnostic records of `handle` after a call on it failed; `action` says what
    // failed ("Connecting to ...", "Running \"SELECT ...\""). `result` is the call's return
    // code, named when the driver left no record. `connection`, when given, is asked whether
    // it is dead: the PostgreSQL driver reports some failures of a lost connection with a
    // general SQLSTATE (HY000, "internal SAVEPOINT failed"). A dead connection, or one lost
    // in any record, outweighs the rest: the transaction is gone with it.
    static DatabaseError FromDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& action,
                                         SQLRETURN result, SQLHDBC connection = SQL_NULL_HDBC);
    // True when the driver says that the connection is gone (SQL_ATTR_CONNECTION_DEAD).
    static bool ConnectionDead(SQLHDBC connection);

    // The SQLSTATE of the first record ("" when there was none).
    std::string SqlState() const { return m_sqlState.data(); }
    DatabaseFailure Failure() const { return m_failure; }
    bool ConnectionLost() const { return m_failure == DatabaseFailure::ConnectionLost; }

    static DatabaseFailure Classify(const std::string& sqlState);

private:
    std::array<char, 6> m_sqlState = {}; // five characters and the terminator: copied without a throw
    DatabaseFailure m_failure;
};
