// Outline geometry of one unit: the 65 points against a hand-written local table at several
// headings, the heading rule, steered tyres, drawbars, and what is recorded for sweep lines and
// the envelope.
#include "output/SegmentCorners.h"

#include "fakes/RecordingServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace velrok {
namespace {

using testing::RecordingMessages;

constexpr double kPi = 3.141592653589793;

SegmentSpec Spec(int32_t kind, double wheelWidth = 2.55, double vehicleWidth = 2.6)
{
    SegmentSpec s;
    s.Kind = kind;
    s.WheelWidth = wheelWidth;
    s.VehicleWidth = vehicleWidth;
    s.Front = 1.4;
    s.Wheelbase = 5.6;
    s.Back = 2.6;
    s.Hitch = 2.65;
    return s;
}

// Local (u, v) of every point of a motor unit F 1.4, WB 5.6, B 2.6, H 2.65, track 2.55, body 2.6,
// front wheels straight, worked out by hand from the tyre dimensions (tyre centre lines +-1.135).
// Points 0 and 1 are the inputs P = (0, 0) and R = (-5.6, 0).
const double kLocal[kCornerCount][2] = {{0, 0},
                                        {-5.6, 0},
                                        {-8.2, 1.3},
                                        {1.4, 1.3},
                                        {-8.2, -1.3},
                                        {1.4, -1.3},
                                        {-8.25, 0},
                                        // front left tyre 7-20
                                        {-0.51, 1.045},
                                        {-0.36, 0.995},
                                        {0.51, 1.045},
                                        {0.36, 0.995},
                                        {-0.51, 1.225},
                                        {-0.36, 1.275},
                                        {0.51, 1.225},
                                        {0.36, 1.275},
                                        {0.51, 1.06},
                                        {-0.51, 1.06},
                                        {0.51, 1.135},
                                        {-0.51, 1.135},
                                        {0.51, 1.21},
                                        {-0.51, 1.21},
                                        // front right tyre 21-34
                                        {-0.51, -1.225},
                                        {-0.36, -1.275},
                                        {0.51, -1.225},
                                        {0.36, -1.275},
                                        {-0.51, -1.045},
                                        {-0.36, -0.995},
                                        {0.51, -1.045},
                                        {0.36, -0.995},
                                        {0.51, -1.21},
                                        {-0.51, -1.21},
                                        {0.51, -1.135},
                                        {-0.51, -1.135},
                                        {0.51, -1.06},
                                        {-0.51, -1.06},
                                        // rear left tyre 35-42, outer point 43, treads 44-49
                                        {-6.11, 1.045},
                                        {-5.96, 0.995},
                                        {-5.09, 1.045},
                                        {-5.24, 0.995},
                                        {-6.11, 1.225},
                                        {-5.96, 1.275},
                                        {-5.09, 1.225},
                                        {-5.24, 1.275},
                                        {-5.6, 1.3},
                                        {-5.09, 1.06},
                                        {-6.11, 1.06},
                                        {-5.09, 1.135},
                                        {-6.11, 1.135},
                                        {-5.09, 1.21},
                                        {-6.11, 1.21},
                                        // rear right tyre 50-57, outer point 58, treads 59-64
                                        {-6.11, -1.225},
                                        {-5.96, -1.275},
                                        {-5.09, -1.225},
                                        {-5.24, -1.275},
                                        {-6.11, -1.045},
                                        {-5.96, -0.995},
                                        {-5.09, -1.045},
                                        {-5.24, -0.995},
                                        {-5.6, -1.3},
                                        {-5.09, -1.21},
                                        {-6.11, -1.21},
                                        {-5.09, -1.135},
                                        {-6.11, -1.135},
                                        {-5.09, -1.06},
                                        {-6.11, -1.06}};

Point2d Placed(Point2d p, double heading, double u, double v)
{
    return {p.x + u * std::cos(heading) - v * std::sin(heading),
            p.y + u * std::sin(heading) + v * std::cos(heading)};
}

class Headings : public ::testing::TestWithParam<double> {};

TEST_P(Headings, EveryPointLiesWhereTheLocalTableSays)
{
    const double heading = GetParam();
    const Point2d p{10.0, 20.0};
    const Point2d r = Placed(p, heading, -5.6, 0.0);
    SweepRecords records;
    RecordingMessages messages;
    const SegmentCorners c =
        CalcSegmentCorners(p, r, Spec(kKindMotor), SweepPathResult{}, 0.0, 0.0, 2, records, messages);
    ASSERT_TRUE(messages.shown.empty());
    for (int i = 0; i < kCornerCount; ++i) {
        const Point2d expected = Placed(p, heading, kLocal[i][0], kLocal[i][1]);
        EXPECT_NEAR(c[i].x, expected.x, 1e-9) << "point " << i;
        EXPECT_NEAR(c[i].y, expected.y, 1e-9) << "point " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(SegmentCorners, Headings,
                         ::testing::Values(0.0, kPi / 6, kPi / 2, 0.75 * kPi, kPi, 1.1 * kPi, 1.5 * kPi,
                                           1.9 * kPi));

struct HeadingCase {
    const char* name;
    Point2d p, r;
    double heading;
};

class HeadingRule : public ::testing::TestWithParam<HeadingCase> {};

// The heading shows in the front left body corner (F, +width/2) placed about P.
TEST_P(HeadingRule, PlacesTheBodyByTheHeadingFromRToP)
{
    const HeadingCase t = GetParam();
    SweepRecords records;
    RecordingMessages messages;
    SegmentSpec spec = Spec(kKindMotor);
    spec.Front = 1.0;
    const SegmentCorners c =
        CalcSegmentCorners(t.p, t.r, spec, SweepPathResult{}, 0.0, 0.0, 2, records, messages);
    const Point2d expected = Placed(t.p, t.heading, 1.0, 1.3);
    EXPECT_NEAR(c[3].x, expected.x, 1e-12) << t.name;
    EXPECT_NEAR(c[3].y, expected.y, 1e-12) << t.name;
}

INSTANTIATE_TEST_SUITE_P(SegmentCorners, HeadingRule,
                         ::testing::Values(HeadingCase{"P = R", {3, 4}, {3, 4}, kPi / 2},
                                           HeadingCase{"along -y", {0, 0}, {0, 5}, 1.5 * kPi},
                                           HeadingCase{"along +y", {0, 0}, {0, -5}, kPi / 2},
                                           HeadingCase{"along -x", {0, 0}, {5, 0}, kPi},
                                           HeadingCase{"fourth quadrant", {0, 0}, {-1, 1}, -kPi / 4},
                                           HeadingCase{"second quadrant", {0, 0}, {1, -1}, 0.75 * kPi}));

TEST(SegmentCorners, AlongPlusXTheHeadingIsZeroNotTwoPi)
{
    // With 2 pi the sine would be -2.4e-16 and shift the corner by an ulp: check exactly.
    SweepRecords records;
    RecordingMessages messages;
    SegmentSpec spec = Spec(kKindMotor);
    spec.Front = 1.0;
    const SegmentCorners c =
        CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, spec, SweepPathResult{}, 0.0, 0.0, 2, records, messages);
    EXPECT_EQ(c[3].x, 1.0);
    EXPECT_EQ(c[3].y, 1.3);
}

TEST(SegmentCorners, TreadLinesOfA255TrackLieAt106And1135And121)
{
    SweepRecords records;
    RecordingMessages messages;
    const SegmentCorners c = CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, Spec(kKindMotor), SweepPathResult{},
                                                0.0, 0.0, 2, records, messages);
    const double left[] = {1.06, 1.06, 1.135, 1.135, 1.21, 1.21};
    for (int n = 0; n < 6; ++n) {
        EXPECT_NEAR(c[15 + n].y, left[n], 1e-12) << "front tread point " << 15 + n;
        EXPECT_NEAR(c[44 + n].y, left[n], 1e-12) << "rear tread point " << 44 + n;
        EXPECT_NEAR(c[59 + n].y, -left[5 - n], 1e-12) << "rear right tread point " << 59 + n;
    }
}

TEST(SegmentCorners, FrontTyresTurnAboutTheirCentresByTheirOwnAngles)
{
    SweepRecords records;
    RecordingMessages messages;
    SweepPathResult step;
    step.LeftWheelAngle = 0.3;
    step.RightWheelAngle = 0.2;
    const SegmentCorners c =
        CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, Spec(kKindMotor), step, 0.0, 0.0, 2, records, messages);
    // Point 17 is the front end of the left tyre's centre line, 0.51 ahead of the centre (0, 1.135).
    EXPECT_NEAR(c[17].x, 0.51 * std::cos(0.3), 1e-12);
    EXPECT_NEAR(c[17].y, 1.135 + 0.51 * std::sin(0.3), 1e-12);
    // Point 32 is the rear end of the right tyre's centre line.
    EXPECT_NEAR(c[32].x, -0.51 * std::cos(0.2), 1e-12);
    EXPECT_NEAR(c[32].y, -1.135 - 0.51 * std::sin(0.2), 1e-12);
    // Rear tyres and outer wheel points are not steered.
    EXPECT_NEAR(c[46].x, -5.09, 1e-12);
    EXPECT_NEAR(c[46].y, 1.135, 1e-12);
    ASSERT_EQ(records.WheelSweepLeftFront.size(), 2u);
    EXPECT_NEAR(records.WheelSweepLeftFront[1].x, 0.0, 1e-12);
    EXPECT_NEAR(records.WheelSweepLeftFront[1].y, 1.275, 1e-12);
    EXPECT_NEAR(records.WheelSweepRightFront[1].y, -1.275, 1e-12);
}

