// The truth's words matched to the engine's and compared by the transcription's conventions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TruthAlignment.h"
#include "TruthPage.h"
#include "TruthText.h"

namespace {

PageWords::Word EngineWord(int index, int line, Box box, const std::string& text)
{
    PageWords::Word word;
    word.index = index;
    word.line = line;
    word.box = box;
    word.text = text;
    return word;
}

} // namespace

TEST(TruthMatch, TheTranscriptionsConventionsFoldButTheLongSIsWrong)
{
    EXPECT_EQ(TruthText::Fold("a\xCD\xA4" "ber", false), "\xC3\xA4" "ber");          // a + U+0364
    EXPECT_EQ(TruthText::Fold("\xEE\x9C\xAB" "ber", false), "\xC3\xBC" "ber");       // U+E72B
    EXPECT_EQ(TruthText::Fold("a\xCC\x88", false), "\xC3\xA4");                      // NFC
    EXPECT_EQ(TruthText::Fold("\xE2\x80\x9EJa\xE2\x80\x9C", false), "\"Ja\"");       // „Ja“
    EXPECT_EQ(TruthText::Fold("Ge\xE2\xB8\x97", false), "Ge-");                      // ⸗
    EXPECT_EQ(TruthText::Fold("Ge=", false), "Ge-");
    EXPECT_EQ(TruthText::Fold("=", false), "=");
    EXPECT_TRUE(TruthText::Wrong("sa\xC3\x9F", "\xC5\xBF" "a\xC3\x9F"));          // saß, ſaß
    EXPECT_EQ(TruthText::Fold("\xC5\xBF" "a\xC3\x9F", true), "sa\xC3\x9F");
    EXPECT_FALSE(TruthText::Wrong("\xE2\x80\x9A" "so\xE2\x80\x98", "'so'"));
    EXPECT_DOUBLE_EQ(TruthText::Distance("Hund", "Hand"), 0.25);
    EXPECT_DOUBLE_EQ(TruthText::Distance("", ""), 0.0);
}

TEST(TruthMatch, ByBoxAWordPairsOnlyWhenItsGroupIsOneToOne)
{
    TruthPage truth;
    truth.lines.push_back({{0, 0, 400, 20},
                           "",
                           {{{0, 0, 40, 20}, "Der"},
                            {{50, 0, 40, 20}, "alte"},
                            {{95, 0, 40, 20}, "Mann"},
                            {{200, 0, 40, 20}, "sah"},
                            {{300, 0, 40, 20}, "es"}}});
    const PageWords engine({EngineWord(2, 0, {0, 0, 38, 20}, "Der"),       // one to one
                            EngineWord(3, 0, {50, 0, 85, 20}, "alteMann"), // two truth words: merged
                            EngineWord(4, 0, {200, 0, 18, 20}, "s"),       // one truth word read as two: split
                            EngineWord(5, 0, {220, 0, 20, 20}, "ah"),
                            EngineWord(6, 0, {500, 0, 20, 20}, "x")}, // nothing there: added
                           1);
    const TruthAlignment alignment = TruthAlignment::Match(engine, truth);
    EXPECT_EQ(alignment.Pairs(), (std::map<int, std::string>{{2, "Der"}}));
    EXPECT_EQ(alignment.Apart().merged, 1);
    EXPECT_EQ(alignment.Apart().split, 1);
    EXPECT_EQ(alignment.Apart().added, 1);
    EXPECT_EQ(alignment.Apart().missed, 1); // "es"
}

TEST(TruthMatch, ByLineTheWordsAlignBySequenceWithMergesAndSplits)
{
    TruthPage truth;
    truth.lines.push_back({{0, 0, 500, 30}, "Es war ein kalter Wintertag", {}});
    truth.lines.push_back({{0, 40, 500, 30}, "und", {}});
    // The engine's first line in two parts, the right one first; a line far from any truth line.
    const PageWords engine({EngineWord(2, 0, {300, 0, 100, 30}, "Winter tag"),
                            EngineWord(3, 1, {0, 0, 20, 30}, "Es"),
                            EngineWord(4, 1, {30, 0, 60, 30}, "warein"),
                            EngineWord(5, 1, {100, 0, 60, 30}, "kaltcr"),
                            EngineWord(6, 2, {0, 40, 40, 30}, "vnd"),
                            EngineWord(7, 3, {0, 900, 40, 30}, "Seite")},
                           4);
    const TruthAlignment alignment = TruthAlignment::Match(engine, truth);
    EXPECT_EQ(alignment.Pairs(),
              (std::map<int, std::string>{{2, "Wintertag"}, {3, "Es"}, {5, "kalter"}, {6, "und"}}));
    EXPECT_EQ(alignment.Apart().merged, 1); // "warein"
    EXPECT_EQ(alignment.Apart().added, 1);  // "Seite"
    EXPECT_EQ(alignment.Apart().split, 0);
    EXPECT_EQ(alignment.Apart().missed, 0);
}

TEST(TruthMatch, PageAndAltoTruthsGiveTheirSizeLinesAndWords)
{
    const TruthPage page = TruthPage::Parse(
        "<PcGts xmlns='http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15'>"
        "<Page imageWidth='600' imageHeight='800'><TextRegion id='r'><TextLine id='l'>"
        "<Coords points='10,20 110,20 110,50 10,50'/>"
        "<Word id='w'><Coords points='10,20 50,20 50,50'/><TextEquiv index='2'><Unicode>Jhr</Unicode></TextEquiv>"
        "<TextEquiv index='1'><Unicode>Ihr</Unicode></TextEquiv></Word>"
        "<TextEquiv><Unicode>Ihr Haus</Unicode></TextEquiv></TextLine></TextRegion></Page></PcGts>",
        L"page.xml");
    EXPECT_EQ(page.width, 600);
    EXPECT_EQ(page.height, 800);
    ASSERT_EQ(page.lines.size(), 1u);
    EXPECT_EQ(page.lines[0].box, (Box{10, 20, 100, 30}));
    EXPECT_EQ(page.lines[0].text, "Ihr Haus");
    ASSERT_EQ(page.lines[0].words.size(), 1u);
    EXPECT_EQ(page.lines[0].words[0].text, "Ihr");
    EXPECT_EQ(page.lines[0].words[0].box, (Box{10, 20, 40, 30}));

    const TruthPage alto = TruthPage::Parse(
        "<alto xmlns='http://www.loc.gov/standards/alto/ns-v4#'><Description><MeasurementUnit>pixel"
        "</MeasurementUnit></Description><Layout><Page WIDTH='300' HEIGHT='400'><PrintSpace><TextBlock>"
        "<TextLine HPOS='5' VPOS='6' WIDTH='90' HEIGHT='20'><String HPOS='5' VPOS='6' WIDTH='40' HEIGHT='20' "
        "CONTENT='Ein'/><SP/><String HPOS='50' VPOS='6' WIDTH='45' HEIGHT='20' CONTENT='Tag'/></TextLine>"
        "</TextBlock></PrintSpace></Page></Layout></alto>",
        L"alto.xml");
    EXPECT_EQ(alto.width, 300);
    ASSERT_EQ(alto.lines.size(), 1u);
    EXPECT_EQ(alto.lines[0].text, "Ein Tag");
    ASSERT_EQ(alto.lines[0].words.size(), 2u);
    EXPECT_EQ(alto.lines[0].words[1].box, (Box{50, 6, 45, 20}));
}
