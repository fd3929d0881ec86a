// The trailing-axle step against independent references: straight running, the steady circle,
// mirror symmetry, and the steps that cannot be taken.
#include "geometry/SweepPath.h"

#include "fakes/RecordingServices.h"
#include "geometry/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velrok {
namespace {

using testing::RecordingMessages;

constexpr double kL = 5.6;
constexpr double kW = 2.55;

TEST(SweepPath, StraightRunningPutsTheRearAxle102LBehind)
{
    RecordingMessages messages;
    const SweepPathResult r = SweepPath({0.2, 0.0}, kL, {0.0, 0.0}, {-5.712, 0.0}, kW, messages);
    EXPECT_NEAR(r.RearPoint.x, -5.512, 1e-12);
    EXPECT_NEAR(r.RearPoint.y, 0.0, 1e-12);
    // sin(pi) is not exactly 0 in double precision: the radius is huge but finite and positive.
    EXPECT_GT(r.LeftWheelAngle, 0.0);
    EXPECT_LT(r.LeftWheelAngle, 1e-12);
    EXPECT_GT(r.RightWheelAngle, 0.0);
    EXPECT_LT(r.RightWheelAngle, 1e-12);
    EXPECT_GT(kL / std::tan(r.LeftWheelAngle), 1e12); // R - W/2
    EXPECT_FALSE(r.CannotFollow);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(SweepPath, AStraightStartIgnoresThePreviousSpacing)
{
    // Only the direction of the initial layout matters: the rear axle lands 1.02 L behind.
    RecordingMessages messages;
    const SweepPathResult r = SweepPath({10.0, 10.0}, kL, {9.6, 9.7}, {-30.0, -20.0}, kW, messages);
    EXPECT_NEAR(PointDistance(r.RearPoint, {10.0, 10.0}), 1.02 * kL, 1e-12);
    EXPECT_NEAR(AngleAt({10.0, 10.0}, r.RearPoint, {-30.0, -20.0}), 3.141592653589793, 1e-6);
}

TEST(SweepPath, MovingStraightBackUsesTheInfiniteRadius)
{
    // theta = 0 exactly: phi = 0 and R = 999999999.
    RecordingMessages messages;
    const SweepPathResult r = SweepPath({-0.2, 0.0}, kL, {0.0, 0.0}, {-5.712, 0.0}, kW, messages);
    EXPECT_NEAR(r.RearPoint.x, -5.912, 1e-12); // the circle about P0 meets the axis at -5.912 and 5.512
    EXPECT_NEAR(r.RearPoint.y, 0.0, 1e-12);
    EXPECT_NEAR(r.LeftWheelAngle, kL / (999999999.0 - kW / 2), 1e-22);
    EXPECT_NEAR(r.RightWheelAngle, kL / (999999999.0 + kW / 2), 1e-22);
    EXPECT_GT(r.LeftWheelAngle, r.RightWheelAngle);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(SweepPath, ALeadPointThatDidNotMoveStillSteps)
{
    RecordingMessages messages;
    const SweepPathResult r = SweepPath({0.0, 0.0}, kL, {0.0, 0.0}, {-5.712, 0.0}, kW, messages);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(r.CannotFollow);
    EXPECT_NEAR(r.RearPoint.x, -5.712, 1e-9);
    EXPECT_NEAR(r.RearPoint.y, 0.0, 1e-9);
    EXPECT_TRUE(std::isfinite(r.LeftWheelAngle));
    EXPECT_TRUE(std::isfinite(r.RightWheelAngle));
    EXPECT_NEAR(r.AverageAngleDeg, 0.0, 1e-6);
}

struct BendCase {
    double turn; // direction change of the lead point's move, radians, > 0 to the left
    double length;
};

class Bends : public ::testing::TestWithParam<BendCase> {};

TEST_P(Bends, LeftBendIsPositiveAndItsMirrorNegated)
{
    const BendCase c = GetParam();
    RecordingMessages messages;
    const Point2d p1{0.0, 0.0}, p2{-1.02 * c.length, 0.0};
    const Point2d p0{0.2 * std::cos(c.turn), 0.2 * std::sin(c.turn)};
    const SweepPathResult left = SweepPath(p0, c.length, p1, p2, kW, messages);
    const SweepPathResult right =
        SweepPath({p0.x, -p0.y}, c.length, {p1.x, -p1.y}, {p2.x, -p2.y}, kW, messages);
    ASSERT_TRUE(messages.shown.empty());

    EXPECT_GT(left.LeftWheelAngle, left.RightWheelAngle);
    EXPECT_GT(left.RightWheelAngle, 0.0);
    EXPECT_GT(left.AverageAngleDeg, 0.0);
    EXPECT_NEAR(PointDistance(left.RearPoint, p0), 1.02 * c.length, 1e-9);

    // The mirror turns the other way: the inner wheel is now the right one.
    EXPECT_NEAR(right.RearPoint.x, left.RearPoint.x, 1e-12);
    EXPECT_NEAR(right.RearPoint.y, -left.RearPoint.y, 1e-12);
    EXPECT_NEAR(right.LeftWheelAngle, -left.RightWheelAngle, 1e-12);
    EXPECT_NEAR(right.RightWheelAngle, -left.LeftWheelAngle, 1e-12);
    EXPECT_NEAR(right.AverageAngleDeg, -left.AverageAngleDeg, 1e-10);
}

INSTANTIATE_TEST_SUITE_P(SweepPath, Bends,
                         ::testing::Values(BendCase{0.001, 5.6}, BendCase{0.02, 5.6}, BendCase{0.1, 9.3},
                                           BendCase{0.3, 3.0}, BendCase{0.05, 1.0}));

struct CircleCase {
    double radius;
    double length;
    bool clockwise;
    double settled; // sqrt(R^2 - (1.02 L)^2) + 1.02 L 0.2 / (2 R), worked out by hand
};

class SteadyCircle : public ::testing::TestWithParam<CircleCase> {};

// The lead point runs two laps of a circle, stations 0.2 apart along it, from a straight layout
// on the tangent. The rear axle settles where a rigid unit of length 1.02 L would run, lagging
// half a station: radius sqrt(R^2 - (1.02 L)^2) + 1.02 L 0.2 / (2 R).
TEST_P(SteadyCircle, RearAxleSettlesOnTheAnalyticRadius)
{
    const CircleCase c = GetParam();
    RecordingMessages messages;
    const double side = c.clockwise ? -1.0 : 1.0;
    auto onCircle = [&](int s) {
        const double a = side * 0.2 * s / c.radius;
        return Point2d{c.radius * std::sin(a) * side, c.radius - c.radius * std::cos(a)};
    };
    // Centre (0, R) counter-clockwise, or mirrored to (0, -R) clockwise.
    auto mirror = [&](Point2d p) { return Point2d{p.x, side * p.y}; };
    Point2d prevLead = mirror({-0.2, 0.0});
    Point2d rear = mirror({-0.2 - c.length, 0.0});
    const int stations = static_cast<int>(2 * 2 * 3.141592653589793 * c.radius / 0.2);
    SweepPathResult r;
    for (int s = 0; s <= stations; ++s) {
        const Point2d lead = mirror(onCircle(s));
        r = SweepPath(lead, c.length, prevLead, rear, kW, messages);
        ASSERT_FALSE(r.CannotFollow) << "station " << s;
        prevLead = lead;
        rear = r.RearPoint;
    }
    ASSERT_TRUE(messages.shown.empty());
    const Point2d centre{0.0, side * c.radius};
    EXPECT_NEAR(PointDistance(rear, centre), c.settled, 0.002);
    if (c.clockwise)
        EXPECT_LT(r.AverageAngleDeg, 0.0);
    else
        EXPECT_GT(r.AverageAngleDeg, 0.0);
    // Ackermann on the settled rear radius: tan(average angle) close to L / r.
    EXPECT_NEAR(std::fabs(std::tan(DegToRad(r.AverageAngleDeg))), c.length / c.settled, 0.01);
}

INSTANTIATE_TEST_SUITE_P(SweepPath, SteadyCircle,
                         ::testing::Values(CircleCase{12.0, 5.6, false, 10.601},
                                           CircleCase{12.0, 5.6, true, 10.601},
                                           CircleCase{25.0, 9.3, false, 23.1685}));

TEST(SweepPath, AJumpOfOverTwoLengthsCannotBeFollowed)
{
    RecordingMessages messages;
    const SweepPathResult r = SweepPath({0.0, 15.0}, kL, {0.0, 0.0}, {-5.712, 0.0}, kW, messages);
    EXPECT_TRUE(r.CannotFollow);
    EXPECT_EQ(r.RearPoint.x, 0.0); // the rule's choice, left for the run to refuse
    EXPECT_EQ(r.RearPoint.y, 0.0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(SweepPath, AZeroLengthUnitCannotFollow)
{
    RecordingMessages messages;
    // A circle of radius 0 meets the body axis only when the lead point is on it: off it here.
    const SweepPathResult r = SweepPath({0.2, 0.05}, 0.0, {0.0, 0.0}, {-1.0, 0.0}, kW, messages);
    EXPECT_TRUE(r.CannotFollow);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(SweepPath, AnOrdinaryStepCanBeFollowed)
{
    RecordingMessages messages;
    EXPECT_FALSE(SweepPath({0.2, 0.01}, kL, {0.0, 0.0}, {-5.712, 0.0}, kW, messages).CannotFollow);
}

void ExpectDivisionByZeroRecord(const SweepPathResult& r, const RecordingMessages& messages)
{
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Veichle Turning Simulation");
    EXPECT_EQ(messages.shown[0].text, "Division by zero SweepPath(Module)");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(r.RearPoint.x, 0.0);
    EXPECT_EQ(r.RearPoint.y, 0.0);
    EXPECT_EQ(r.LeftWheelAngle, 0.0);
    EXPECT_EQ(r.RightWheelAngle, 0.0);
    EXPECT_EQ(r.AverageAngleDeg, 0.0);
    // The zeroed rear axle must never be used as a position.
    EXPECT_TRUE(r.CannotFollow);
}

TEST(SweepPath, TwoLOverDEqualToCosThetaIsADivisionByZero)
{
    // L = 1 and a move of 2 straight back: 2 L / d = 1 = cos 0.
    RecordingMessages messages;
    ExpectDivisionByZeroRecord(SweepPath({-2.0, 0.0}, 1.0, {0.0, 0.0}, {-5.0, 0.0}, kW, messages), messages);
}

TEST(SweepPath, ARadiusOfHalfTheTrackIsADivisionByZero)
{
    // Moving straight back gives R = 999999999 exactly; a track of twice that makes R - W/2 = 0.
    RecordingMessages messages;
    ExpectDivisionByZeroRecord(SweepPath({-0.2, 0.0}, kL, {0.0, 0.0}, {-5.712, 0.0}, 1999999998.0, messages),
                               messages);
}

} // namespace
} // namespace velrok