TEST(SegmentCorners, RearOuterPointsTakeTheWiderOfBodyAndTrack)
{
    SweepRecords records;
    RecordingMessages messages;
    const SegmentCorners narrowBody = CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, Spec(kKindMotor, 2.55, 2.0),
                                                         SweepPathResult{}, 0.0, 0.0, 2, records, messages);
    EXPECT_NEAR(narrowBody[43].y, 1.275, 1e-12);
    EXPECT_NEAR(narrowBody[58].y, -1.275, 1e-12);
    const SegmentCorners wideBody = CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, Spec(kKindMotor, 2.55, 3.0),
                                                       SweepPathResult{}, 0.0, 0.2, 2, records, messages);
    EXPECT_NEAR(wideBody[43].y, 1.5, 1e-12);
    EXPECT_NEAR(wideBody[58].y, -1.5, 1e-12);
    EXPECT_NEAR(records.WheelSweepLeftBack.back().y, 1.5, 1e-12);
    EXPECT_NEAR(records.WheelSweepRightBack.back().y, -1.5, 1e-12);
}

TEST(SegmentCorners, ASingleTruckHasNoCouplingPoint)
{
    SweepRecords records;
    RecordingMessages messages;
    const SegmentCorners truck = CalcSegmentCorners({1.0, 1.0}, {-4.6, 1.0}, Spec(kKindMotor),
                                                    SweepPathResult{}, 0.0, 0.0, 1, records, messages);
    EXPECT_EQ(truck[6].x, 0.0);
    EXPECT_EQ(truck[6].y, 0.0);
    const SegmentCorners semi = CalcSegmentCorners({1.0, 1.0}, {-4.6, 1.0}, Spec(kKindMotor),
                                                   SweepPathResult{}, 0.0, 0.2, 2, records, messages);
    EXPECT_NEAR(semi[6].x, 1.0 - 8.25, 1e-12);
    EXPECT_NEAR(semi[6].y, 1.0, 1e-12);
}

