#pragma once

#include "TeamRecords.h"

#include <cstdint>
#include <vector>

class DatabaseConnection;

// What became of an answer sent to the database.
enum class AnswerFate {
    Recorded,          // committed now
    AlreadyRecorded,   // sent before (the same answer id), and kept then: nothing recorded twice
    AnsweredByAnother, // another answer to the word was committed first, and stands
    PageLost, // none to the word stands, but the page let none in (another took it, or it is done)
};

struct AnswerReceipt {
    AnswerFate fate = AnswerFate::Recorded;
    std::int64_t order = 0; // the standing answer's place in the batch's commit order; 0 for a skipped word
    // The answering station still holds the page (PageLeases::kHeld): false tells a
    // station that lost its lease to move on. Always false for an answer sent without a
    // lease.
    bool pageHeld = false;
};

// Answers recorded one word at a time, each in its own transaction, committed before the
// next dialog opens.
//
// Idempotent: every answer carries the id its station made for it, unique; the same answer
// sent twice (a commit whose acknowledgement the network lost, an answer kept in the outbox)
// is recorded once. The first answer committed to a word stands: the word's key (batch,
// page, word index) is unique, and another station's answer to it is not recorded.
//
// Each answer to a shown word takes the next number of the batch's answers under the batch
// row's lock, held to the commit: the numbers follow the order in which answers commit, with
// no gaps, so a station that has seen every answer up to N misses none by asking for those
// after N (TeamProposals).
class TeamAnswers {
public:
    // Records `answer` (outcome "ok", "ignore" or "skipped"; a cancelled word is no answer,
    // and std::invalid_argument is thrown for one) with the server's time, only while the
    // answering station holds the page under `lease`: checked in the statement that
    // inserts it, so that a station whose lease another took over adds nothing to the
    // page (PageLost). Commits.
    static AnswerReceipt RecordHeld(DatabaseConnection& connection, std::int64_t batch, const TeamLease& lease,
                                    const TeamAnswer& answer);
    // The same for an answer whose lease is gone with the run that gave it (kept in the
    // outbox, sent by the next run): recorded while the page is not done; the first answer
    // to a word stands all the same.
    static AnswerReceipt Record(DatabaseConnection& connection, std::int64_t batch, const TeamAnswer& answer);

    // Every OK answer of the batch, whichever station gave it, that keeps what the error model
    // weighs of its word: the batch's learning's labels, by page and word. Reads in its own
    // transaction.
    static std::vector<TeamAnswer> Learnable(DatabaseConnection& connection, std::int64_t batch);
};
