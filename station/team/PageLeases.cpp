#include "PageLeases.h"

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"

#include <limits>

const wchar_t PageLeases::kHeld[] =
    L"batch_id = ? AND position = ? AND holder_instance = ? AND lease_serial = ? AND state <> 'done'";

const wchar_t PageLeases::kNotHeld[] =
    L"holder_operator = NULL, holder_computer = NULL, holder_instance = NULL, lease_until = NULL";

void PageLeases::BindHeld(DatabaseStatement& statement, int first, std::int64_t batch, const std::string& instance,
                          const TeamLease& lease)
{
    statement.BindInteger(first, batch);
    statement.BindInteger(first + 1, lease.position);
    statement.BindUtf8(first + 2, instance);
    statement.BindInteger(first + 3, lease.serial);
}

void PageLeases::Register(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station)
{
    DatabaseTransaction transaction(connection);
    DatabaseStatement insert(connection,
                             L"INSERT INTO tarsil_stations (instance, batch_id, operator, computer)"
                             L" VALUES (?, ?, ?, ?) ON CONFLICT (instance) DO NOTHING");
    insert.BindUtf8(1, station.instance);
    insert.BindInteger(2, batch);
    insert.BindUtf8(3, station.operatorName);
    insert.BindUtf8(4, station.computer);
    insert.Execute();
    transaction.Commit();
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
    DatabaseTransaction transaction(connection);
    DatabaseStatement select(connection,
                             L"SELECT position, CASE WHEN state IN ('done', 'failed') THEN state"
                             L" WHEN lease_until > now() THEN 'held' ELSE 'free' END"
                             L" FROM tarsil_pages WHERE batch_id = ? ORDER BY position");
    select.BindInteger(1, batch);
    select.Execute();
    std::map<int, std::string> states;
    while (select.Fetch()) {
        states[static_cast<int>(select.Integer(1).value_or(0))] = select.Utf8(2).value_or("");
    }
    transaction.Commit();
    return states;
}

std::optional<TeamLease> PageLeases::TakeBetween(DatabaseConnection& connection, std::int64_t batch,
                                                 const TeamStation& station, int first, int last, bool again,
                                                 unsigned seconds)
{
    DatabaseTransaction transaction(connection);
    // One statement: the page chosen and locked by the subquery (a page locked by another
    // station's take is skipped), then held. A lease ends by the server's clock.
    DatabaseStatement take(connection,
                           L"UPDATE tarsil_pages SET holder_operator = ?, holder_computer = ?, holder_instance = ?,"
                           L" lease_until = now() + ? * interval '1 second', lease_serial = lease_serial + 1"
                           L" WHERE batch_id = ? AND position = ("
                           L"  SELECT position FROM tarsil_pages WHERE batch_id = ? AND position BETWEEN ? AND ?"
                           L"   AND state <> 'done'"
                           L"   AND (state <> 'failed'"
                           L"    OR failed_at < (SELECT started_at FROM tarsil_stations WHERE instance = ?))"
                           L"   AND (lease_until IS NULL OR lease_until <= now() OR (? AND holder_instance = ?))"
                           L"  ORDER BY position LIMIT 1 FOR NO KEY UPDATE SKIP LOCKED)"
                           L" RETURNING position, lease_serial");
    take.BindUtf8(1, station.operatorName);
    take.BindUtf8(2, station.computer);
    take.BindUtf8(3, station.instance);
    take.BindReal(4, seconds);
    take.BindInteger(5, batch);
    take.BindInteger(6, batch);
    take.BindInteger(7, first);
    take.BindInteger(8, last);
    take.BindUtf8(9, station.instance);
    take.BindBoolean(10, again);
    take.BindUtf8(11, station.instance);
    take.Execute();
    std::optional<TeamLease> lease;
    if (take.Fetch()) {
        lease = TeamLease{static_cast<int>(take.Integer(1).value_or(0)), take.Integer(2).value_or(0)};
    }
    transaction.Commit();
    return lease;
}

bool PageLeases::Renew(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                       const TeamLease& lease, unsigned seconds)
{
    DatabaseTransaction transaction(connection);
    DatabaseStatement renew(
        connection, std::wstring(L"UPDATE tarsil_pages SET lease_until = now() + ? * interval '1 second' WHERE ") + kHeld);
    renew.BindReal(1, seconds);
    BindHeld(renew, 2, batch, station.instance, lease);
    renew.Execute();
    const bool held = renew.RowCount() == 1;
    transaction.Commit();
    return held;
}

void PageLeases::Release(DatabaseConnection& connection, std::int64_t batch, const TeamStation& station,
                         const TeamLease& lease)
{
    DatabaseTransaction transaction(connection);
    DatabaseStatement release(connection, std::wstring(L"UPDATE tarsil_pages SET ") + kNotHeld + L" WHERE " + kHeld);
    BindHeld(release, 1, batch, station.instance, lease);
    release.Execute();
    transaction.Commit();
}
