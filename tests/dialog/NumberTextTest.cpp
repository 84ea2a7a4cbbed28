// Numbers as the dialog shows and reads them.

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "dialog/NumberText.h"

namespace {

std::wstring Fixed6(double value)
{
    wchar_t text[kFixed6Capacity];
    const std::size_t length = FormatFixed6(value, text);
    EXPECT_EQ(length, std::wcslen(text));
    return text;
}

// The reference: the standard library's exact fixed formatting.
std::wstring Reference(double value)
{
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::wstring(text, result.ptr);
}

} // namespace

TEST(NumberTextFormat, SixDecimalsWithAFullStop)
{
    EXPECT_EQ(Fixed6(12.5), L"12.500000");
    EXPECT_EQ(Fixed6(-3.0), L"-3.000000");
    EXPECT_EQ(Fixed6(0.0), L"0.000000");
    EXPECT_EQ(Fixed6(-0.0), L"-0.000000");
    EXPECT_EQ(Fixed6(1e20), L"100000000000000000000.000000");
    EXPECT_EQ(Fixed6(std::numeric_limits<double>::infinity()), L"inf");
    EXPECT_EQ(Fixed6(-std::numeric_limits<double>::infinity()), L"-inf");
    EXPECT_EQ(Fixed6(std::nan("")), L"nan");
    EXPECT_EQ(Fixed6(-std::nan("")), L"-nan");
    wchar_t integer[12];
    FormatInteger(-2147483647 - 1, integer);
    EXPECT_EQ(std::wstring(integer), L"-2147483648");
}

TEST(NumberTextFormat, RoundsExactlyToNearestWithTiesToEven)
{
    // 0.1234565 is stored a little below the tie; 0.0000005 likewise; 2.5e-6 + 2^-k
    // are exact ties only where the binary value is exactly halfway.
    EXPECT_EQ(Fixed6(0.1234565), L"0.123456");
    EXPECT_EQ(Fixed6(0.0000005), L"0.000000");
    EXPECT_EQ(Fixed6(0.0000015), L"0.000002");
    EXPECT_EQ(Fixed6(std::ldexp(1.0, -21)), L"0.000000"); // 4.76837158203125e-07
    EXPECT_EQ(Fixed6(0.5 + std::ldexp(1.0, -30)), L"0.500000");
    EXPECT_EQ(Fixed6(999999.9999995), L"999999.999999");
    EXPECT_EQ(Fixed6(0.9999995), L"1.000000");
}

TEST(NumberTextFormat, AgreesWithTheStandardLibraryOnEveryKindOfValue)
{
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t bits = random();
        if (i % 4 == 0) {
            // Values near the six-decimal grid, where rounding matters.
            const double grid = std::floor(std::ldexp(static_cast<double>(bits >> 11), -53) * 1e8) / 1e6;
            const double nudged = std::nextafter(grid + 5e-7, (bits & 1) ? 0.0 : 1e9);
            std::memcpy(&bits, &nudged, sizeof bits);
        }
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isnan(value)) {
            continue;
        }
        ASSERT_EQ(Fixed6(value), Reference(value)) << std::hexfloat << value;
    }
    const double extremes[] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::denorm_min(), 4503599627370496.5, 9007199254740993.0,
                               1e15 + 0.3, 123456789.0000005, 0.0000004999999999999999};
    for (double value : extremes) {
        EXPECT_EQ(Fixed6(value), Reference(value));
        EXPECT_EQ(Fixed6(-value), Reference(-value));
    }
}

TEST(NumberTextFormat, EveryFiniteValueIsWrittenInFullAndReadBackExactly)
{
    const double largest = std::numeric_limits<double>::max();
    const std::wstring text = Fixed6(-largest);
    EXPECT_EQ(text.size(), 317u);
    EXPECT_LT(text.size(), kFixed6Capacity);
    EXPECT_EQ(ParseNumber(text.c_str()), -largest);
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

    // However long the field: a number 20,000 digits long is read whole.
    std::wstring longNumber = L"0." + std::wstring(20000, L'0') + L"1e20005";
    EXPECT_EQ(ParseNumber(longNumber.c_str()), 10000.0);
}

TEST(NumberTextParse, IgnoresTheProcessLocale)
{
    ASSERT_NE(std::setlocale(LC_ALL, "German_Germany.1252"), nullptr);
    const double parsed = ParseNumber(L"2.75");
    const std::wstring formatted = Fixed6(2.75);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(parsed, 2.75);
    EXPECT_EQ(formatted, L"2.750000");
}
