#include "PageLeases.h"

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"

#include <limits>

const wchar_t PageLeases::kHeld[] =
    L"batch_id = ? AND position = ? AND holder_instance = ? AND lease_serial = ? AND state <> 'done'";

const wchar_t PageLeases::kNotHeld[] =
    L"holder_operator = NULL, holder_computer = NULL, holder_instance = NULL, lease_until = NULL";

SingleStatement::Values PageLeases::Held(std::int64_t batch, const std::string& instance, const TeamLease& lease,
                                         SingleStatement::Values before)
{
    before.insert(before.end(), {batch, std::int64_t{lease.position}, instance, lease.serial});
    return before;
}

void PageLeases::Register(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station)
{
    SingleStatement::Commit(connection,
                            L"INSERT INTO tarsil_stations (instance, batch_id, operator, computer)"
                            L" VALUES (?, ?, ?, ?) ON CONFLICT (instance) DO NOTHING",
                            {station.instance, batch, station.operatorName, station.computer});
}

std::optional<TeamLease> PageLeases::TakeNext(DatabaseConnection& connection, std::int64_t batch,
                                              const TeamStation& station, unsigned seconds)
{
    return TakeBetween(connection, batch, station, 1, std::numeric_limits<int>::max(), false, seconds);
}

std::optional<TeamLease> PageLeases::Take(DatabaseConnection& connection, std::int64_t batch,
                                          const TeamStation& station, int position, unsigned seconds)
{
    return TakeBetween(connection, batch, station, position, position, true, seconds);
}

std::map<int, std::string> PageLeases::States(DatabaseConnection& connection, std::int64_t batch)
{
    return SingleStatement::Query(connection,
                                  L"SELECT position, CASE WHEN state IN ('done', 'failed') THEN state"
                                  L" WHEN lease_until > now() THEN 'held' ELSE 'free' END"
                                  L" FROM tarsil_pages WHERE batch_id = ? ORDER BY position",
                                  {batch}, [](DatabaseStatement& select) {
                                      std::map<int, std::string> states;
                                      while (select.Fetch()) {
                                          states[static_cast<int>(select.Integer(1).value_or(0))] =
                                              select.Utf8(2).value_or("");
                                      }
                                      return states;
                                  });
}

std::optional<TeamLease> PageLeases::TakeBetween(DatabaseConnection& connection, std::int64_t batch,
                                                 const TeamStation& station, int first, int last, bool again,
                                                 unsigned seconds)
{
    // One statement: the page chosen and locked by the subquery (a page locked by another
    // station's take is skipped), then held. A lease ends by the server's clock.
    return SingleStatement::Commit(
        connection,
        L"UPDATE tarsil_pages SET holder_operator = ?, holder_computer = ?, holder_instance = ?,"
        L" lease_until = now() + ? * interval '1 second', lease_serial = lease_serial + 1"
        L" WHERE batch_id = ? AND position = ("
        L"  SELECT position FROM tarsil_pages WHERE batch_id = ? AND position BETWEEN ? AND ?"
        L"   AND state <> 'done'"
        L"   AND (state <> 'failed'"
        L"    OR failed_at < (SELECT started_at FROM tarsil_stations WHERE instance = ?))"
        L"   AND (lease_until IS NULL OR lease_until <= now() OR (? AND holder_instance = ?))"
        L"  ORDER BY position LIMIT 1 FOR NO KEY UPDATE SKIP LOCKED)"
        L" RETURNING position, lease_serial",
        {station.operatorName, station.computer, station.instance, static_cast<double>(seconds), batch, batch,
         std::int64_t{first}, std::int64_t{last}, station.instance, again, station.instance},
        [](DatabaseStatement& take) {
            std::optional<TeamLease> lease;
            if (take.Fetch()) {
                lease = TeamLease{static_cast<int>(take.Integer(1).value_or(0)), take.Integer(2).value_or(0)};
            }
            return lease;
        });
}

bool PageLeases::Renew(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                       const TeamLease& lease, unsigned seconds)
{
    return SingleStatement::Commit(
        connection, std::wstring(L"UPDATE tarsil_pages SET lease_until = now() + ? * interval '1 second' WHERE ") + kHeld,
        Held(batch, station.instance, lease, {static_cast<double>(seconds)}),
        [](DatabaseStatement& renew) { return renew.RowCount() == 1; });
}

void PageLeases::Release(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                         const TeamLease& lease)
{
    SingleStatement::Commit(connection, std::wstring(L"UPDATE tarsil_pages SET ") + kNotHeld + L" WHERE " + kHeld,
                            Held(batch, station.instance, lease));
}
