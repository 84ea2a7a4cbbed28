#pragma once

#include "TeamRecords.h"

#include <cstdint>
#include <string>

// Where a kept answer belongs: the server as the station reached it (no password) and the
// batch, by what no other batch shares, on that server or another: its id and the time it
// was created, with its name.
struct OutboxAddress {
    std::string server;       // "host:port/database" (TeamServer::Describe); empty in a file of an earlier version
    std::int64_t batch = 0;   // the batch's id
    std::string batchName;
    std::string batchCreated; // when it was created, UTC to the microsecond (TeamBatch::created)
};

// An answer the server has not taken yet, kept for the station's next run.
struct OutboxEntry {
    OutboxAddress address;
    TeamAnswer answer;   // with its id: sending it again records it once
    std::string refusal; // in the file of refused answers: what the server said
};
