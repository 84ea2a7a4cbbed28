#pragma once

#include "SingleStatement.h"
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
    // station's run started, nor held by another station under a lease that has not run
    // out (nor by the station itself): now held by the station for `seconds`. Nothing when
    // no page is left to take. Pages other stations are taking at this moment are skipped,
    // not waited for (FOR NO KEY UPDATE SKIP LOCKED), so two stations never take one page.
    static std::optional<TeamLease> TakeNext(DatabaseConnection& connection, std::int64_t batch,
                                             const TeamStation& station, unsigned seconds);
    // The same for the page at `position` alone (from 1): nothing when it may not be taken
    // now (done, failed since the station's run started, held by another, or being taken).
    // A page the station holds already is taken again, under a new serial: a take retried
    // after its acknowledgement was lost (committed, the answer lost on the way) gets the
    // page the lost take got, instead of leaving it blocked for a whole lease.
    static std::optional<TeamLease> Take(DatabaseConnection& connection, std::int64_t batch,
                                         const TeamStation& station, int position, unsigned seconds);

    // Each page's state as the station that walks the batch sees it, by position (from 1):
    // "done", "failed", "held" (under a lease that has not run out) or "free".
    static std::map<int, std::string> States(DatabaseConnection& connection, std::int64_t batch);

    // The one rule for "the station still holds the page", as the condition of a statement's
    // WHERE: the page's latest take is the station's (its instance, the lease's serial) and
    // the page is not done. A take by another station, a release and a failure each end
    // it; a lease that ran out with nobody taking the page since does not (the station, back
    // after an outage, goes on with its page). Every write a station makes to a page under
    // its lease checks it in the same statement; Held gives the values of its four parameters
    // (batch, position, the station's instance, serial), after those of `before`.
    static const wchar_t kHeld[];
    static SingleStatement::Values Held(std::int64_t batch, const std::string& instance, const TeamLease& lease,
                                        SingleStatement::Values before = {});
    // What a page that nobody holds any more has for its holder, as a statement's SET.
    static const wchar_t kNotHeld[];

    // The lease extended to `seconds` from now; false when the station no longer holds the
    // page (kHeld).
    static bool Renew(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                      const TeamLease& lease, unsigned seconds);

    // Gives the page up before it is done (the station stops): the next station may take it
    // at once. Nothing happens when the station no longer holds it.
    static void Release(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                        const TeamLease& lease);

private:
    // The first page to take with a position from `first` to `last`; with `again`, also one
    // the station holds.
    static std::optional<TeamLease> TakeBetween(DatabaseConnection& connection, std::int64_t batch,
                                                const TeamStation& station, int first, int last, bool again,
                                                unsigned seconds);
};
