#pragma once

#include "TeamRecords.h"
#include "TeamServer.h"
#include "TeamStation.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

// Keeps a station's leases alive from a thread of its own, with a connection of its own,
// while the operator's thread waits in a dialog for as long as the operator takes: every
// `everyMilliseconds` it renews each page held to `leaseSeconds` from then. A renewal that
// finds the page taken by another station (the lease ran out while the server was away)
// marks it lost, for the operator's thread to see before it shows the page's next word.
class LeaseRenewer {
public:
    // Starts the thread; throws std::runtime_error when the system cannot make it.
    LeaseRenewer(const TeamServer& server, std::int64_t batch, TeamStation station, unsigned leaseSeconds,
                 unsigned everyMilliseconds);
    // Stops the thread and waits for it (a renewal under way ends within the connection's
    // statement wait).
    ~LeaseRenewer();
    LeaseRenewer(const LeaseRenewer&) = delete;
    LeaseRenewer& operator=(const LeaseRenewer&) = delete;

    // Renews `lease` from now on.
    void Hold(const TeamLease& lease);
    // Stops renewing the page: call it before the page is marked done or failed.
    void Drop(int position);
    // The station no longer holds the page: another took it, or finished it.
    bool Lost(int position) const;
    // Why the latest renewal failed (the server away); empty after one that succeeded.
    std::string Failure() const;

private:
    static DWORD WINAPI Entry(void* self) noexcept;
    void Loop() noexcept;

    const TeamServer& m_server;
    const std::int64_t m_batch;
    const TeamStation m_station;
    const unsigned m_leaseSeconds;
    const unsigned m_every;

    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::map<int, TeamLease> m_held; // by position
    std::set<int> m_lost;
    std::string m_failure;

    HANDLE m_stop = nullptr;
    HANDLE m_thread = nullptr;
};
