// The team store's tables on a real PostgreSQL server: made once however many stations
// start at once, a newer version refused, an older one that cannot be upgraded refused
// saying how, one that can be upgraded upgraded.

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "TeamBatches.h"
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
    const std::string newerText = "version " + std::to_string(TeamSchema::kVersion + 1) +
                                  ", newer than this station's " + std::to_string(TeamSchema::kVersion);
    EXPECT_NE(std::string::npos, std::string(newer.what()).find(newerText)) << newer.what();

    // Version 0 stands for an older one that no upgrade of this station knows.
    SetVersion(database, 0);
    const TeamRefusal older = RefusalOfEnsure(database);
    EXPECT_EQ(TeamRefusalKind::OlderSchema, older.Kind()) << older.what();
    EXPECT_NE(std::string::npos, std::string(older.what()).find("cannot upgrade")) << older.what();
}

// A database of version 1, whose batches recorded no engine settings nor rule, is upgraded
// by the owner's station; a batch made before takes the settings of the next station to open it,
// and keeps them.
TEST(TeamSchema, AVersion1DatabaseIsUpgradedAndItsBatchTakesTheNextStationsEngineSettings)
{
    const std::wstring database = TeamTest::FreshDatabase();
    {
        DatabaseConnection connection(database);
        TeamSchema::Ensure(connection);
        for (const wchar_t* sql :
             {L"ALTER TABLE tarsil_batches DROP COLUMN engine_lang, DROP COLUMN engine_psm, DROP COLUMN engine_version,"
              L" DROP COLUMN catch_percent",
              L"ALTER TABLE tarsil_answers DROP COLUMN chosen_for, DROP COLUMN least_char_confidence,"
              L" DROP COLUMN second_differs",
              L"INSERT INTO tarsil_batches (name, below, char_below, created_by) VALUES ('old', 90, 90, 'ann')"}) {
            DatabaseStatement statement(connection, sql);
            statement.Execute();
        }
        connection.Commit();
    }
    SetVersion(database, 1);
    DatabaseConnection connection(database);
    TeamSchema::Ensure(connection);
    EXPECT_EQ(TeamSchema::kVersion, TeamSchema::RecordedVersion(connection));
    TeamBatchDefinition settings;
    settings.lang = "deu";
    settings.psm = "6";
    EXPECT_EQ("deu", TeamBatches::Open(connection, "old", settings, TeamTest::Station("next")).definition.lang);
    settings.lang = "eng";
    const TeamBatch later = TeamBatches::Open(connection, "old", settings, TeamTest::Station("later"));
    EXPECT_EQ("deu", later.definition.lang);
    EXPECT_EQ("6", later.definition.psm);
    EXPECT_EQ(0, later.definition.catchPercent); // chosen by --below, as before
}
