#pragma once

#include "DatabaseServer.h"

#include <functional>
#include <memory>
#include <string>

class DatabaseConnection;
class DatabaseError;

// Work on a database server carried through a short absence of the server (restarted, the
// network gone for a moment): a lost connection is dropped, and after a wait that doubles
// each time, a new one runs the work again, until the time allowed has run out. The work
// must be safe to run again: each of the team store's calls is one transaction, and an answer
// is recorded once however often it is sent. What the team's sessions, their set-up and the
// reports of a team's batch (--status, --export) all reach the team's server through.
class ServerRetry {
public:
    struct Settings {
        unsigned totalSeconds = 60; // how long the server may stay away
        unsigned firstWaitMilliseconds = 1000;
        unsigned longestWaitMilliseconds = 8000;
    };
    // Told of each wait before it begins: what failed, and the seconds until the next try
    // (the console says "the server is away, retrying in N s").
    using AwayNotice = std::function<void(const DatabaseError& failure, unsigned waitSeconds)>;

    // `server` must outlive this object.
    ServerRetry(const DatabaseServer& server, Settings settings, AwayNotice away);

    // Runs `work` on the connection, connecting first where there is none. A lost
    // connection, or a server that cannot be reached, is tried again after the wait; a
    // serialization failure or a deadlock at once. Throws the last DatabaseError once the
    // time allowed has run out, and any other failure at once.
    void Run(const std::function<void(DatabaseConnection&)>& work);

    // Whether `failure`, as Run throws it, is the server's absence (the connection lost, or
    // the transaction never let through, until the time allowed ran out) rather than its
    // refusal of the work: the work may succeed later as it is.
    static bool Away(const DatabaseError& failure);
    // What the station prints before a wait: "the team's server is away (what failed):
    // trying again in N s".
    static std::string Notice(const DatabaseError& failure, unsigned waitSeconds);

private:
    const DatabaseServer& m_server;
    Settings m_settings;
    AwayNotice m_away;
    std::unique_ptr<DatabaseConnection> m_connection;
};
