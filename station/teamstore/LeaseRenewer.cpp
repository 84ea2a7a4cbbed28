#include "LeaseRenewer.h"

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "ExclusiveLock.h"
#include "PageLeases.h"

#include <map>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

struct LeaseRenewer::Shared {
    Shared(const TeamServer& teamServer, std::int64_t batchId, TeamStation renewing, unsigned lease, unsigned every,
           Notice told)
        : server(teamServer)
        , batch(batchId)
        , station(std::move(renewing))
        , leaseSeconds(lease)
        , everyMilliseconds(every)
        , notice(std::move(told))
        , stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        if (!stop) {
            throw std::runtime_error("cannot make the event that stops the lease renewals (error " +
                                     std::to_string(::GetLastError()) + ")");
        }
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    void Loop() noexcept;
    // One round: renews every lease held; throws what a renewal threw.
    void RenewAll(std::unique_ptr<DatabaseConnection>& connection);
    // Keeps the round's failure, telling the operator when the renewals begin to fail or
    // succeed again.
    void Record(const std::string& failure) noexcept;
    bool Stopping() const { return ::WaitForSingleObject(stop.get(), 0) == WAIT_OBJECT_0; }

    const TeamServer server; // a copy: the station's may go first
    const std::int64_t batch;
    const TeamStation station;
    const unsigned leaseSeconds;
    const unsigned everyMilliseconds;
    const Notice notice;
    const OwnedHandle stop;

    SRWLOCK lock = SRWLOCK_INIT;
    std::map<int, TeamLease> held; // by position
    std::set<int> lost;
    std::string failure;

    SRWLOCK noticeLock = SRWLOCK_INIT; // held while the operator is told, and when the renewer goes
    bool ownerGone = false;
};

LeaseRenewer::LeaseRenewer(const TeamServer& server, std::int64_t batch, TeamStation station, unsigned leaseSeconds,
                           unsigned everyMilliseconds, Notice notice)
    : m_shared(std::make_shared<Shared>(server, batch, std::move(station), leaseSeconds, everyMilliseconds,
                                        std::move(notice)))
{
    auto threadsShare = std::make_unique<std::shared_ptr<Shared>>(m_shared);
    m_thread.reset(::CreateThread(nullptr, 0, &LeaseRenewer::Entry, threadsShare.get(), 0, nullptr));
    if (!m_thread) {
        throw std::runtime_error("cannot start the thread that renews the leases (error " +
                                 std::to_string(::GetLastError()) + ")");
    }
    static_cast<void>(threadsShare.release()); // the thread's now
}

LeaseRenewer::~LeaseRenewer()
{
    {
        ExclusiveLock lock(m_shared->noticeLock);
        m_shared->ownerGone = true; // whoever `notice` prints with may go with this object
    }
    ::SetEvent(m_shared->stop.get());
    ::WaitForSingleObject(m_thread.get(), kEndWaitMilliseconds);
}

void LeaseRenewer::Hold(const TeamLease& lease)
{
    ExclusiveLock lock(m_shared->lock);
    m_shared->held[lease.position] = lease;
    m_shared->lost.erase(lease.position);
}

void LeaseRenewer::Drop(int position)
{
    ExclusiveLock lock(m_shared->lock);
    m_shared->held.erase(position);
}

bool LeaseRenewer::Lost(int position) const
{
    ExclusiveLock lock(m_shared->lock);
    return m_shared->lost.count(position) != 0;
}

std::string LeaseRenewer::Failure() const
{
    ExclusiveLock lock(m_shared->lock);
    return m_shared->failure;
}

DWORD WINAPI LeaseRenewer::Entry(void* shared) noexcept
{
    const std::unique_ptr<std::shared_ptr<Shared>> share(static_cast<std::shared_ptr<Shared>*>(shared));
    (*share)->Loop();
    return 0;
}

void LeaseRenewer::Shared::Loop() noexcept
{
    // Made, used and closed on this thread only.
    std::unique_ptr<DatabaseConnection> connection;
    while (::WaitForSingleObject(stop.get(), everyMilliseconds) == WAIT_TIMEOUT) {
        std::string roundFailure;
        try {
            RenewAll(connection);
        } catch (const DatabaseError& error) {
            roundFailure = error.what();
            if (error.ConnectionLost()) {
                connection.reset(); // a new one next time
            }
        } catch (const std::exception& error) {
            roundFailure = error.what();
        } catch (...) {
            roundFailure = "the lease renewal failed";
        }
        if (!Stopping()) {
            Record(roundFailure);
        }
    }
}

void LeaseRenewer::Shared::RenewAll(std::unique_ptr<DatabaseConnection>& connection)
{
    std::vector<TeamLease> renewing;
    {
        ExclusiveLock guard(lock);
        for (const auto& [position, lease] : held) {
            renewing.push_back(lease);
        }
    }
    if (!renewing.empty() && !connection) {
        connection = server.Connect();
    }
    for (const TeamLease& lease : renewing) {
        if (Stopping()) {
            return;
        }
        if (!PageLeases::Renew(*connection, batch, station, lease, leaseSeconds)) {
            ExclusiveLock guard(lock);
            // Dropped meanwhile (done, or given up): not lost.
            const auto still = held.find(lease.position);
            if (still != held.end() && still->second.serial == lease.serial) {
                held.erase(still);
                lost.insert(lease.position);
            }
        }
    }
}

void LeaseRenewer::Shared::Record(const std::string& roundFailure) noexcept
{
    try {
        bool began = false;
        bool ended = false;
        {
            ExclusiveLock guard(lock);
            began = failure.empty() && !roundFailure.empty();
            ended = !failure.empty() && roundFailure.empty();
            failure = roundFailure;
        }
        ExclusiveLock told(noticeLock);
        if (!notice || ownerGone) {
            return;
        }
        if (began) {
            notice("the team's server did not renew this station's leases (" + roundFailure +
                   "): a page stays this station's while the server is back before its lease runs out");
        } else if (ended) {
            notice("the team's server renews this station's leases again");
        }
    } catch (...) { // NOLINT(bugprone-empty-catch): no memory for the message; the next round tries again
    }
}
