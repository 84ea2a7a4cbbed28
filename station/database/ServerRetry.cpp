#include "ServerRetry.h"

#include "DatabaseConnection.h"
#include "DatabaseError.h"

#include <windows.h>

#include <algorithm>
#include <utility>

ServerRetry::ServerRetry(const DatabaseServer& server, Settings settings, AwayNotice away)
    : m_server(server)
    , m_settings(settings)
    , m_away(std::move(away))
{
}

void ServerRetry::Run(const std::function<void(DatabaseConnection&)>& work)
{
    const ULONGLONG deadline = ::GetTickCount64() + m_settings.totalSeconds * 1000ULL;
    unsigned wait = m_settings.firstWaitMilliseconds;
    for (;;) {
        try {
            if (!m_connection) {
                m_connection = m_server.Connect();
            }
            work(*m_connection);
            return;
        } catch (const DatabaseError& error) {
            if (error.Failure() == DatabaseFailure::SerializationFailure && ::GetTickCount64() < deadline) {
                continue; // the transaction was rolled back: run it again
            }
            if (!error.ConnectionLost()) {
                throw;
            }
            m_connection.reset();
            if (::GetTickCount64() + wait > deadline) {
                throw;
            }
            if (m_away) {
                m_away(error, (wait + 999) / 1000);
            }
            ::Sleep(wait);
            wait = std::min(wait * 2, m_settings.longestWaitMilliseconds);
        }
    }
}

bool ServerRetry::Away(const DatabaseError& failure)
{
    return failure.ConnectionLost() || failure.Failure() == DatabaseFailure::SerializationFailure;
}

std::string ServerRetry::Notice(const DatabaseError& failure, unsigned waitSeconds)
{
    return "the team's server is away (" + std::string(failure.what()) + "): trying again in " +
           std::to_string(waitSeconds) + " s";
}
