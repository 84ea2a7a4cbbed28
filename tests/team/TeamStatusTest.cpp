// What --status and --export read from the database while stations work: pages by state
// and holder, each operator's figures, and the done pages with their recogniser output and
// answers in reading order.

#include "DatabaseConnection.h"
#include "PageLeases.h"
#include "TeamAnswers.h"
#include "TeamBatches.h"
#include "TeamExport.h"
#include "TeamPages.h"
#include "TeamSchema.h"
#include "TeamStatusReport.h"
#include "TeamTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A batch of five pages, the third without recogniser output, that ann and bob work on.
struct BatchAtWork {
    BatchAtWork()
    {
        TeamSchema::Ensure(connection);
        batch = TeamBatches::Open(connection, "job", TeamTest::Batch(connection, 5), TeamTest::Station("first")).id;
        PageLeases::Register(connection, batch, ann);
        PageLeases::Register(connection, batch, bob);
    }

    TeamDocument Document(const char* kind, const std::string& content)
    {
        return TeamDocument{kind, "", TeamTest::Sha256(connection, content), content};
    }
    // The hOCR of the batch's engine, once it is the first output recorded.
    TeamDocument EngineHocr() { return Document("hocr", "<meta name='ocr-system' content='tesseract 5.3.0' />"); }

    // Page 1 done by ann, its words answered out of their reading order.
    void AnnDoesPageOne()
    {
        const TeamLease one = PageLeases::TakeNext(connection, batch, ann, 120).value();
        TeamAnswer ignored = TeamTest::Answer(ann, 1, 1, 9, "later");
        ignored.place = 2;
        ignored.outcome = WordOutcome::kIgnore;
        ignored.seconds = 1;
        TeamAnswers::Record(connection, batch, ignored);
        TeamAnswer corrected = TeamTest::Answer(ann, 2, 1, 3, "teh", "the");
        corrected.place = 1;
        corrected.seconds = 3;
        TeamAnswers::Record(connection, batch, corrected);
        TeamPages::MarkDone(connection, batch, ann, one);
    }

    DatabaseConnection connection{TeamTest::FreshDatabase()};
    std::int64_t batch = 0;
    const TeamStation ann = TeamTest::Station("ann");
    const TeamStation bob = TeamTest::Station("bob");
};

} // namespace

TEST(TeamStatusReport, PagesByStateAndHolderAndEachOperatorsFigures)
{
    BatchAtWork work;
    DatabaseConnection& connection = work.connection;
    const std::int64_t batch = work.batch;
    work.AnnDoesPageOne();
    // Page 2 failed.
    const TeamLease two = PageLeases::TakeNext(connection, batch, work.ann, 120).value();
    EXPECT_TRUE(TeamPages::MarkFailed(connection, batch, work.ann, two, "the engine ended with status 1"));
    // Page 3 recognised by bob, who holds it; page 4 waits, given up by bob; page 5 has an
    // answer of bob's.
    const TeamLease three = PageLeases::TakeNext(connection, batch, work.bob, 120).value();
    ASSERT_EQ(3, three.position);
    TeamPages::RecordRecognition(connection, batch, 3, {work.Document("tsv", "engine tsv"), work.EngineHocr()});
    const TeamLease four = PageLeases::TakeNext(connection, batch, work.bob, 120).value();
    ASSERT_EQ(4, four.position);
    PageLeases::Release(connection, batch, work.bob, four);
    TeamAnswers::Record(connection, batch, TeamTest::Answer(work.bob, 1, 5, 1, "word"));

    const TeamStatus status = TeamStatusReport::Read(connection, batch, "job");
    EXPECT_EQ(5, status.pages);
    EXPECT_EQ(1, status.waiting);
    EXPECT_EQ(1, status.recognised);
    EXPECT_EQ(1, status.inProgress);
    EXPECT_EQ(1, status.done);
    EXPECT_EQ(1, status.failed);
    EXPECT_EQ(1, status.held);
    ASSERT_EQ(5u, status.pageStates.size());
    EXPECT_EQ("the engine ended with status 1", status.pageStates[1].failure);
    const TeamPageStatus& held = status.pageStates[2];
    EXPECT_TRUE(held.held);
    EXPECT_EQ("bob", held.holderOperator);
    EXPECT_EQ(work.bob.computer, held.holderComputer);
    EXPECT_GT(held.leaseSecondsLeft, 60);
    EXPECT_LE(held.leaseSecondsLeft, 120);
    ASSERT_EQ(2u, status.operators.size());
    const TeamOperatorFigures& annFigures = status.operators[0];
    EXPECT_EQ("ann", annFigures.operatorName);
    EXPECT_EQ(2, annFigures.words);
    EXPECT_EQ(1, annFigures.corrected);
    EXPECT_EQ(1, annFigures.ignored);
    EXPECT_EQ(2, annFigures.SecondsAWord());
    EXPECT_EQ(1800, annFigures.WordsAnHour());
    EXPECT_EQ(1, status.operators[1].words);
    EXPECT_EQ(3, status.words);
    EXPECT_GE(status.answeringSeconds, 0);
}

