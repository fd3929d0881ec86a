// Total length and centreline turning radius against sums and sines worked out by hand.
#include "vehicle/SumSegments.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velrok {
namespace {

struct LengthCase {
    int code;
    double length; // with the default texts, summed by hand from the table of the configuration
};

class DefaultLengths : public ::testing::TestWithParam<LengthCase> {};

TEST_P(DefaultLengths, PlainSumOfTheConfigurationsFields)
{
    const SegmentsSummary s = SumSegments(GetParam().code, VehicleFields{}, ',');
    EXPECT_TRUE(s.lengthOk);
    EXPECT_NEAR(s.totalLength, GetParam().length, 1e-9) << "code " << GetParam().code;
}

// F 1,4  WB 5,6  B 2,6  H 2,65  H2..4 3  WB2..4 9,3  B2..4 2,1
INSTANTIATE_TEST_SUITE_P(EveryCode, DefaultLengths,
                         ::testing::Values(LengthCase{1, 9.6}, LengthCase{6, 9.6}, LengthCase{7, 9.6},
                                           LengthCase{2, 21.05}, LengthCase{4, 21.05}, LengthCase{5, 21.05},
                                           LengthCase{8, 21.05}, LengthCase{3, 24.05}, LengthCase{9, 35.45},
                                           LengthCase{10, 49.85}, LengthCase{11, 33.35},
                                           LengthCase{12, 33.35}, LengthCase{13, 33.35}, LengthCase{0, 0.0},
                                           LengthCase{14, 0.0}));

TEST(SumSegmentsTest, DefaultTruckShowsLengthAndRadiusInTheLocalesForm)
{
    const SegmentsSummary s = SumSegments(1, VehicleFields{}, ',');
    EXPECT_EQ(s.totalLengthText, "Total Length: 9,6");
    // 5,6 / sin 40 deg = 8,7120...
    EXPECT_EQ(s.panel1Text, "Min Turning Radius (Centerline): 8,71");
    EXPECT_EQ(SumSegments(2, VehicleFields{}, ',').totalLengthText, "Total Length: 21,05");
}

TEST(SumSegmentsTest, RadiusUsesOnlyTheFirstUnitAndShowsNoLeadingZero)
{
    VehicleFields f;
    f.txt_Wheelbase = "0,3";
    f.txt_MaxTurning = "30"; // 0,3 / 0,5 = 0,6
    EXPECT_EQ(SumSegments(10, f, ',').panel1Text, "Min Turning Radius (Centerline): ,60");
    f.txt_Wheelbase = "6.1";
    f.txt_MaxTurning = "90";
    f.txt_Front = "1.2";
    f.txt_Back = "1.8";
    const SegmentsSummary s = SumSegments(7, f, '.');
    EXPECT_EQ(s.panel1Text, "Min Turning Radius (Centerline): 6.10");
    EXPECT_EQ(s.totalLengthText, "Total Length: 9.1");
}

TEST(SumSegmentsTest, ZeroTurningAngleEmptiesThePanelAndKeepsTheLength)
{
    VehicleFields f;
    f.txt_MaxTurning = "0";
    const SegmentsSummary s = SumSegments(1, f, ',');
    EXPECT_EQ(s.panel1Text, "");
    EXPECT_EQ(s.totalLengthText, "Total Length: 9,6");
}

TEST(SumSegmentsTest, FieldThatIsEmptyOrNotANumberIsShownAsSuch)
{
    VehicleFields f;
    f.txt_Back2 = "2.1"; // a dot on a decimal-comma locale
    SegmentsSummary s = SumSegments(2, f, ',');
    EXPECT_FALSE(s.lengthOk);
    EXPECT_TRUE(std::isnan(s.totalLength));
    EXPECT_EQ(s.totalLengthText, "Total Length: ?");
    EXPECT_EQ(s.panel1Text, "Bad value for Back2 (B2)!");
    // B2 is not part of a truck's length.
    EXPECT_EQ(SumSegments(1, f, ',').totalLengthText, "Total Length: 9,6");

    f = VehicleFields{};
    f.txt_Front3 = "";
    EXPECT_TRUE(SumSegments(11, f, ',').lengthOk) << "front overhangs of bodies never enter the sum";
    f.txt_Wheelbase = "";
    s = SumSegments(1, f, ',');
    EXPECT_EQ(s.totalLengthText, "Total Length: ?");
    EXPECT_EQ(s.panel1Text, "Missing value for Wheel Base (WB)!");

    f = VehicleFields{};
    f.txt_MaxTurning = "forty";
    s = SumSegments(1, f, ',');
    EXPECT_EQ(s.totalLengthText, "Total Length: 9,6");
    EXPECT_EQ(s.panel1Text, "Bad value for Max Turning Angle!");
}

} // namespace
} // namespace velrok
