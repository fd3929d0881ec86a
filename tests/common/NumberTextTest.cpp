// Field-text numbers: parsing with an explicit separator, default formatting, display rounding.
#include "common/NumberText.h"
#include "common/SettingsStore.h"

#include <gtest/gtest.h>

using namespace velrok;

TEST(ParseNumber, AcceptsTheGivenSeparatorOnly)
{
    EXPECT_DOUBLE_EQ(ParseNumber("2,55", ',').value, 2.55);
    EXPECT_DOUBLE_EQ(ParseNumber(" -1,5 ", ',').value, -1.5);
    EXPECT_DOUBLE_EQ(ParseNumber("2.55", '.').value, 2.55);
    EXPECT_DOUBLE_EQ(ParseNumber(",5", ',').value, 0.5);
    EXPECT_DOUBLE_EQ(ParseNumber("1,5E3", ',').value, 1500.0);
    EXPECT_EQ(ParseNumber("2.55", ',').status, ParseStatus::NotANumber);
    EXPECT_EQ(ParseNumber("1,2,3", ',').status, ParseStatus::NotANumber);
}

TEST(ParseNumber, TellsEmptyFromNotANumber)
{
    EXPECT_EQ(ParseNumber("", ',').status, ParseStatus::Empty);
    EXPECT_EQ(ParseNumber("   ", ',').status, ParseStatus::Empty);
    for (const char* bad : {"abc", "-", ",", "1e", "0x10", "inf", "nan", "1 2", "1e999"})
        EXPECT_EQ(ParseNumber(bad, ',').status, ParseStatus::NotANumber) << bad;
}

TEST(FormatNumber, FifteenDigitsNoTrailingZerosLocaleSeparator)
{
    EXPECT_EQ(FormatNumber(2.55, ','), "2,55");
    EXPECT_EQ(FormatNumber(9.6, '.'), "9.6");
    EXPECT_EQ(FormatNumber(1.4 + 5.6 + 2.6, ','), "9,6");
    EXPECT_EQ(FormatNumber(21.05, ','), "21,05");
    EXPECT_EQ(FormatNumber(40, ','), "40");
    EXPECT_EQ(FormatNumber(-0.0, ','), "0");
    EXPECT_EQ(FormatNumber(0.5, ','), "0,5");
    EXPECT_EQ(FormatNumber(1.0 / 3.0, '.'), "0.333333333333333");
}

TEST(RoundHalfEven, HalvesGoToTheEvenDigit)
{
    EXPECT_DOUBLE_EQ(RoundHalfEven(-12.25, 1), -12.2);
    EXPECT_DOUBLE_EQ(RoundHalfEven(12.35, 1), 12.4);
    EXPECT_DOUBLE_EQ(RoundHalfEven(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(RoundHalfEven(0.5, 0), 0.0);
    EXPECT_DOUBLE_EQ(RoundHalfEven(1.5, 0), 2.0);
    EXPECT_DOUBLE_EQ(RoundHalfEven(2.5, 0), 2.0);
    EXPECT_DOUBLE_EQ(RoundHalfEven(0.096, 1), 0.1);
    EXPECT_DOUBLE_EQ(RoundHalfEven(0.0049, 2), 0.0);
    EXPECT_DOUBLE_EQ(RoundHalfEven(8.71188, 2), 8.71);
    EXPECT_DOUBLE_EQ(RoundHalfEven(123456.0, 1), 123456.0);
}

TEST(FormatPattern00, TwoDecimalsNoForcedLeadingDigit)
{
    EXPECT_EQ(FormatPattern00(8.7118, ','), "8,71");
    EXPECT_EQ(FormatPattern00(0.5, ','), ",50");
    EXPECT_EQ(FormatPattern00(-0.5, '.'), "-.50");
    EXPECT_EQ(FormatPattern00(12, '.'), "12.00");
    EXPECT_EQ(FormatPattern00(0.0, '.'), ".00");
}

TEST(MemorySettingsStore, ReadsDefaultsAndRecordsWrites)
{
    MemorySettingsStore s;
    EXPECT_EQ(s.Get("VehicleFile", "x"), "x");
    EXPECT_TRUE(s.Set("VehicleFile", "a.vdt"));
    EXPECT_EQ(s.Get("VehicleFile", "x"), "a.vdt");
    s.SetFailWrites(true);
    EXPECT_FALSE(s.Set("VehicleFile", "b.vdt"));
    EXPECT_EQ(s.Get("VehicleFile", "x"), "a.vdt");
    ASSERT_EQ(s.Writes().size(), 1u);
}