TEST(SegmentCorners, ADrawbarIsAWedgeWithoutSideLines)
{
    SweepRecords records;
    RecordingMessages messages;
    SegmentSpec bar = Spec(kKindDrawbar);
    bar.Front = 0.0;
    bar.Wheelbase = 3.0;
    bar.Back = 0.0;
    bar.Hitch = 0.0;
    const SegmentCorners c =
        CalcSegmentCorners({0.0, 0.0}, {-3.0, 0.0}, bar, SweepPathResult{}, 2.0, 4.2, 10, records, messages);
    EXPECT_NEAR(c[3].y, 0.05, 1e-12);
    EXPECT_NEAR(c[5].y, -0.05, 1e-12);
    EXPECT_NEAR(c[2].x, -3.0, 1e-12);
    EXPECT_NEAR(c[2].y, 0.3, 1e-12);
    EXPECT_NEAR(c[4].y, -0.3, 1e-12);
    EXPECT_NEAR(c[6].x, -3.0, 1e-12); // the trailer hangs on the drawbar's end
    for (int i = 7; i <= 34; ++i)
        EXPECT_EQ(c[i], (Point2d{0.0, 0.0})) << "front tyre point " << i;
    // Its rear tyres are the axle it pulls.
    EXPECT_NEAR(c[46].x, -3.0 + 0.51, 1e-12);

    EXPECT_EQ(records.LeftSegmentLines.size(), 1u);
    EXPECT_EQ(records.RightSegmentLines.size(), 1u);
    for (const auto* list : {&records.VehicleSweepLeftFront, &records.VehicleSweepRightFront,
                             &records.VehicleSweepLeftBack, &records.VehicleSweepRightBack}) {
        ASSERT_EQ(list->size(), 2u);
        EXPECT_EQ(list->back().flag, 0.0);
        EXPECT_EQ(list->back().unit, 2.0);
        EXPECT_EQ(list->back().station, 4.2);
    }
    EXPECT_EQ(records.WheelSweepLeftFront.size(), 1u);
    EXPECT_EQ(records.WheelSweepRightFront.size(), 1u);
    ASSERT_EQ(records.WheelSweepLeftBack.size(), 2u);
    EXPECT_EQ(records.WheelSweepLeftBack.back().flag, 1.0);
    EXPECT_EQ(records.WheelSweepRightBack.back().flag, 1.0);
}

