#pragma once

#include <memory>

class DatabaseConnection;

// A database server that connections are made to, as often as one is lost: what work carried
// through the server's absence connects with (ServerRetry). A server of its own kind says how
// it connects, and nothing else.
class DatabaseServer {
public:
    virtual ~DatabaseServer() = default;

    // A new connection. Throws DatabaseError.
    virtual std::unique_ptr<DatabaseConnection> Connect() const = 0;

protected:
    DatabaseServer() = default;
    DatabaseServer(const DatabaseServer&) = default;
    DatabaseServer& operator=(const DatabaseServer&) = default;
};
