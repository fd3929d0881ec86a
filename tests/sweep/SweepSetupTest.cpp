// Field checks in their order and the unit tables of the configurations.
#include "sweep/SweepSetup.h"

#include "SweepHarness.h"

#include <gtest/gtest.h>

#include <functional>

namespace velrok {
namespace {

using testing::SweepHarness;

struct CheckCase {
    const char* name;
    int16_t vType;
    std::function<void(SweepInputs&)> edit;
    const char* title;
    const char* text;
};

class FieldChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(FieldChecks, FirstFailureIsReported)
{
    const CheckCase& c = GetParam();
    SweepInputs in;
    in.fields = SweepHarness::Truck();
    in.VType = c.vType;
    c.edit(in);
    const auto refusal = CheckRunFields(in, '.');
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->title, c.title);
    EXPECT_EQ(refusal->text, c.text);
}

const std::string kHint = "\r\r(A common value is 6-8 seconds)";

INSTANTIATE_TEST_SUITE_P(
    Order, FieldChecks,
    ::testing::Values(
        CheckCase{"SpeedEmpty", 1, [](SweepInputs& i) { i.txt_Speed = "  "; }, "Missing value",
                  "Missing value for Speed!"},
        CheckCase{"SpeedNotANumber", 1, [](SweepInputs& i) { i.txt_Speed = "fast"; }, "Bad value",
                  "Bad value for Speed!"},
        CheckCase{"SpeedAbove30", 1, [](SweepInputs& i) { i.txt_Speed = "30.1"; }, "Bad value",
                  "I refuse to maneuver at this speed! Lower speed to 30 or less"},
        CheckCase{"SpeedBeforeLockToLock", 1,
                  [](SweepInputs& i) {
                      i.txt_Speed = "31";
                      i.fields.txt_LockToLock = "";
                  },
                  "Bad value", "I refuse to maneuver at this speed! Lower speed to 30 or less"},
        CheckCase{"LockToLockEmpty", 1, [](SweepInputs& i) { i.fields.txt_LockToLock = ""; }, "Missing value",
                  "Missing value for Lock to lock!\r\r(A common value is 6-8 seconds)"},
        CheckCase{"LockToLockNotANumber", 1, [](SweepInputs& i) { i.fields.txt_LockToLock = "7s"; },
                  "Bad value", "Bad value for Lock to lock!\r\r(A common value is 6-8 seconds)"},
        CheckCase{"LockToLockZero", 1, [](SweepInputs& i) { i.fields.txt_LockToLock = "0"; }, "Bad value",
                  "Bad value for Lock to lock! Must be above zero!\r\r(A common value is 6-8 seconds)"},
        CheckCase{"SpacingNotANumber", 1, [](SweepInputs& i) { i.txt_plotSpacing = "wide"; }, "Bad value",
                  "Bad value for Plot spacing!"},
        CheckCase{"SpacingNegative", 1, [](SweepInputs& i) { i.txt_plotSpacing = "-1"; }, "Bad value",
                  "Bad value for Plot spacing! Must not be negative!"},
        CheckCase{"FrontBeforeBack", 1,
                  [](SweepInputs& i) {
                      i.fields.txt_Front = "";
                      i.fields.txt_Back = "";
                  },
                  "Missing value", "Missing value for Front (F)!"},
        CheckCase{"TruckBack", 1, [](SweepInputs& i) { i.fields.txt_Back = ""; }, "Missing value",
                  "Missing value for Back (B)!"},
        CheckCase{"MaxSegmentAngle", 1, [](SweepInputs& i) { i.fields.txt_MaxSegAnle = " "; },
                  "Missing value", "Missing value for Max Angle between Segments!"},
        CheckCase{"SemiWheelWidth2Typo", 2, [](SweepInputs& i) { i.fields.txt_WheelWidth_2 = ""; },
                  "Missing value", "Missing value for segemnt #2 Wheel Width!"},
        CheckCase{"SemiHitchBeforeF2", 2,
                  [](SweepInputs& i) {
                      i.fields.txtHitch = "";
                      i.fields.txt_Front2 = "";
                  },
                  "Missing value", "Missing value for Hitchpoint (H)!"},
        CheckCase{"TowBarH2", 3, [](SweepInputs& i) { i.fields.txtHitch2 = ""; }, "Missing value",
                  "Missing value for Hitchpoint2 (H2)!"},
        CheckCase{"DoubleV3", 9, [](SweepInputs& i) { i.fields.txt_VeichleWidth_3 = ""; }, "Missing value",
                  "Missing value for segemnt #3 Vehicle Width!"},
        CheckCase{"TripleH4Last", 10,
                  [](SweepInputs& i) {
                      i.fields.txtHitch4 = "";
                      i.fields.txt_Back4 = "";
                  },
                  "Missing value", "Missing value for Back4 (B4)!"},
        CheckCase{"TandemSegmentSpelling", 13, [](SweepInputs& i) { i.fields.txt_VeichleWidth_2 = ""; },
                  "Missing value", "Missing value for segment #2 Vehicle Width!"},
        // The third unit of configurations 11 to 13 is checked like every other unit.
        CheckCase{"DoubleTowBarSemiF3", 11, [](SweepInputs& i) { i.fields.txt_Front3 = ""; }, "Missing value",
                  "Missing value for Front3 (F3)!"},
        CheckCase{"TrailerTowBarSemiWB3", 12, [](SweepInputs& i) { i.fields.txt_Wheelbase3 = ""; },
                  "Missing value", "Missing value for Wheelbase3 (WB3)!"},
        CheckCase{"TandemB3", 13, [](SweepInputs& i) { i.fields.txt_Back3 = ""; }, "Missing value",
                  "Missing value for Back3 (B3)!"},
        CheckCase{"TandemW3", 13, [](SweepInputs& i) { i.fields.txt_WheelWidth_3 = ""; }, "Missing value",
                  "Missing value for segemnt #3 Wheel Width!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldChecks, LimitsOfTheTypedSpeed)
{
    SweepInputs in;
    in.fields = SweepHarness::Truck();
    in.txt_Speed = "30";
    EXPECT_FALSE(CheckRunFields(in, '.').has_value());
    // 30 mph is more than 30 km/h, but the check is made in the typed unit.
    in.Combo4 = 1;
    EXPECT_FALSE(CheckRunFields(in, '.').has_value());
    in.txt_Speed = "30,1";
    ASSERT_TRUE(CheckRunFields(in, ',').has_value());
    EXPECT_EQ(CheckRunFields(in, ',')->text, "I refuse to maneuver at this speed! Lower speed to 30 or less");
}

TEST(FieldChecks, UnusedFieldsAreNotChecked)
{
    SweepInputs in;
    in.fields = SweepHarness::Truck();
    in.fields.txt_Front2 = "";
    in.fields.txtHitch = "";
    EXPECT_FALSE(CheckRunFields(in, '.').has_value());
}

// ---- unit tables ----

std::vector<SegmentSpec> Build(int16_t vType)
{
    return BuildSegments(vType, SweepHarness::Truck(), '.');
}

TEST(BuildSegments, KindsPerConfiguration)
{
    const std::map<int, std::vector<int32_t>> kinds{
        {1, {1}},        {2, {1, 3}},     {3, {1, 2, 3}}, {4, {1, 3}},       {5, {1, 3}},
        {6, {1}},        {7, {1}},        {8, {1, 3}},    {9, {1, 3, 2, 3}}, {10, {1, 3, 2, 3, 2, 3}},
        {11, {1, 3, 3}}, {12, {1, 3, 3}}, {13, {1, 3, 3}}};
    for (const auto& [code, expected] : kinds) {
        const auto units = Build(static_cast<int16_t>(code));
        ASSERT_EQ(units.size(), expected.size()) << "code " << code;
        for (size_t i = 0; i < units.size(); ++i)
            EXPECT_EQ(units[i].Kind, expected[i]) << "code " << code << " unit " << i;
    }
    EXPECT_TRUE(Build(0).empty());
    EXPECT_TRUE(Build(14).empty());
}

TEST(BuildSegments, UnitOneFromItsFields)
{
    const auto u = BuildSegments(1, SweepHarness::Truck(), '.').at(0);
    EXPECT_EQ(u.WheelWidth, 2.55);
    EXPECT_EQ(u.VehicleWidth, 2.6);
    EXPECT_EQ(u.Front, 1.4);
    EXPECT_EQ(u.Wheelbase, 5.6);
    EXPECT_EQ(u.Back, 2.6);
    EXPECT_EQ(u.Hitch, 0.0); // a single unit hangs nothing on
    EXPECT_EQ(u.MaxTurningAngle, 40.0);
    EXPECT_EQ(u.MaxSegmentAngle, 70.0);
    EXPECT_FALSE(u.DrawHitchCircle);
    EXPECT_EQ(Build(2).at(0).Hitch, 2.65);
}

TEST(BuildSegments, SignsOfTheFrontOverhang)
{
    VehicleFields f = SweepHarness::Truck();
    f.txt_Front2 = "1.5";
    EXPECT_EQ(BuildSegments(2, f, '.').at(1).Front, 1.5);  // semi-trailer: as typed
    EXPECT_EQ(BuildSegments(4, f, '.').at(1).Front, -1.5); // tow-bar semi: negated
    EXPECT_EQ(BuildSegments(5, f, '.').at(1).Front, -1.5);
    EXPECT_EQ(BuildSegments(8, f, '.').at(1).Front, -1.5);
    EXPECT_EQ(BuildSegments(11, f, '.').at(1).Front, -1.5);
    EXPECT_EQ(BuildSegments(12, f, '.').at(1).Front, 1.5);
}

TEST(BuildSegments, DrawbarsTripleTrailerAndTandem)
{
    VehicleFields f = SweepHarness::Truck();
    f.txtHitch2 = "2.2";
    f.txtHitch3 = "3.3";
    f.txtHitch4 = "4.4";
    f.txt_Back3 = "1.7";
    f.txt_Front3 = "0.8";
    f.txt_Back2 = "2.1";
    const auto towBar = BuildSegments(3, f, '.');
    EXPECT_EQ(towBar[1].Wheelbase, 2.2); // the drawbar's length
    EXPECT_EQ(towBar[1].Front, 0.0);
    EXPECT_EQ(towBar[2].Wheelbase, 9.3);

    const auto triple = BuildSegments(10, f, '.');
    EXPECT_EQ(triple[1].Hitch, 2.2);
    EXPECT_EQ(triple[2].Wheelbase, 3.3);
    EXPECT_EQ(triple[3].Back, 1.7);
    EXPECT_EQ(triple[3].Hitch, 1.7); // Back3 is also where the last drawbar hangs
    EXPECT_EQ(triple[4].Wheelbase, 4.4);
    // Every coupled configuration marks the coupling of its towing unit, the triple trailer too.
    EXPECT_TRUE(triple[0].DrawHitchCircle);
    for (size_t i = 1; i < triple.size(); ++i)
        EXPECT_FALSE(triple[i].DrawHitchCircle) << i;

    const auto tandem = BuildSegments(13, f, '.');
    EXPECT_EQ(tandem[1].Back, -2.1);
    EXPECT_EQ(tandem[1].Hitch, -2.2);
    EXPECT_TRUE(tandem[1].DrawHitchCircle);
    EXPECT_EQ(tandem[2].Front, 0.8);
    EXPECT_EQ(BuildSegments(11, f, '.')[2].Front, -0.8);
    EXPECT_EQ(BuildSegments(12, f, '.')[2].Front, -0.8);
    for (const SegmentSpec& s : triple)
        EXPECT_EQ(s.MaxSegmentAngle, 70.0);
}

TEST(BuildSegments, TextThatIsNoNumberIsAFailure)
{
    VehicleFields f = SweepHarness::Truck();
    f.txt_Wheelbase2 = "9.3m";
    EXPECT_THROW(BuildSegments(2, f, '.'), std::runtime_error);
    EXPECT_NO_THROW(BuildSegments(1, f, '.'));
}

struct ValueCase {
    const char* name;
    int16_t vType;
    std::function<void(VehicleFields&)> edit;
    const char* text;
};

class SegmentValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SegmentValues, RefusedWithBadValue)
{
    const ValueCase& c = GetParam();
    VehicleFields f = SweepHarness::Truck();
    c.edit(f);
    const auto refusal = CheckSegmentValues(c.vType, BuildSegments(c.vType, f, '.'));
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->title, "Bad value");
    EXPECT_EQ(refusal->text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SegmentValues,
    ::testing::Values(ValueCase{"ZeroWheelbase", 1, [](VehicleFields& f) { f.txt_Wheelbase = "0"; },
                                "Bad value for Wheel Base (WB)! Must be above zero!"},
                      ValueCase{"NegativeWheelbase2", 2, [](VehicleFields& f) { f.txt_Wheelbase2 = "-9"; },
                                "Bad value for Wheelbase2 (WB2)! Must be above zero!"},
                      ValueCase{"ZeroDrawbar", 3, [](VehicleFields& f) { f.txtHitch2 = "0"; },
                                "Bad value for Hitchpoint2 (H2)! Must be above zero!"},
                      ValueCase{"TripleLastDrawbar", 10, [](VehicleFields& f) { f.txtHitch4 = "-1"; },
                                "Bad value for Hitchpoint4 (H4)! Must be above zero!"},
                      ValueCase{"NegativeWidth", 1, [](VehicleFields& f) { f.txt_VeichleWidth = "-2.6"; },
                                "Bad value for Vehicle Width! Must not be negative!"},
                      ValueCase{"NegativeWidth3", 13, [](VehicleFields& f) { f.txt_WheelWidth_3 = "-0.1"; },
                                "Bad value for segment #3 Wheel Width! Must not be negative!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SegmentValues, ZeroWidthAndNegativeOverhangsPass)
{
    VehicleFields f = SweepHarness::Truck();
    f.txt_WheelWidth = "0";
    f.txtHitch = "-0.5";
    EXPECT_FALSE(CheckSegmentValues(2, BuildSegments(2, f, '.')).has_value());
}

} // namespace
} // namespace velrok
