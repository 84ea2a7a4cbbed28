#pragma once

#include "TeamStatus.h"

#include <cstdint>
#include <string>

class DatabaseConnection;

// The figures of a batch for --status, read while the stations work: one consistent
// snapshot of the pages and answers.
class TeamStatusReport {
public:
    // Ends the transaction.
    static TeamStatus Read(DatabaseConnection& connection, std::int64_t batch, const std::string& name);
};
