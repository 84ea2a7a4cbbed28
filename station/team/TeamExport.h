#pragma once

#include "TeamRecords.h"

#include <cstdint>
#include <vector>

class DatabaseConnection;

// What a one-station session's output files are made from, for the pages the team has done
// so far: the batch's thresholds and inputs, and each done page with its recogniser output
// (the bytes the byte edits work on) and its answers in reading order. Read from one
// snapshot while the stations go on working.
struct TeamExportData {
    TeamBatchDefinition batch; // thresholds and inputs; its pages are in `pages`
    std::vector<TeamPage> pages;
};

class TeamExport {
public:
    // Ends the transaction.
    static TeamExportData Read(DatabaseConnection& connection, std::int64_t batch);
};
