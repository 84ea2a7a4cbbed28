#pragma once

#include "TeamRecords.h"
#include "TeamStation.h"

#include <cstdint>
#include <optional>
#include <string>

class DatabaseConnection;

// A batch by its name: the first station creates it from its inputs, the others join it.
class TeamBatches {
public:
    // The batch `name`, created from `inputs` (its pages in the batch's order, positions
    // from 1) when it does not exist yet; otherwise joined, and then `inputs` must have the
    // batch's content, page by page (the images' and the given recogniser outputs' SHA-256,
    // frames, page numbers: paths may differ from station to station), or be empty (no
    // inputs: the batch's own). The result holds the batch's own definition either way:
    // its rule, thresholds and engine settings win over the station's (a batch made before its
    // engine settings were recorded takes the station's).
    //
    // Two stations creating the same batch at once: the database's unique name lets one
    // create it, and the other joins it.
    //
    // Throws TeamRefusal (InputsDiffer, naming the file; NoSuchBatch for a batch that does
    // not exist joined without inputs) and DatabaseError. Commits.
    static TeamBatch Open(DatabaseConnection& connection, const std::string& name, const TeamBatchDefinition& inputs,
                          const TeamStation& station);

    // The batch's id by its name; nothing when there is none. Reads in its own transaction,
    // and changes nothing: what --status and --export look a batch up with.
    static std::optional<std::int64_t> Find(DatabaseConnection& connection, const std::string& name);

    // Whether the database has the batch `id` with that name, created at `createdAt`
    // (TeamBatch::createdAt): the batch an answer kept in the outbox belongs to, and no
    // other of the same name. Reads in its own transaction.
    static bool Holds(DatabaseConnection& connection, std::int64_t id, const std::string& name,
                      const std::string& createdAt);

    // The batch's definition, by its id: its rule, thresholds, engine settings, inputs and, with
    // `withPages`, its pages with the recogniser outputs given with them. Read in the open
    // transaction.
    static TeamBatchDefinition ReadDefinition(DatabaseConnection& connection, std::int64_t batch, bool withPages);
};
