// Words beyond ASCII, through the whole way: UTF-8 in the TSV, UTF-16 in the dialog, UTF-8
// in every output.

#include <gtest/gtest.h>

#include <windows.h>

#include <clocale>
#include <string>
#include <string_view>
#include <vector>

#include "AtomicFile.h"
#include "ParseNumber.h"
#include "ScratchFolder.h"
#include "SessionJournal.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "Utf8.h"
#include "VerificationSession.h"
#include "dialog/ControlIds.h"

TEST(StationText, NonAsciiWordsAndTypographicQuotesRoundTripThroughTheDialog)
{
    ScratchFolder folder;
    // "Größe", "„Zitat“" and "𝔉raktur" (U+1D509: two UTF-16 units), as Tesseract writes them.
    const std::string umlauts = "Gr\xC3\xB6\xC3\x9F" "e";
    const std::string quoted = "\xE2\x80\x9EZitat\xE2\x80\x9C";
    const std::string fraktur = "\xF0\x9D\x94\x89raktur";
    const std::string header =
        "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n";
    std::string error;
    ASSERT_TRUE(AtomicFile::Write(folder / L"words.tsv",
                                  header + "5\t1\t1\t1\t1\t1\t74\t12\t68\t18\t40\t" + umlauts + "\n" +
                                      "5\t1\t1\t1\t1\t2\t151\t14\t140\t24\t41\t" + quoted + "\n" +
                                      "5\t1\t1\t1\t2\t1\t89\t49\t69\t17\t42\t" + fraktur + "\n",
                                  error))
        << error;
    StationOptions options;
    options.image = StationData(L"page.png");
    options.tsv = folder / L"words.tsv";
    options.out = folder / L"out";

    // The operator's corrections, typed as UTF-16 units.
    const std::wstring typedWord = L"\u2018Stra\u00dfe\u2019\u2014na\u00efve";
    std::vector<std::wstring> shown;
    DialogDriver driver(30000);
    auto remember = [&shown](DialogDriver& d) { shown.push_back(d.ControlText(IDC_TEXT)); };
    AnswerWord(driver, 1, 3, [&](DialogDriver& d) { d.Do(remember).Click(IDOK); });
    AnswerWord(driver, 2, 3, [&](DialogDriver& d) { d.Do(remember).Type(IDC_TEXT, typedWord).Click(IDOK); });
    AnswerWord(driver, 3, 3, [&](DialogDriver& d) { d.Do(remember).Click(IDOK); });
    VerificationSession session(options, &RastStartDialog, [](const std::string&) {});
    session.Prepare();
    session.Run();
    ASSERT_TRUE(driver.Finished());

    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], L"Gr\u00f6\u00dfe");
    EXPECT_EQ(shown[1], L"\u201eZitat\u201c");
    EXPECT_EQ(shown[2], L"\U0001D509raktur");

    const std::string typed = "\xE2\x80\x98Stra\xC3\x9F" "e\xE2\x80\x99\xE2\x80\x94na\xC3\xAFve";
    const std::vector<VerifiedWord>& words = session.Record().pages.at(0).words;
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].corrected, umlauts);
    EXPECT_FALSE(words[0].changed);
    EXPECT_EQ(words[1].corrected, typed);
    EXPECT_TRUE(words[1].changed);
    EXPECT_EQ(words[2].corrected, fraktur);
    EXPECT_FALSE(words[2].changed);

    const std::vector<std::string> verified = Lines(FileBytes(folder / L"out\\verified.tsv"));
    ASSERT_EQ(verified.size(), 4u);
    EXPECT_EQ(verified[1], "5\t1\t1\t1\t1\t1\t74\t12\t68\t18\t100\t" + umlauts);
    EXPECT_EQ(verified[2], "5\t1\t1\t1\t1\t2\t151\t14\t140\t24\t100\t" + typed);
    EXPECT_EQ(verified[3], "5\t1\t1\t1\t2\t1\t89\t49\t69\t17\t100\t" + fraktur);
    EXPECT_EQ(FileBytes(folder / L"out\\train\\0003.gt.txt"), typed + "\n");
    EXPECT_EQ(FileBytes(folder / L"out\\text.txt"), umlauts + " " + typed + "\n" + fraktur + "\n");
    // session.json holds the same UTF-8, unescaped.
    const std::string journal = FileBytes(folder / L"out\\session.json");
    EXPECT_NE(journal.find("\"corrected\": \"" + typed + "\""), std::string::npos);
    EXPECT_NE(journal.find("\"text\": \"" + fraktur + "\""), std::string::npos);
}