TEST(TeamPages, KeepThePagesFirstOutputOfTheBatchsEngineAndLoadItWithEveryDocument)
{
    BatchAtWork work;
    DatabaseConnection& connection = work.connection;
    // Its hOCR names the engine, now the batch's: a later output of the page, or another
    // engine's output of a page, is not kept.
    const TeamDocument hocr = work.EngineHocr();
    EXPECT_EQ(RecognitionFate::Recorded,
              TeamPages::RecordRecognition(connection, work.batch, 3, {work.Document("tsv", "engine tsv"), hocr}).fate);
    EXPECT_EQ(RecognitionFate::AnotherStands,
              TeamPages::RecordRecognition(connection, work.batch, 3, {work.Document("tsv", "late tsv")}).fate);
    const RecognitionReceipt older = TeamPages::RecordRecognition(
        connection, work.batch, 4, {work.Document("hocr", "<meta content=\"tesseract 4.1.1\" name=\"ocr-system\">")});
    EXPECT_EQ(RecognitionFate::OtherEngine, older.fate);
    EXPECT_EQ("tesseract 4.1.1", older.engine);
    EXPECT_EQ("tesseract 5.3.0", older.batchEngine);

    const TeamPage recognised = TeamPages::Load(connection, work.batch, 3);
    EXPECT_EQ(PageState::kRecognised, recognised.state);
    ASSERT_EQ(2u, recognised.source.documents.size());
    EXPECT_EQ(hocr.content, recognised.source.documents[0].content);
    EXPECT_EQ("engine tsv", recognised.source.documents[1].content);
}

TEST(PageLeases, APageGivenUpIsFreeAtOnceForTheNextTake)
{
    BatchAtWork work;
    const TeamLease first = PageLeases::TakeNext(work.connection, work.batch, work.bob, 120).value();
    PageLeases::Release(work.connection, work.batch, work.bob, first);
    const TeamLease again = PageLeases::TakeNext(work.connection, work.batch, work.bob, 120).value();
    EXPECT_EQ(first.position, again.position);
}

TEST(TeamExport, ReadsTheBatchsSettingsAndTheDonePagesWithTheirAnswersInReadingOrder)
{
    BatchAtWork work;
    work.AnnDoesPageOne();
    TeamAnswers::Record(work.connection, work.batch, TeamTest::Answer(work.bob, 1, 5, 1, "word"));

    const TeamExportData exported = TeamExport::Read(work.connection, work.batch);
    EXPECT_EQ(90, exported.batch.below);
    EXPECT_EQ(std::vector<std::string>{"Z:\\scans"}, exported.batch.inputs);
    ASSERT_EQ(1u, exported.pages.size());
    const TeamPage& done = exported.pages[0];
    EXPECT_EQ(1, done.source.position);
    ASSERT_EQ(1u, done.source.documents.size());
    EXPECT_EQ("tsv", done.source.documents[0].kind);
    ASSERT_EQ(2u, done.answers.size());
    EXPECT_EQ(3, done.answers[0].index); // reading order
    EXPECT_EQ(9, done.answers[1].index);
}
