// The second reading's word for a word of the first, by the area their boxes share, and the
// folding under which the two readings are compared.

#include <gtest/gtest.h>

#include "SecondReading.h"

namespace {

PageWords::Word At(int left, int top, int width, int height, const char* text)
{
    PageWords::Word word;
    word.box = {left, top, width, height};
    word.text = text;
    return word;
}

} // namespace

TEST(SecondReading, TheWordSharingTheMostAreaFirstAmongEqualsAndNoneWithoutOverlap)
{
    const PageWords second({At(90, 10, 20, 20, "Wart"), At(110, 10, 40, 20, "Wort"), At(110, 10, 40, 20, "Wert"),
                            At(10, 10, 40, 20, "Hau\xC5\xBF"), At(300, 10, 40, 20, "Rechts")},
                           1);
    const PageWords::Word word = At(100, 10, 50, 20, "Wort");
    ASSERT_EQ(SecondReading::Match(word, second), &second.Words()[1]); // 800 shared, not the left one's 200
    EXPECT_FALSE(SecondReading::Differs(word, second));
    EXPECT_TRUE(SecondReading::Differs(At(100, 10, 50, 20, "Wert"), second));
    EXPECT_FALSE(SecondReading::Differs(At(12, 12, 30, 10, "Haus"), second)); // the long s read as s
    // Touching at an edge shares no area.
    const PageWords::Word alone = At(340, 10, 10, 20, "Rechts");
    EXPECT_EQ(SecondReading::Match(alone, second), nullptr);
    EXPECT_TRUE(SecondReading::Differs(alone, second));
    EXPECT_TRUE(SecondReading::Differs(word, PageWords()));
}

TEST(SecondReading, FoldsQuotesDashesAndALineEndHyphenOnly)
{
    EXPECT_EQ(SecondReading::Folded("\xE2\x80\x9EWort\xE2\x80\x9C"), "\"Wort\"");        // „Wort“
    EXPECT_EQ(SecondReading::Folded("\xC2\xBB" "ab\xE2\x80\xB3"), "\"ab\"");             // »ab″
    EXPECT_EQ(SecondReading::Folded("\xE2\x80\x99s\xE2\x80\xB9"), "'s'");                 // ’s‹
    EXPECT_EQ(SecondReading::Folded("a\xE2\x80\x93" "b\xE2\x88\x92" "c\xE2\xB8\x97"), "a-b-c-"); // a–b−c⸗
    EXPECT_EQ(SecondReading::Folded("Ge="), "Ge-");
    EXPECT_EQ(SecondReading::Folded("Ge\xC2\xAC"), "Ge-"); // Ge¬
    EXPECT_EQ(SecondReading::Folded("="), "=");            // one code point: no line end
    EXPECT_EQ(SecondReading::Folded("a=b"), "a=b");
    EXPECT_EQ(SecondReading::Folded("\xC3\xA4" "u"), "\xC3\xA4" "u"); // ä kept
}
