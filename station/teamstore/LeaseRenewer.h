#pragma once

#include "OwnedHandle.h"
#include "TeamRecords.h"
#include "TeamServer.h"
#include "TeamStation.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Keeps a station's leases alive from a thread of its own, with a connection of its own,
// while the operator's thread waits in a dialog for as long as the operator takes: every
// `everyMilliseconds` it renews each page held to `leaseSeconds` from then. A renewal that
// finds the page taken by another station (the lease ran out while the server was away)
// marks it lost, for the operator's thread to see before it shows the page's next word.
//
// The operator is told at once when renewals begin to fail and when they succeed again:
// `notice` is called from the renewer's thread (so it must be safe to call from any thread,
// as the station's console line is), and never once the renewer is gone.
class LeaseRenewer {
public:
    using Notice = std::function<void(const std::string&)>;
    // How long the end waits for a renewal under way before it leaves the thread to finish
    // it alone: a server that does not answer must not hold up the station's exit.
    static constexpr DWORD kEndWaitMilliseconds = 1000;

    // Starts the thread; throws std::runtime_error when the system cannot make it.
    LeaseRenewer(const TeamServer& server, std::int64_t batch, TeamStation station, unsigned leaseSeconds,
                 unsigned everyMilliseconds, Notice notice = {});
    // Stops the thread, waiting for it at most kEndWaitMilliseconds: a renewal still waiting
    // for the server ends on its own within the connection's bound (DatabaseConnection),
    // with nothing of this object's.
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
    struct Shared; // what the thread works with: it may outlive this object
    static DWORD WINAPI Entry(void* shared) noexcept;

    std::shared_ptr<Shared> m_shared;
    OwnedHandle m_thread;
};