TEST(StationText, Utf8ConversionRefusesInvalidBytesAndKeepsEveryValidOne)
{
    std::wstring wide;
    for (const char* invalid : {"\xC3\x28", "\xE2\x80", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80", "\xC0\xAF"}) {
        EXPECT_FALSE(Utf8ToWide(invalid, wide)) << invalid;
    }
    const std::string valid = "a\xC3\xA9\xE2\x80\x9C\xF0\x9D\x94\x89";
    ASSERT_TRUE(Utf8ToWide(valid, wide));
    EXPECT_EQ(wide, L"a\u00e9\u201c\U0001D509");
    EXPECT_EQ(WideToUtf8(wide), valid);
}

// The number parser every reader shares: whole text only, within bounds, no locale.
TEST(StationText, NumbersAreParsedWholeBoundedAndWithoutTheLocale)
{
    ::_wsetlocale(LC_ALL, L"German_Germany.1252"); // a decimal comma: must change nothing
    double decimal = -7;
    EXPECT_TRUE(ParseDecimal(std::string_view("-12.5e1"), -1000, 1000, decimal));
    EXPECT_EQ(decimal, -125.0);
    EXPECT_TRUE(ParseDecimal(std::wstring_view(L"0.015"), -1, 1, decimal));
    EXPECT_EQ(decimal, 0.015);
    for (const char* bad : {"", " 1", "1 ", "+1", "1,5", "0x10", "inf", "nan", "1e308", "1e999", "1.5.5", "2147483647"}) {
        SCOPED_TRACE(bad);
        double value = -7;
        EXPECT_FALSE(ParseDecimal(std::string_view(bad), -1e6, 1e6, value));
        EXPECT_EQ(value, -7); // untouched
    }
    long long whole = -7;
    EXPECT_TRUE(ParseInteger(std::string_view("-1"), -1, 100, whole));
    EXPECT_EQ(whole, -1);
    for (const char* bad : {"1.0", "-2", "101", "99999999999999999999", "1e2", "\xD9\xA1"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseInteger(std::string_view(bad), -1, 100, whole));
    }
    EXPECT_FALSE(ParseInteger(std::wstring_view(L"\u0661"), 0, 9, whole)); // an Arabic-Indic one
    ::_wsetlocale(LC_ALL, L"C");
}

TEST(StationText, AJournalsWholeNumbersOutsideAnIntAreRefused)
{
    SessionRecord written;
    written.pages.resize(1);
    written.pages[0].words.resize(1);
    written.pages[0].words[0].outcome = WordOutcome::kOk;
    const std::string journal = SessionJournal::ToJson(written);
    SessionRecord read;
    std::string error;
    ASSERT_TRUE(SessionJournal::FromJson(journal, read, error)) << error;
    for (const char* bad : {"1e300", "2147483648", "-2147483649", "18446744073709551615", "1.5"}) {
        SCOPED_TRACE(bad);
        std::string tampered = journal;
        const std::string frame = "\"frame\": 1";
        const size_t at = tampered.find(frame);
        ASSERT_NE(at, std::string::npos);
        tampered.replace(at, frame.size(), "\"frame\": " + std::string(bad));
        EXPECT_FALSE(SessionJournal::FromJson(tampered, read, error));
        EXPECT_NE(error.find("not a whole number"), std::string::npos) << error;
    }
}
