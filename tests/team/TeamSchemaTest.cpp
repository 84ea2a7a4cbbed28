// The team store's tables on a real PostgreSQL server: made once however many stations
// start at once, a newer version refused, an older one that cannot be upgraded refused
// saying how.

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "TeamRefusal.h"
#include "TeamSchema.h"
#include "TeamTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void SetVersion(const std::wstring& database, int version)
{
    DatabaseConnection connection(database);
    DatabaseStatement update(connection, L"UPDATE tarsil_schema SET version = ?");
    update.BindInteger(1, version);
    update.Execute();
    connection.Commit();
}

TeamRefusal RefusalOfEnsure(const std::wstring& database)
{
    DatabaseConnection connection(database);
    try {
        TeamSchema::Ensure(connection);
    } catch (const TeamRefusal& refusal) {
        return refusal;
    }
    return TeamRefusal(TeamRefusalKind::NoSuchBatch, "the tables were accepted");
}

} // namespace

TEST(TeamSchema, MadeOnceByStationsStartingAtOnceAndOtherVersionsRefused)
{
    const std::wstring database = TeamTest::FreshDatabase();
    const auto ensure = [&] {
        DatabaseConnection connection(database);
        TeamSchema::Ensure(connection);
    };
    TeamTest::AtOnce({ensure, ensure, ensure});
    {
        DatabaseConnection connection(database);
        EXPECT_EQ(TeamSchema::kVersion, TeamSchema::RecordedVersion(connection));
        DatabaseStatement rows(connection, L"SELECT count(*) FROM tarsil_schema");
        rows.Execute();
        ASSERT_TRUE(rows.Fetch());
        EXPECT_EQ(1, rows.Integer(1));
    }

    SetVersion(database, TeamSchema::kVersion + 1);
    const TeamRefusal newer = RefusalOfEnsure(database);
    EXPECT_EQ(TeamRefusalKind::NewerSchema, newer.Kind()) << newer.what();
    EXPECT_NE(std::string::npos, std::string(newer.what()).find("version 2, newer than this station's 1"))
        << newer.what();

    // Version 0 stands for an older one that no upgrade of this station knows.
    SetVersion(database, 0);
    const TeamRefusal older = RefusalOfEnsure(database);
    EXPECT_EQ(TeamRefusalKind::OlderSchema, older.Kind()) << older.what();
    EXPECT_NE(std::string::npos, std::string(older.what()).find("cannot upgrade")) << older.what();
}