TEST(SegmentCorners, SweepRowsHoldUnitStationPointAndFlag)
{
    SweepRecords records;
    RecordingMessages messages;
    const SegmentCorners c = CalcSegmentCorners({0.0, 0.0}, {-9.3, 0.0}, Spec(kKindBody), SweepPathResult{},
                                                1.0, 0.6, 2, records, messages);
    const SweepPointRow row = records.VehicleSweepLeftBack.back();
    EXPECT_EQ(row.unit, 1.0);
    EXPECT_EQ(row.station, 0.6);
    EXPECT_EQ(row.x, c[2].x);
    EXPECT_EQ(row.y, c[2].y);
    EXPECT_EQ(row.flag, 1.0);
    EXPECT_EQ(records.VehicleSweepRightFront.back().y, c[5].y);
    EXPECT_EQ(records.WheelSweepRightBack.back().x, c[58].x);
    // A body is not steered: no front tyres and no front wheel rows.
    EXPECT_EQ(c[7], (Point2d{0.0, 0.0}));
    EXPECT_EQ(records.WheelSweepLeftFront.size(), 1u);
}

TEST(SegmentCorners, FrontCornerLinesJoinConsecutiveStationsOfTheFirstUnit)
{
    SweepRecords records;
    RecordingMessages messages;
    const SegmentSpec truck = Spec(kKindMotor);
    CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, truck, SweepPathResult{}, 0.0, 0.0, 2, records, messages);
    // First call: the body sides only, then the open row.
    ASSERT_EQ(records.LeftSegmentLines.size(), 2u);
    ASSERT_EQ(records.RightSegmentLines.size(), 2u);
    const SegmentLineRow side = records.LeftSegmentLines[0];
    EXPECT_NEAR(side.x1, 1.4, 1e-12); // front left to rear left
    EXPECT_NEAR(side.y1, 1.3, 1e-12);
    EXPECT_NEAR(side.x2, -8.2, 1e-12);
    EXPECT_NEAR(side.y2, 1.3, 1e-12);
    EXPECT_NEAR(records.RightSegmentLines[0].y1, -1.3, 1e-12);
    EXPECT_EQ(records.LeftSegmentLines[1].station, 0.0);
    EXPECT_EQ(records.LeftSegmentLines[1].x1, 0.0);

    // A trailing body's first call adds its sides only.
    CalcSegmentCorners({-8.25, 0.0}, {-17.55, 0.0}, Spec(kKindBody), SweepPathResult{}, 1.0, 0.0, 2, records,
                       messages);
    ASSERT_EQ(records.LeftSegmentLines.size(), 3u);

    // The next station: the sides, the front corner lines, then the rear corner lines.
    CalcSegmentCorners({0.2, 0.0}, {-5.4, 0.0}, truck, SweepPathResult{}, 0.0, 0.2, 2, records, messages);
    ASSERT_EQ(records.LeftSegmentLines.size(), 6u);
    ASSERT_EQ(records.RightSegmentLines.size(), 6u);
    const SegmentLineRow front = records.LeftSegmentLines[3];
    EXPECT_NEAR(front.x1, 1.4, 1e-12);
    EXPECT_NEAR(front.x2, 1.6, 1e-12);
    EXPECT_NEAR(front.y2, 1.3, 1e-12);
    EXPECT_EQ(front.station, 0.2);
    EXPECT_NEAR(records.RightSegmentLines[3].y1, -1.3, 1e-12);
    EXPECT_NEAR(records.RightSegmentLines[3].x2, 1.6, 1e-12);
    EXPECT_NEAR(records.PrevFrontLeft.x, 1.6, 1e-12);
    EXPECT_NEAR(records.PrevFrontRight.y, -1.3, 1e-12);
    const SegmentLineRow rear = records.LeftSegmentLines[4];
    EXPECT_NEAR(rear.x1, -8.2, 1e-12);
    EXPECT_NEAR(rear.y1, 1.3, 1e-12);
    EXPECT_NEAR(rear.x2, -8.0, 1e-12);
    EXPECT_NEAR(rear.y2, 1.3, 1e-12);
    EXPECT_EQ(rear.station, 0.2);
    EXPECT_NEAR(records.RightSegmentLines[4].y2, -1.3, 1e-12);
}

