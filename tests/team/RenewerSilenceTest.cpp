// Run by server-silence-test, which freezes this test's own server once the renewers hold
// their leases, and thaws it when the test asks; not registered with ctest by itself.

#include "DatabaseConnection.h"
#include "ExclusiveLock.h"
#include "LeaseRenewer.h"
#include "PageLeases.h"
#include "TeamBatches.h"
#include "TeamSchema.h"
#include "TeamServer.h"
#include "TeamTestSupport.h"
#include "support/ScriptSignals.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// What the renewer tells the operator, as the station's console takes it: from its thread.
class Notices {
public:
    void Add(const std::string& notice)
    {
        {
            ExclusiveLock lock(m_lock);
            m_notices.push_back(notice);
        }
        std::printf("told: %s\n", notice.c_str());
    }
    // Waits up to a minute for the `count`-th notice; empty when it did not come.
    std::string WaitFor(size_t count)
    {
        for (int waited = 0; waited < 60000; waited += 50) {
            std::string notice;
            {
                ExclusiveLock lock(m_lock);
                notice = m_notices.size() >= count ? m_notices[count - 1] : std::string();
            }
            if (!notice.empty()) {
                return notice;
            }
            ::Sleep(50);
        }
        return std::string();
    }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::vector<std::string> m_notices;
};

} // namespace

// The server freezes while two renewers' renewals wait for it. The one whose connection
// would wait a minute for its statement ends at once, leaving the renewal to its thread:
// the station's exit does not wait for the server. The other tells the operator at once when
// its renewal fails at the connection's bound, and again once the server is back.
TEST(RenewerSilence, ARenewalWaitingForAFrozenServerHoldsUpNeitherTheEndNorTheOperator)
{
    const wchar_t* signals = _wgetenv(L"TARSIL_TEST_SIGNALS");
    ASSERT_NE(nullptr, signals) << "run by server-silence-test";
    const std::wstring database = TeamTest::FreshDatabase();
    DatabaseConnection connection(database);
    TeamSchema::Ensure(connection);
    const TeamStation station = TeamTest::Station("me");
    const std::int64_t batch =
        TeamBatches::Open(connection, "job", TeamTest::Batch(connection, 2), station).id;
    PageLeases::Register(connection, batch, station);
    const TeamLease first = PageLeases::TakeNext(connection, batch, station, 10).value();
    const TeamLease second = PageLeases::TakeNext(connection, batch, station, 10).value();

    Notices notices;
    LeaseRenewer told(TeamServer(database, DatabaseConnection::Waits{3, 3, 30}), batch, station, 30, 300,
                      [&](const std::string& notice) { notices.Add(notice); });
    auto patient = std::make_unique<LeaseRenewer>(TeamServer(database, DatabaseConnection::Waits{3, 60, 30}), batch,
                                                  station, 30, 300);
    told.Hold(first);
    patient->Hold(second);
    for (int waited = 0; TeamTest::Count(connection, L"SELECT count(*) FROM tarsil_pages WHERE lease_until > "
                                                     L"now() + interval '20 seconds'") < 2;
         waited += 100) {
        ASSERT_LT(waited, 60000) << "the leases were not renewed";
        ::Sleep(100);
    }
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::Raise(signals, L"connected"));
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::WaitFor(signals, L"stopped")) << "the server was not frozen";
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::WaitFor(signals, L"waiting")) << "no renewal waits for the server";

    const ULONGLONG ending = ::GetTickCount64();
    patient.reset();
    EXPECT_LT(::GetTickCount64() - ending, 10000U) << "the renewer's end waited for the server";

    const std::string failed = notices.WaitFor(1);
    EXPECT_NE(std::string::npos, failed.find("did not renew")) << failed;
    EXPECT_NE(std::string::npos, failed.find("did not answer within 8 s")) << failed;
    ASSERT_NO_FATAL_FAILURE(ScriptSignals::Raise(signals, L"resume"));
    const std::string back = notices.WaitFor(2);
    EXPECT_NE(std::string::npos, back.find("again")) << back;
    EXPECT_EQ("", told.Failure());
}
