// The role a station needs once the tables exist: SELECT, INSERT and UPDATE on them, and no
// more; reached with sslmode=require, over an encrypted connection.

#include "DatabaseConnection.h"
#include "DatabaseError.h"
#include "DatabaseStatement.h"
#include "PageLeases.h"
#include "TeamAnswers.h"
#include "TeamBatches.h"
#include "TeamExport.h"
#include "TeamPages.h"
#include "TeamProposals.h"
#include "TeamRefusal.h"
#include "TeamSchema.h"
#include "TeamStatusReport.h"
#include "TeamTestSupport.h"
#include "TestServer.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

const wchar_t kRole[] = L"tarsil_test_station";
const wchar_t kRolePassword[] = L"St4tion0nly";

void Execute(DatabaseConnection& connection, const std::wstring& sql)
{
    DatabaseStatement statement(connection, sql);
    statement.Execute();
}

} // namespace

TEST(TeamRole, SelectInsertAndUpdateOnTheTablesSufficeOverSsl)
{
    const std::wstring schema = TestServer::SchemaName();
    const std::wstring empty = schema + L"_empty";
    const std::wstring owner = TeamTest::FreshDatabase();
    {
        DatabaseConnection connection(owner);
        Execute(connection, L"DROP SCHEMA IF EXISTS " + empty + L" CASCADE");
        Execute(connection, std::wstring(L"DROP ROLE IF EXISTS ") + kRole);
        connection.Commit();
        TeamSchema::Ensure(connection);
        // The role a team's administrator makes for the stations.
        Execute(connection, std::wstring(L"CREATE ROLE ") + kRole + L" LOGIN PASSWORD '" + kRolePassword + L"'");
        Execute(connection, L"GRANT USAGE ON SCHEMA " + schema + L" TO " + kRole);
        std::wstring tables;
        for (const std::wstring& table : TeamSchema::Tables()) {
            tables += (tables.empty() ? L"" : L", ") + table;
        }
        Execute(connection, L"GRANT SELECT, INSERT, UPDATE ON " + tables + L" TO " + kRole);
        Execute(connection, L"CREATE SCHEMA " + empty);
        Execute(connection, L"GRANT USAGE ON SCHEMA " + empty + L" TO " + kRole);
        connection.Commit();
    }

    const std::wstring station = TeamTest::Database(schema, kRole, kRolePassword) + L"sslmode=require;";
    DatabaseConnection connection(station);
    DatabaseStatement encrypted(connection, L"SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()");
    encrypted.Execute();
    ASSERT_TRUE(encrypted.Fetch());
    EXPECT_EQ(true, encrypted.Boolean(1));
    connection.Commit();

    // Everything a station does, as that role.
    TeamSchema::Ensure(connection);
    const TeamStation me = TeamTest::Station("me");
    const TeamBatchDefinition inputs = TeamTest::Batch(connection, 3);
    const std::int64_t batch = TeamBatches::Open(connection, "job", inputs, me).id;
    EXPECT_EQ(batch, TeamBatches::Open(connection, "job", inputs, TeamTest::Station("other")).id);
    PageLeases::Register(connection, batch, me);
    const TeamLease first = PageLeases::TakeNext(connection, batch, me, 120).value();
    EXPECT_TRUE(PageLeases::Renew(connection, batch, me, first, 120));
    EXPECT_EQ(AnswerFate::Recorded,
              TeamAnswers::RecordHeld(connection, batch, first, TeamTest::Answer(me, 1, 1, 1, "teh", "the")).fate);
    EXPECT_EQ(AnswerFate::AlreadyRecorded,
              TeamAnswers::Record(connection, batch, TeamTest::Answer(me, 1, 1, 1, "teh", "the")).fate);
    EXPECT_TRUE(TeamPages::MarkDone(connection, batch, me, first));
    const TeamLease second = PageLeases::TakeNext(connection, batch, me, 120).value();
    EXPECT_TRUE(TeamPages::MarkFailed(connection, batch, me, second, "failed"));
    const TeamLease third = PageLeases::TakeNext(connection, batch, me, 120).value();
    const std::string output = "<meta name='ocr-system' content='tesseract 5.3.0' />";
    EXPECT_EQ(RecognitionFate::Recorded,
              TeamPages::RecordRecognition(connection, batch, third.position,
                                           {TeamDocument{"hocr", "", TeamTest::Sha256(connection, output), output}})
                  .fate);
    PageLeases::Release(connection, batch, me, third);
    EXPECT_EQ(1u, TeamProposals::After(connection, batch, 0).size());
    EXPECT_EQ(1, TeamStatusReport::Read(connection, batch, "job").done);
    EXPECT_EQ(1u, TeamExport::Read(connection, batch).pages.size());
    EXPECT_EQ(1u, TeamPages::Load(connection, batch, 3).source.documents.size());

    // The role is no more than that: it may not delete a row.
    try {
        Execute(connection, L"DELETE FROM tarsil_answers");
        ADD_FAILURE() << "the station's role deleted answers";
    } catch (const DatabaseError& error) {
        EXPECT_EQ("42501", error.SqlState()) << error.what();
    }
    connection.Rollback();

    // Nor may it make the tables: a database without them is refused, saying how to go on.
    DatabaseConnection elsewhere(TeamTest::Database(empty, kRole, kRolePassword));
    try {
        TeamSchema::Ensure(elsewhere);
        ADD_FAILURE() << "the station's role made the tables";
    } catch (const TeamRefusal& refusal) {
        EXPECT_EQ(TeamRefusalKind::MissingTables, refusal.Kind()) << refusal.what();
        EXPECT_NE(std::string::npos, std::string(refusal.what()).find("the role that owns the database"))
            << refusal.what();
    }
}
