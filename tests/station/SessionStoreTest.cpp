// The session's logic through its store alone: a store held in memory, no journal file.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "RecordedSession.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "VerificationSession.h"
#include "dialog/ControlIds.h"

namespace {

// A store kept nowhere but in memory, which counts how often it was asked to keep the record
// and can tell the session that another station answered a word first.
class MemoryStore : public RecordedSession {
public:
    MemoryStore(SessionRecord record, int* keeps, int answeredElsewhere)
        : RecordedSession(std::move(record))
        , m_keeps(keeps)
        , m_answeredElsewhere(answeredElsewhere)
    {
    }

    AnswerFate RecordAnswer(size_t position, VerifiedWord& word, const PageWords& readingOrder) override
    {
        if (word.index == m_answeredElsewhere) {
            return AnswerFate::kAnsweredByAnother;
        }
        return RecordedSession::RecordAnswer(position, word, readingOrder);
    }

protected:
    void Write(const SessionRecord&) override { ++*m_keeps; }

private:
    int* m_keeps;
    int m_answeredElsewhere;
};

// Three uncertain words, two of them recognised alike.
StationOptions ThreeWords(const ScratchFolder& folder)
{
    const std::string tsv =
        "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n"
        "5\t1\t1\t1\t1\t1\t74\t12\t68\t18\t40\tteh\n"
        "5\t1\t1\t1\t1\t2\t151\t14\t140\t24\t41\tteh\n"
        "5\t1\t1\t1\t2\t1\t89\t49\t69\t17\t42\tqu\n";
    std::string error;
    EXPECT_TRUE(AtomicFile::Write(folder / L"words.tsv", tsv, error)) << error;
    StationOptions options;
    options.image = StationData(L"page.png");
    options.tsv = folder / L"words.tsv";
    options.out = folder / L"out";
    return options;
}

} // namespace

// Resumed from what the store holds: the word it has an answer for is not shown again, its
// correction is proposed to the same recognised text, and the figures count every answer;
// the store is kept with each answer and no journal file is written.
TEST(SessionStore, ResumesProposesAndCountsThroughTheStoreAlone)
{
    ScratchFolder folder;
    int keeps = 0;
    const auto makeStore = [&keeps](SessionRecord record) -> std::unique_ptr<SessionStore> {
        VerifiedWord earlier;
        earlier.index = 2; // the TSV's line
        earlier.box = {74, 12, 68, 18};
        earlier.text = "teh";
        earlier.confidence = 40;
        earlier.outcome = WordOutcome::kOk;
        earlier.corrected = "the";
        earlier.changed = true;
        earlier.order = 1;
        record.pages.at(0).words.push_back(earlier);
        return std::make_unique<MemoryStore>(std::move(record), &keeps, 0);
    };
    std::wstring proposed;
    DialogDriver driver(30000);
    AnswerWord(driver, 2, 3, [&](DialogDriver& d) {
        d.Do([&](DialogDriver& shown) { proposed = shown.ControlText(IDC_TEXT); }).Click(IDOK);
    });
    AnswerWord(driver, 3, 3, [](DialogDriver& d) { d.Click(TARSIL_TEXT_IGNORE); });
    VerificationSession session(ThreeWords(folder), &RastStartDialog, [](const std::string&) {}, makeStore);
    session.Prepare();
    const VerificationSession::Summary summary = session.Run();
    ASSERT_TRUE(driver.Finished());

    EXPECT_EQ(proposed, L"the");
    EXPECT_EQ(summary.earlier, 1);
    const SessionRecord& record = session.Record();
    ASSERT_EQ(record.pages.at(0).words.size(), 3u);
    EXPECT_EQ(record.pages[0].words[1].corrected, "the");
    EXPECT_EQ(record.pages[0].words[1].proposal, ProposalFate::kAccepted);
    EXPECT_EQ(record.pages[0].words[1].order, 2);
    EXPECT_EQ(record.pages[0].words[2].outcome, WordOutcome::kIgnore);
    EXPECT_EQ(record.pages[0].words[2].order, 3);
    EXPECT_EQ(record.summary.shown, 3);
    EXPECT_EQ(record.summary.corrected, 2);
    EXPECT_EQ(record.summary.ignored, 1);
    EXPECT_TRUE(record.finished);
    EXPECT_GE(keeps, 2);
    EXPECT_EQ(::GetFileAttributesW((folder / L"out\\session.json").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A word another station answered first: the session says so, keeps nothing of its own
// answer (nor proposes its correction) and goes on with the next word.
TEST(SessionStore, AWordAnsweredByAnotherFirstIsNotRecordedAndTheSessionGoesOn)
{
    ScratchFolder folder;
    int keeps = 0;
    const auto makeStore = [&keeps](SessionRecord record) -> std::unique_ptr<SessionStore> {
        return std::make_unique<MemoryStore>(std::move(record), &keeps, 2); // the first word's line
    };
    std::wstring offered;
    DialogDriver driver(30000);
    AnswerWord(driver, 1, 3, [](DialogDriver& d) { d.Type(IDC_TEXT, L"ten").Click(IDOK); });
    AnswerWord(driver, 2, 3, [&](DialogDriver& d) {
        d.Do([&](DialogDriver& shown) { offered = shown.ControlText(IDC_TEXT); }).Click(IDOK);
    });
    AnswerWord(driver, 3, 3, [](DialogDriver& d) { d.Click(IDOK); });
    std::vector<std::string> printed;
    VerificationSession session(ThreeWords(folder), &RastStartDialog,
                                [&printed](const std::string& line) { printed.push_back(line); }, makeStore);
    session.Prepare();
    session.Run();
    ASSERT_TRUE(driver.Finished());

    EXPECT_EQ(offered, L"teh");
    const std::vector<VerifiedWord>& words = session.Record().pages.at(0).words;
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].index, 3);
    EXPECT_EQ(words[1].index, 4);
    bool told = false;
    for (const std::string& line : printed) {
        told = told || line.find("answered by another station first") != std::string::npos;
    }
    EXPECT_TRUE(told);
}