// Every body's corners sweep outward between the envelope's probes, so each body records the paths
// of its four corners from one station to the next, not only the first unit its front ones.
TEST(SegmentCorners, CornerLinesJoinConsecutiveStationsOfEveryBodyButNotOfDrawbars)
{
    SweepRecords records;
    RecordingMessages messages;
    const SegmentSpec body = Spec(kKindBody);
    SegmentSpec bar = Spec(kKindDrawbar);
    bar.Wheelbase = 3.0;
    // Station 0: a body (unit 1) along +x, a drawbar (unit 2) behind it.
    CalcSegmentCorners({-8.25, 0.0}, {-13.85, 0.0}, body, SweepPathResult{}, 1.0, 0.0, 10, records, messages);
    CalcSegmentCorners({-10.9, 0.0}, {-13.9, 0.0}, bar, SweepPathResult{}, 2.0, 0.0, 10, records, messages);
    ASSERT_EQ(records.LeftSegmentLines.size(), 2u); // the body's sides, then the open row

    // Station 0.2: the body moved by (0.2, 0.1) without turning.
    CalcSegmentCorners({-8.05, 0.1}, {-13.65, 0.1}, body, SweepPathResult{}, 1.0, 0.2, 10, records, messages);
    CalcSegmentCorners({-10.7, 0.1}, {-13.7, 0.1}, bar, SweepPathResult{}, 2.0, 0.2, 10, records, messages);
    ASSERT_EQ(records.LeftSegmentLines.size(), 5u);
    ASSERT_EQ(records.RightSegmentLines.size(), 5u);
    struct Expected {
        const char* what;
        const SegmentLineRow& row;
        double x1, y1, x2, y2;
    };
    // Front corners at u = 1.4, rear corners at u = -8.2, sides at v = +-1.3.
    for (const Expected& e :
         {Expected{"front left", records.LeftSegmentLines[2], -6.85, 1.3, -6.65, 1.4},
          Expected{"front right", records.RightSegmentLines[2], -6.85, -1.3, -6.65, -1.2},
          Expected{"rear left", records.LeftSegmentLines[3], -16.45, 1.3, -16.25, 1.4},
          Expected{"rear right", records.RightSegmentLines[3], -16.45, -1.3, -16.25, -1.2}}) {
        EXPECT_NEAR(e.row.x1, e.x1, 1e-12) << e.what;
        EXPECT_NEAR(e.row.y1, e.y1, 1e-12) << e.what;
        EXPECT_NEAR(e.row.x2, e.x2, 1e-12) << e.what;
        EXPECT_NEAR(e.row.y2, e.y2, 1e-12) << e.what;
        EXPECT_EQ(e.row.station, 0.2) << e.what;
    }
    // The first unit's own front corners were not touched by the body.
    EXPECT_EQ(records.PrevFrontLeft.x, kPrevCornerAbsent);

    // A unit index that is not a whole number from 0 is a broken run.
    EXPECT_THROW(
        CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, body, SweepPathResult{}, 1.5, 0.4, 10, records, messages),
        std::logic_error);
    EXPECT_THROW(CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, body, SweepPathResult{}, -1.0, 0.4, 10, records,
                                    messages),
                 std::logic_error);
}

