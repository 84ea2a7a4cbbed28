#pragma once

#include "TeamAnswers.h"
#include "TeamOutbox.h"

#include <vector>

class DatabaseConnection;

// What a station's start made of the answers kept in the outbox.
struct OutboxSummary {
    std::vector<AnswerReceipt> sent;    // in the order they were kept
    std::vector<OutboxEntry> refused;   // each with what the server said: kept apart now
    std::vector<OutboxEntry> elsewhere; // for a batch of another server: left in the outbox
};

// The answers an earlier run kept in the outbox (this station's, or another's that shares the
// file), sent at a station's start, before its first dialog: each to the batch it belongs
// to, when this server has that batch (its id, name and creation time); a batch of that name
// on another server, or one made again, is not it. An answer for another server stays in the
// outbox for a run against that one; one for a batch this server no longer has, and one the
// server refuses, is kept apart (TeamOutbox::Deliver), and neither holds up the start.
class OutboxSender {
public:
    // `here`: this server (TeamServer::Describe) and the batch this run opened, which takes
    // the answers of a file of an earlier version that name only a batch of its name. Throws
    // DatabaseError when the server is away (the answers not sent yet stay), TeamRefusal
    // (OutboxUnusable) when the outbox cannot be read.
    static OutboxSummary SendHere(DatabaseConnection& connection, TeamOutbox& outbox, const OutboxAddress& here);
};
