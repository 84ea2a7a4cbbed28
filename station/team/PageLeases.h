#pragma once

#include "TeamRecords.h"
#include "TeamStation.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

class DatabaseConnection;

// Pages as the stations share them: a station takes one page at a time, in the batch's
// order, under a lease that ends at a time of the server's clock (never a station's) unless
// renewed. A page held under a lease that has not run out is skipped by every other station;
// once it runs out (a station died, or lost the server), the next station to take a page may
// take it, and resumes it at its first unanswered word: the answers belong to the page's
// words, whoever gave them.
//
// Each call is a short transaction of its own, committed before it returns. The connection
// serves one thread: a thread that renews leases while the operator's thread waits in a
// dialog makes its own (see LeaseRenewer).
class PageLeases {
public:
    static constexpr unsigned kDefaultSeconds = 120;

    // Records this run of the station with the batch. The server's time of its start decides
    // which failed pages it tries again: those that failed before it started, each once.
    static void Register(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station);

    // The first page in the batch's order that is neither done, nor failed since the
    // station's run started, nor held under a lease that has not run out: now held by the
    // station for `seconds`. Nothing when no page is left to take. Pages other stations are
    // taking at this moment are skipped, not waited for (FOR NO KEY UPDATE SKIP LOCKED), so
    // two stations never take one page.
    static std::optional<TeamLease> TakeNext(DatabaseConnection& connection, std::int64_t batch,
                                             const TeamStation& station, unsigned seconds);
    // The same for the page at `position` alone (from 1): nothing when it may not be taken
    // now (done, failed since the station's run started, held by another, or being taken).
    static std::optional<TeamLease> Take(DatabaseConnection& connection, std::int64_t batch,
                                         const TeamStation& station, int position, unsigned seconds);

    // Each page's state as the station that walks the batch sees it, by position (from 1):
    // "done", "failed", "held" (under a lease that has not run out) or "free".
    static std::map<int, std::string> States(DatabaseConnection& connection, std::int64_t batch);

    // The lease extended to `seconds` from now; false when the station no longer holds the
    // page: another station took it after the lease ran out, or it is done or failed. (A
    // lease that ran out with nobody taking the page is the station's again.)
    static bool Renew(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                      const TeamLease& lease, unsigned seconds);

    // Gives the page up before it is done (the station stops): the next station may take it
    // at once. Nothing happens when the station no longer holds it.
    static void Release(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                        const TeamLease& lease);
    // The same in the caller's open transaction, which commits it with its own work.
    static void GiveUp(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                       const TeamLease& lease);

private:
    // The first page to take with a position from `first` to `last`.
    static std::optional<TeamLease> TakeBetween(DatabaseConnection& connection, std::int64_t batch,
                                                const TeamStation& station, int first, int last, unsigned seconds);
};