TEST(SegmentCorners, AnArithmeticFaultIsReportedAndGivesZeros)
{
    SweepRecords records;
    RecordingMessages messages;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // A fault in the steered tyres comes after the body rows were recorded: those stay.
    SweepPathResult step;
    step.LeftWheelAngle = nan;
    const SegmentCorners c =
        CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, Spec(kKindMotor), step, 0.0, 0.0, 2, records, messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Veichle Turning Simulation");
    EXPECT_EQ(messages.shown[0].text, "Overflow CalcSegmentCorners");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Exclamation);
    for (int i = 0; i < kCornerCount; ++i)
        EXPECT_EQ(c[i], (Point2d{0.0, 0.0})) << "point " << i;
    EXPECT_EQ(records.VehicleSweepLeftFront.size(), 2u);
    EXPECT_EQ(records.LeftSegmentLines.size(), 2u);
    EXPECT_EQ(records.WheelSweepLeftFront.size(), 1u);
    EXPECT_EQ(records.WheelSweepLeftBack.size(), 1u);

    // An overflowing body length faults before anything is recorded.
    SegmentSpec huge = Spec(kKindBody);
    huge.Wheelbase = 1e308;
    huge.Back = 1e308;
    const SegmentCorners h =
        CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, huge, SweepPathResult{}, 1.0, 0.0, 2, records, messages);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(h[0], (Point2d{0.0, 0.0}));
    EXPECT_EQ(records.VehicleSweepLeftFront.size(), 2u);
    EXPECT_EQ(records.LeftSegmentLines.size(), 2u);

    // So does a point that is not a number.
    CalcSegmentCorners({nan, 0.0}, {-5.6, 0.0}, Spec(kKindMotor), SweepPathResult{}, 0.0, 0.2, 2, records,
                       messages);
    EXPECT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(records.VehicleSweepLeftFront.size(), 2u);
}

