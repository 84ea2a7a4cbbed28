#pragma once

#include <windows.h>

#include <sql.h>

#include <functional>
#include <memory>
#include <optional>

// The thread on which a connection's calls that wait for the server run, so that the caller
// waits only as long as it chooses. The PostgreSQL driver enforces its time limits on the
// server: a server that stopped answering (a silent network, a frozen host) leaves a call
// waiting for a quarter of an hour, until the system gives the connection up. A call that
// has not returned in time is left running here, and this worker takes no other: its
// connection is given up.
//
// A call runs while its caller may already have gone on, so it may touch only what it owns
// (the shared pointers and values it holds): never the caller's stack or an object the
// caller may free. It is destroyed on this thread once it returns, before its caller hears
// of it.
class OdbcWorker {
public:
    using Call = std::function<SQLRETURN()>;

    // Starts the thread; throws DatabaseError when the system cannot make it.
    OdbcWorker();
    // Tells the thread to end once its call, if one still runs, has returned; never waits.
    ~OdbcWorker();
    OdbcWorker(const OdbcWorker&) = delete;
    OdbcWorker& operator=(const OdbcWorker&) = delete;

    // Runs `call` on the thread and waits up to `milliseconds` (INFINITE: for ever) for it:
    // its result, or nothing when it did not return in time, as for any call after that.
    std::optional<SQLRETURN> Run(Call call, DWORD milliseconds);
    // A call did not return in time.
    bool GivenUp() const { return m_givenUp; }

private:
    struct Mailbox;
    static DWORD WINAPI Entry(void* mailbox) noexcept;

    std::shared_ptr<Mailbox> m_mailbox; // shared with the thread, which may outlive this object
    bool m_givenUp = false;
};
