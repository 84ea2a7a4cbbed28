#pragma once

#include "OdbcHandle.h"

#include <atomic>

// A connection's ODBC handles, shared by the connection, its statements and a call of theirs
// still running on the connection's worker (OdbcWorker): they go with the last of them. Once
// the connection is given up (a call did not return in time), no other thread touches them:
// the call still running may hold the driver's locks, and a statement's handle is left to
// SQLDisconnect, which frees a connection's statements with it.
struct ConnectionHandles {
    ConnectionHandles() = default;
    ConnectionHandles(const ConnectionHandles&) = delete;
    ConnectionHandles& operator=(const ConnectionHandles&) = delete;
    // Rolls back what a given-up call left open (ODBC does not disconnect a connection in a
    // transaction) and disconnects; failures are ignored: there is nothing left to keep.
    ~ConnectionHandles();

    void GiveUp() { givenUp.store(true); }
    bool GivenUp() const { return givenUp.load(); }

    OdbcHandle environment; // declared first: freed after the connection
    OdbcHandle connection;
    bool connected = false; // set by the call that connected
    std::atomic<bool> givenUp{false};
};
