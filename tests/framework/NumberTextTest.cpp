// Numbers as the dialog shows and reads them.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "dialog/NumberText.h"

TEST(NumberTextFormat, SixDecimalsWithAFullStop)
{
    EXPECT_EQ(FormatFixed6(12.5), L"12.500000");
    EXPECT_EQ(FormatFixed6(-3.0), L"-3.000000");
    EXPECT_EQ(FormatFixed6(-0.0), L"-0.000000");
    EXPECT_EQ(FormatFixed6(1.2345675), L"1.234568");
    EXPECT_EQ(FormatFixed6(1e20), L"100000000000000000000.000000");
    EXPECT_EQ(FormatFixed6(std::numeric_limits<double>::infinity()), L"inf");
    EXPECT_EQ(FormatFixed6(-std::numeric_limits<double>::infinity()), L"-inf");
    EXPECT_EQ(FormatFixed6(std::nan("")), L"nan");
    EXPECT_EQ(FormatInteger(-2147483647 - 1), L"-2147483648");
}

TEST(NumberTextFormat, EveryFiniteValueIsWrittenInFull)
{
    const double largest = std::numeric_limits<double>::max();
    const std::wstring text = FormatFixed6(-largest);
    EXPECT_EQ(text.size(), 317u);
    EXPECT_EQ(ParseNumber(text), -largest);
    EXPECT_EQ(FormatFixed6(std::numeric_limits<double>::denorm_min()), L"0.000000");
}

TEST(NumberTextParse, ConvertsTheLongestNumericPrefix)
{
    struct Case {
        const wchar_t* text;
        double value;
    };
    const Case cases[] = {
        {L"12.5", 12.5},     {L"  \t\n7", 7.0},   {L"+4", 4.0},       {L"-2.5e3x", -2500.0},
        {L"12abc", 12.0},    {L"1e", 1.0},        {L"1e+", 1.0},      {L".5", 0.5},
        {L"5.", 5.0},        {L"0x1p4", 16.0},    {L"-0X.8", -0.5},   {L"0x", 0.0},
        {L"0xg", 0.0},       {L"abc", 0.0},       {L"", 0.0},         {L"--1", 0.0},
        {L"+-1", 0.0},       {L"1,5", 1.0},       {L"1\x00e9", 1.0},  {L"INF", INFINITY},
        {L"-Infinity", -INFINITY}, {L"1e400", INFINITY}, {L"-1e400", -INFINITY}, {L"1e-400", 0.0},
        {L"0.000000000000000000000000000000000000000001e-300", 0.0},
        {L"1000000000000000000000000000000000000000000e300", INFINITY},
        {L"0x1p-1080", 0.0}, {L"0x1p1030", INFINITY},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseNumber(c.text), c.value) << std::string(c.text, c.text + wcslen(c.text));
    }
    EXPECT_TRUE(std::isnan(ParseNumber(L"nan")));
    EXPECT_TRUE(std::isnan(ParseNumber(L" NaN(123)")));
    EXPECT_TRUE(std::signbit(ParseNumber(L"-0")));
}

TEST(NumberTextParse, IgnoresTheProcessLocale)
{
    ASSERT_NE(std::setlocale(LC_ALL, "German_Germany.1252"), nullptr);
    const double parsed = ParseNumber(L"2.75");
    const std::wstring formatted = FormatFixed6(2.75);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(parsed, 2.75);
    EXPECT_EQ(formatted, L"2.750000");
}
