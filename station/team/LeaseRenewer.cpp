#include "LeaseRenewer.h"

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "PageLeases.h"

#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// Holds an SRW lock exclusively for its scope.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&m_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& m_lock;
};

} // namespace

LeaseRenewer::LeaseRenewer(const TeamServer& server, std::int64_t batch, TeamStation station, unsigned leaseSeconds,
                           unsigned everyMilliseconds)
    : m_server(server)
    , m_batch(batch)
    , m_station(std::move(station))
    , m_leaseSeconds(leaseSeconds)
    , m_every(everyMilliseconds)
    , m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    if (m_stop == nullptr) {
        throw std::runtime_error("cannot make the event that stops the lease renewals (error " +
                                 std::to_string(::GetLastError()) + ")");
    }
    m_thread = ::CreateThread(nullptr, 0, &LeaseRenewer::Entry, this, 0, nullptr);
    if (m_thread == nullptr) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(m_stop);
        throw std::runtime_error("cannot start the thread that renews the leases (error " + std::to_string(error) + ")");
    }
}

LeaseRenewer::~LeaseRenewer()
{
    ::SetEvent(m_stop);
    ::WaitForSingleObject(m_thread, INFINITE);
    ::CloseHandle(m_thread);
    ::CloseHandle(m_stop);
}

void LeaseRenewer::Hold(const TeamLease& lease)
{
    ExclusiveLock lock(m_lock);
    m_held[lease.position] = lease;
    m_lost.erase(lease.position);
}

void LeaseRenewer::Drop(int position)
{
    ExclusiveLock lock(m_lock);
    m_held.erase(position);
}

bool LeaseRenewer::Lost(int position) const
{
    ExclusiveLock lock(m_lock);
    return m_lost.count(position) != 0;
}

std::string LeaseRenewer::Failure() const
{
    ExclusiveLock lock(m_lock);
    return m_failure;
}

DWORD WINAPI LeaseRenewer::Entry(void* self) noexcept
{
    static_cast<LeaseRenewer*>(self)->Loop();
    return 0;
}

void LeaseRenewer::Loop() noexcept
{
    // Made, used and closed on this thread only.
    std::unique_ptr<DatabaseConnection> connection;
    while (::WaitForSingleObject(m_stop, m_every) == WAIT_TIMEOUT) {
        std::string failure;
        try {
            std::vector<TeamLease> held;
            {
                ExclusiveLock lock(m_lock);
                for (const auto& [position, lease] : m_held) {
                    held.push_back(lease);
                }
            }
            if (!held.empty() && !connection) {
                connection = m_server.Connect();
            }
            for (const TeamLease& lease : held) {
                if (!PageLeases::Renew(*connection, m_batch, m_station, lease, m_leaseSeconds)) {
                    ExclusiveLock lock(m_lock);
                    // Dropped meanwhile (done, or given up): not lost.
                    const auto still = m_held.find(lease.position);
                    if (still != m_held.end() && still->second.serial == lease.serial) {
                        m_held.erase(still);
                        m_lost.insert(lease.position);
                    }
                }
            }
        } catch (const DatabaseError& error) {
            failure = error.what();
            if (error.ConnectionLost()) {
                connection.reset(); // a new one next time
            }
        } catch (const std::exception& error) {
            failure = error.what();
        } catch (...) {
            failure = "the lease renewal failed";
        }
        try {
            ExclusiveLock lock(m_lock);
            m_failure = failure;
        } catch (...) { // NOLINT(bugprone-empty-catch): no memory for the message; the next round tries again
        }
    }
}