TEST(SegmentCorners, ResetLeavesOneZeroRowPerListAndNoPreviousCorners)
{
    SweepRecords records;
    RecordingMessages messages;
    CalcSegmentCorners({0.0, 0.0}, {-5.6, 0.0}, Spec(kKindMotor), SweepPathResult{}, 0.0, 0.0, 2, records,
                       messages);
    CalcSegmentCorners({-8.25, 0.0}, {-13.85, 0.0}, Spec(kKindBody), SweepPathResult{}, 1.0, 0.0, 2, records,
                       messages);
    CalcSegmentCorners({0.2, 0.0}, {-5.4, 0.0}, Spec(kKindMotor), SweepPathResult{}, 0.0, 0.2, 2, records,
                       messages);
    records.Reset();
    for (const auto* list :
         {&records.VehicleSweepLeftFront, &records.VehicleSweepRightFront, &records.VehicleSweepLeftBack,
          &records.VehicleSweepRightBack, &records.WheelSweepLeftFront, &records.WheelSweepRightFront,
          &records.WheelSweepLeftBack, &records.WheelSweepRightBack}) {
        ASSERT_EQ(list->size(), 1u);
        EXPECT_EQ(list->front().x, 0.0);
        EXPECT_EQ(list->front().station, 0.0);
        EXPECT_EQ(list->front().flag, 0.0);
    }
    EXPECT_EQ(records.LeftSegmentLines.size(), 1u);
    EXPECT_EQ(records.RightSegmentLines.size(), 1u);
    EXPECT_EQ(records.PrevFrontLeft.x, -99999.0);
    // After a reset the next call of every unit is a first call again: sides only.
    CalcSegmentCorners({0.4, 0.0}, {-5.2, 0.0}, Spec(kKindMotor), SweepPathResult{}, 0.0, 0.4, 2, records,
                       messages);
    EXPECT_EQ(records.LeftSegmentLines.size(), 2u);
    CalcSegmentCorners({-8.0, 0.0}, {-13.6, 0.0}, Spec(kKindBody), SweepPathResult{}, 1.0, 0.4, 2, records,
                       messages);
    EXPECT_EQ(records.LeftSegmentLines.size(), 3u);
}

TEST(SegmentCorners, SaveSegmentLinesFillsTheOpenRowAndOpensANewOne)
{
    SweepRecords records;
    SaveSegmentLines(records, 1, 2, 3, 4, 5, 6, 7, 8, 0.4);
    ASSERT_EQ(records.LeftSegmentLines.size(), 2u);
    ASSERT_EQ(records.RightSegmentLines.size(), 2u);
    const SegmentLineRow l = records.LeftSegmentLines[0];
    const SegmentLineRow r = records.RightSegmentLines[0];
    EXPECT_EQ(l.x1, 1.0);
    EXPECT_EQ(l.y1, 2.0);
    EXPECT_EQ(l.x2, 3.0);
    EXPECT_EQ(l.y2, 4.0);
    EXPECT_EQ(l.station, 0.4);
    EXPECT_EQ(r.x1, 5.0);
    EXPECT_EQ(r.y2, 8.0);
    EXPECT_EQ(r.station, 0.4);
    EXPECT_EQ(records.LeftSegmentLines[1].station, 0.0);

    records.LeftSegmentLines.clear();
    EXPECT_THROW(SaveSegmentLines(records, 1, 2, 3, 4, 5, 6, 7, 8, 0.4), std::logic_error);
}

struct RotateCase {
    Point2d p, centre;
    double angle;
    Point2d expected;
};

class RotateAboutTable : public ::testing::TestWithParam<RotateCase> {};

TEST_P(RotateAboutTable, TurnsCounterClockwiseAboutTheCentre)
{
    const RotateCase t = GetParam();
    const Point2d r = RotateAbout(t.p, t.centre, t.angle);
    EXPECT_NEAR(r.x, t.expected.x, 1e-12);
    EXPECT_NEAR(r.y, t.expected.y, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(SegmentCorners, RotateAboutTable,
                         ::testing::Values(RotateCase{{1, 0}, {0, 0}, kPi / 2, {0, 1}},
                                           RotateCase{{2, 0}, {1, 1}, kPi, {0, 2}},
                                           RotateCase{{3, 4}, {3, 4}, 1.0, {3, 4}},
                                           RotateCase{{5, 0}, {0, 0}, -kPi / 2, {0, -5}},
                                           RotateCase{{1, 1}, {0, 0}, kPi / 4, {0, std::sqrt(2.0)}}));

} // namespace
} // namespace velrok
