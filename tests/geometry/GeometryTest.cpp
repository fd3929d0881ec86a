// Plane geometry helpers: quadrant rule and guard, signed angles, line-circle intersection,
// angle conversion and the rounding rule of RoundToMultiple.
#include "geometry/Geometry.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace velrok {
namespace {

constexpr double kPi = 3.141592653589793;

struct ATan2Case {
    double opp;
    float adj;
    double expected;
};

class ATan2Table : public ::testing::TestWithParam<ATan2Case> {};

TEST_P(ATan2Table, GivesTheQuadrantAngle)
{
    const ATan2Case c = GetParam();
    EXPECT_NEAR(ATan2(c.opp, c.adj), c.expected, 1e-14) << "opp " << c.opp << " adj " << c.adj;
}

INSTANTIATE_TEST_SUITE_P(
    Geometry, ATan2Table,
    ::testing::Values(ATan2Case{1.0, 1.0f, kPi / 4}, ATan2Case{1.0, -1.0f, 3 * kPi / 4},
                      ATan2Case{-1.0, -1.0f, -3 * kPi / 4}, ATan2Case{-1.0, 1.0f, -kPi / 4},
                      // below the guard the angle is vertical whatever opp is
                      ATan2Case{1.0, 0.00009f, kPi / 2}, ATan2Case{1.0, -0.00009f, kPi / 2},
                      ATan2Case{-1.0, 0.00009f, -kPi / 2}, ATan2Case{1e-9, 0.00009f, kPi / 2},
                      ATan2Case{0.0, 0.0f, kPi / 2}, ATan2Case{-1.0, 0.0f, -kPi / 2},
                      // -0.0 is not below zero
                      ATan2Case{0.0, -1.0f, kPi}, ATan2Case{-0.0, -1.0f, kPi}, ATan2Case{0.0, 1.0f, 0.0},
                      // at the guard itself the arc tangent is taken: pi/2 - atan(0.0001f)
                      ATan2Case{1.0, 0.0001f, kPi / 2 - 9.999999714045e-05}));

TEST(Geometry, PiIsFourArcTangentsOfOne)
{
    EXPECT_EQ(Pi(), 3.141592653589793);
    EXPECT_EQ(RadToDeg(Pi()), 180.0);
    EXPECT_NEAR(DegToRad(90.0), kPi / 2, 1e-16);
    EXPECT_NEAR(RadToDeg(DegToRad(37.25)), 37.25, 1e-13);
    EXPECT_NEAR(RadToDeg(-1.0), -57.29577951308232, 1e-13);
}

struct AngleCase {
    Point2d a, b, c;
    double expected;
};

class AngleAtTable : public ::testing::TestWithParam<AngleCase> {};

TEST_P(AngleAtTable, IsSignedFromRayBAToRayBC)
{
    const AngleCase t = GetParam();
    EXPECT_NEAR(AngleAt(t.a, t.b, t.c), t.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Geometry, AngleAtTable,
                         ::testing::Values(AngleCase{{1, 0}, {0, 0}, {0, 1}, kPi / 2},
                                           AngleCase{{1, 0}, {0, 0}, {0, -1}, -kPi / 2},
                                           AngleCase{{-3, 0}, {0, 0}, {2, 0}, kPi},    // B between A and C
                                           AngleCase{{3, 0}, {0, 0}, {2, 0}, 0.0},     // same side
                                           AngleCase{{0, 0}, {0, 0}, {2, 5}, kPi / 2}, // A on B
                                           AngleCase{{4, 7}, {3, 3}, {3, 3}, kPi / 2}, // C on B
                                           AngleCase{{11, 10}, {10, 10}, {9, 11}, 3 * kPi / 4},
                                           AngleCase{{10, 11}, {10, 10}, {11, 11}, -kPi / 4}));

TEST(Geometry, AngleAtTakesTheDotInSinglePrecision)
{
    // dot just under the single-precision guard as a double, but it rounds up to the guard in
    // single precision: so the arc tangent is taken, not the vertical shortcut.
    const double dot = std::nextafter(static_cast<double>(0.0001f), 0.0);
    ASSERT_LT(dot, static_cast<double>(0.0001f));
    const double angle = AngleAt({1.0, 0.0}, {0.0, 0.0}, {dot, 1.0});
    EXPECT_NEAR(angle, kPi / 2 - 1.0e-4, 1e-8);
    EXPECT_LT(angle, kPi / 2 - 0.5e-4);
}

TEST(Geometry, AngleAtOfAHugeDotDoesNotOverflowTheSinglePrecision)
{
    // 1e30 * 1e30 is beyond the single range: the dot becomes infinite, so the angle is 0 or pi.
    EXPECT_NEAR(AngleAt({1e30, 1.0}, {0.0, 0.0}, {1e30, 0.0}), 0.0, 1e-15);
    EXPECT_NEAR(AngleAt({-1e30, 1.0}, {0.0, 0.0}, {1e30, 0.0}), -kPi, 1e-15);
}

TEST(Geometry, PointDistanceIsEuclidean)
{
    EXPECT_EQ(PointDistance({1.0, 2.0}, {4.0, 6.0}), 5.0);
    EXPECT_EQ(PointDistance({-1.0, -2.0}, {-1.0, -2.0}), 0.0);
    EXPECT_NEAR(PointDistance({0.0, 0.0}, {1.0, 1.0}), std::sqrt(2.0), 1e-16);
}

const Point2d kUntouched{-777.0, 888.0};

struct CircleCase {
    const char* name;
    Point2d centre;
    double r;
    Point2d p1, p2;
    double count;
    Point2d i1, i2; // kUntouched where the output must keep its value
};

class LineCircleTable : public ::testing::TestWithParam<CircleCase> {};

TEST_P(LineCircleTable, CountsAndWritesOnlyWhatItFound)
{
    const CircleCase t = GetParam();
    Point2d i1 = kUntouched, i2 = kUntouched;
    EXPECT_EQ(LineCircleIntersect(t.centre, t.r, t.p1, t.p2, i1, i2), t.count) << t.name;
    EXPECT_NEAR(i1.x, t.i1.x, 1e-12) << t.name;
    EXPECT_NEAR(i1.y, t.i1.y, 1e-12) << t.name;
    EXPECT_NEAR(i2.x, t.i2.x, 1e-12) << t.name;
    EXPECT_NEAR(i2.y, t.i2.y, 1e-12) << t.name;
}

INSTANTIATE_TEST_SUITE_P(
    Geometry, LineCircleTable,
    ::testing::Values(
        // I1 is the intersection farther along P1->P2
        CircleCase{"secant", {0, 0}, 5, {-10, 3}, {10, 3}, 2, {4, 3}, {-4, 3}},
        CircleCase{"secant reversed", {0, 0}, 5, {10, 3}, {-10, 3}, 2, {-4, 3}, {4, 3}},
        CircleCase{"outside the segment", {1, 1}, 5, {2, 1}, {3, 1}, 2, {6, 1}, {-4, 1}},
        // b^2 - 4ac is exactly 0 here (a = 400, b = -400, c = 100)
        CircleCase{"tangent", {0, 0}, 5, {-10, 5}, {10, 5}, 1, {0, 5}, kUntouched},
        CircleCase{"miss", {0, 0}, 5, {-10, 6}, {10, 6}, 0, kUntouched, kUntouched},
        CircleCase{"P1 = P2", {0, 0}, 5, {1, 1}, {1, 1}, 0, kUntouched, kUntouched},
        // a = 9e-8 is within the tolerance, a = 1.024e-7 is not
        CircleCase{"too short", {0, 0}, 5, {0, 0}, {0.0003, 0}, 0, kUntouched, kUntouched},
        CircleCase{"just long enough", {0, 0}, 5, {0, 0}, {0.00032, 0}, 2, {5, 0}, {-5, 0}}));

TEST(Geometry, NearTangentLineGivesTwoCloseIntersections)
{
    Point2d i1 = kUntouched, i2 = kUntouched;
    EXPECT_EQ(LineCircleIntersect({0, 0}, 5.0, {-10, 4.999999}, {10, 4.999999}, i1, i2), 2.0);
    EXPECT_GT(i1.x, 0.0);
    EXPECT_LT(i2.x, 0.0);
    EXPECT_NEAR(i1.x, -i2.x, 1e-9);
    EXPECT_NEAR(i1.x, std::sqrt(25.0 - 4.999999 * 4.999999), 1e-7);
}

struct RoundCase {
    double x, f;
    bool up;
    double expected;
};

class RoundToMultipleTable : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundToMultipleTable, RoundsWithTheProgramsRule)
{
    const RoundCase c = GetParam();
    const RoundResult r = RoundToMultiple(c.x, c.f, c.up);
    EXPECT_FALSE(r.overflow);
    EXPECT_NEAR(r.value, c.expected, 1e-12) << c.x << " / " << c.f << (c.up ? " up" : " down");
}

INSTANTIATE_TEST_SUITE_P(
    Geometry, RoundToMultipleTable,
    ::testing::Values(RoundCase{5.3, 1, false, 5}, RoundCase{5.3, 1, true, 6}, RoundCase{5.0, 1, true, 5},
                      // an exact multiple rounded down goes one step lower
                      RoundCase{5.0, 1, false, 4}, RoundCase{1.0 / 0.2, 1, false, 4},
                      RoundCase{7.3, 0.5, false, 7.0}, RoundCase{7.3, 0.5, true, 7.5},
                      RoundCase{-5.3, 1, false, -6}, RoundCase{-5.3, 1, true, -5},
                      // from 0 down t - c is -0.5 for an exact multiple: down keeps it, up goes one higher
                      RoundCase{0.0, 1, false, 0}, RoundCase{-5.0, 1, false, -5},
                      RoundCase{-5.0, 1, true, -4}, RoundCase{4990.2, 1, false, 4990},
                      RoundCase{32767.4, 1, true, 32768}));

TEST(Geometry, RoundToMultipleReportsA16BitOverflow)
{
    EXPECT_TRUE(RoundToMultiple(40000.0, 1.0, false).overflow);
    EXPECT_TRUE(RoundToMultiple(32768.0, 1.0, true).overflow); // 32768.5 truncates to 32768
    EXPECT_FALSE(RoundToMultiple(32767.9, 1.0, false).overflow);
    EXPECT_FALSE(RoundToMultiple(-32768.4, 1.0, false).overflow);
    EXPECT_TRUE(RoundToMultiple(-32769.0, 1.0, false).overflow);
    EXPECT_TRUE(RoundToMultiple(1.0, 0.0, false).overflow);
    EXPECT_TRUE(RoundToMultiple(std::numeric_limits<double>::quiet_NaN(), 1.0, true).overflow);
    EXPECT_TRUE(RoundToMultiple(1e300, 1.0, true).overflow);
}

TEST(Geometry, RoundToMultipleOfATextParsesWithTheSeparator)
{
    EXPECT_EQ(RoundToMultiple(std::string("5,3"), ',', 1.0, false).value, 5.0);
    EXPECT_EQ(RoundToMultiple(std::string(" 12.5 "), '.', 5.0, true).value, 15.0);
    const RoundResult bad = RoundToMultiple(std::string("abc"), ',', 1.0, true);
    EXPECT_EQ(bad.value, 0.0);
    EXPECT_FALSE(bad.overflow);
    EXPECT_EQ(RoundToMultiple(std::string(""), ',', 1.0, false).value, 0.0);
    EXPECT_EQ(RoundToMultiple(std::string("5.3"), ',', 1.0, true).value, 0.0); // wrong separator
}

TEST(Geometry, ToSingleSaturatesBeyondTheSingleRange)
{
    EXPECT_EQ(ToSingle(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ToSingle(-1e39), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(ToSingle(0.1), 0.1f);
    EXPECT_EQ(ToSingle(static_cast<double>(FLT_MAX)), FLT_MAX);
}

} // namespace
} // namespace velrok
