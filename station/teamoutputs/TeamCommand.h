#pragma once

#include <functional>
#include <string>

#include "StationOptions.h"

// --status and --export: a team's batch read from its database while the stations work,
// its figures printed or its files written. Shows no dialog and changes nothing in the
// database.
class TeamCommand {
public:
    // The server's reading is retried while the server is away, as a station's work is
    // (--retry-seconds), each wait printed. Throws TeamRefusal when the database has no such
    // batch or tables this station cannot read (exit 2), DatabaseError when the server
    // cannot be reached, stays away or fails (exit 1, its message naming what failed,
    // without the password), and what TeamExportFiles throws.
    static void Run(const StationOptions& options, const std::function<void(const std::string&)>& print);
};
