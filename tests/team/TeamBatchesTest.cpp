// A batch by its name: created by one of several stations starting at once, joined by the
// others with the same inputs or none, refused to a station whose inputs differ.

#include "DatabaseConnection.h"
#include "TeamBatches.h"
#include "TeamRefusal.h"
#include "TeamSchema.h"
#include "TeamTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The refusal of joining `name` with `inputs`.
std::string Refusal(DatabaseConnection& connection, const std::string& name, const TeamBatchDefinition& inputs,
                    TeamRefusalKind expected)
{
    try {
        TeamBatches::Open(connection, name, inputs, TeamTest::Station("late"));
    } catch (const TeamRefusal& refusal) {
        EXPECT_EQ(expected, refusal.Kind()) << refusal.what();
        return refusal.what();
    }
    return "joined";
}

} // namespace

TEST(TeamBatches, CreatedByOneOfThoseStartingAtOnceAndJoinedWithTheSameInputsOrNone)
{
    const std::wstring database = TeamTest::FreshDatabase();
    DatabaseConnection connection(database);
    TeamSchema::Ensure(connection);
    const TeamBatchDefinition inputs = TeamTest::Batch(connection, 4);

    TeamBatch opened[3];
    std::vector<std::function<void()>> stations;
    for (TeamBatch& batch : opened) {
        stations.push_back([&] {
            DatabaseConnection own(database);
            batch = TeamBatches::Open(own, "job \xE2\x80\x93 1", inputs, TeamTest::Station("first"));
        });
    }
    TeamTest::AtOnce(stations);
    int created = 0;
    for (const TeamBatch& batch : opened) {
        created += batch.created ? 1 : 0;
        EXPECT_EQ(opened[0].id, batch.id);
        ASSERT_EQ(4u, batch.definition.pages.size());
    }
    EXPECT_EQ(1, created);

    // A station without inputs gets the batch's own, bytes and all.
    TeamBatchDefinition none;
    none.below = 50; // the batch's thresholds win
    const TeamBatch joined = TeamBatches::Open(connection, "job \xE2\x80\x93 1", none, TeamTest::Station("joining"));
    EXPECT_FALSE(joined.created);
    EXPECT_EQ(90, joined.definition.below);
    EXPECT_EQ(80, joined.definition.charBelow);
    EXPECT_EQ(inputs.inputs, joined.definition.inputs);
    ASSERT_EQ(inputs.pages.size(), joined.definition.pages.size());
    for (size_t i = 0; i < inputs.pages.size(); ++i) {
        const TeamPageSource& given = inputs.pages[i];
        const TeamPageSource& stored = joined.definition.pages[i];
        EXPECT_EQ(given.name, stored.name);
        EXPECT_EQ(given.imagePath, stored.imagePath);
        EXPECT_EQ(given.imageSha256, stored.imageSha256);
        EXPECT_EQ(given.byStation, stored.byStation);
        ASSERT_EQ(given.documents.size(), stored.documents.size());
        for (size_t d = 0; d < given.documents.size(); ++d) {
            EXPECT_EQ(given.documents[d].content, stored.documents[d].content);
            EXPECT_EQ(given.documents[d].sha256, stored.documents[d].sha256);
        }
    }
}

TEST(TeamBatches, AJoiningStationWithOtherInputsIsRefusedNamingTheFile)
{
    DatabaseConnection connection(TeamTest::FreshDatabase());
    TeamSchema::Ensure(connection);
    TeamBatchDefinition inputs = TeamTest::Batch(connection, 3);
    TeamBatches::Open(connection, "job", inputs, TeamTest::Station("first"));

    // The same content under other paths (another drive letter for the share) joins.
    TeamBatchDefinition elsewhere = inputs;
    for (TeamPageSource& page : elsewhere.pages) {
        page.imagePath.replace(0, 1, "Y");
    }
    EXPECT_EQ("joined", Refusal(connection, "job", elsewhere, TeamRefusalKind::InputsDiffer));

    TeamBatchDefinition rescanned = inputs;
    rescanned.pages[1].imageSha256 = TeamTest::Sha256(connection, "rescanned");
    EXPECT_NE(std::string::npos, Refusal(connection, "job", rescanned, TeamRefusalKind::InputsDiffer)
                                     .find("Z:\\scans\\page2.png: its content is not that of the batch's page"));

    TeamBatchDefinition edited = inputs;
    edited.pages[0].documents[0].sha256 = TeamTest::Sha256(connection, "edited");
    EXPECT_NE(std::string::npos, Refusal(connection, "job", edited, TeamRefusalKind::InputsDiffer)
                                     .find("Z:\\scans\\page1.tsv: its content is not that of the batch's recogniser"));

    TeamBatchDefinition longer = TeamTest::Batch(connection, 4);
    EXPECT_NE(std::string::npos, Refusal(connection, "job", longer, TeamRefusalKind::InputsDiffer)
                                     .find("Z:\\scans\\page4.png: not part of the batch, which has 3 pages"));

    EXPECT_NE(std::string::npos, Refusal(connection, "another", TeamBatchDefinition(), TeamRefusalKind::NoSuchBatch)
                                     .find("no batch \"another\""));
}
