// Arc-length parametrisation of path elements against analytic points.
#include "host/InMemoryDrawing.h"
#include "host/PathCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace velrok::host {
namespace {

constexpr double kPi = std::numbers::pi;

struct DistanceCase {
    const char* name;
    PathCurve (*make)();
    double length; // analytic
    double distance;
    Point3d expected; // analytic point at that distance
    double tolerance;
};

PathCurve QuarterArc()
{
    return PathCurve::FromArc({2, 3, 0.5}, 5.0, kPi / 6, 2 * kPi / 3);
}
// The end angle lies numerically below the start: the arc still runs counter-clockwise through 0.
PathCurve ArcThroughZero()
{
    return PathCurve::FromArc({0, 0, 0}, 2.0, 7 * kPi / 4, kPi / 4);
}
// Semicircle bulge 1 from (0,0) to (10,0): counter-clockwise, so below the chord, then a line up.
PathCurve BulgedCcw()
{
    return PathCurve::FromVertices({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, {1.0, 0.0, 0.0}, false);
}
PathCurve BulgedCw()
{
    return PathCurve::FromVertices({{0, 0, 0}, {10, 0, 0}}, {-1.0}, false);
}
// A quarter circle as a bulged segment: bulge tan(90deg/4).
PathCurve BulgedQuarter()
{
    return PathCurve::FromVertices({{4, 0, 0}, {0, 4, 0}}, {std::tan(kPi / 8)}, false);
}
PathCurve ClosedSquare()
{
    return PathCurve::FromVertices({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}, {}, true);
}
PathCurve SlopedLine()
{
    return PathCurve::FromVertices({{0, 0, 0}, {3, 4, 12}}, {}, false);
}
// The exact rational quadratic quarter circle of radius 3.
PathCurve NurbsQuarterCircle()
{
    SplineData s;
    s.degree = 2;
    s.controlPoints = {{3, 0, 0}, {3, 3, 0}, {0, 3, 0}};
    s.weights = {1.0, std::sqrt(0.5), 1.0};
    s.knots = {0, 0, 0, 1, 1, 1};
    return PathCurve::FromSpline(s);
}
// Collinear fit points spaced unevenly: the curve is the segment but its parameter speed varies.
PathCurve FitPointsOnLine()
{
    SplineData s;
    s.fitPoints = {{0, 0, 0}, {1, 1, 0}, {1.5, 1.5, 0}, {4, 4, 0}, {10, 10, 0}};
    EXPECT_TRUE(InterpolateFitPoints(s));
    return PathCurve::FromSpline(s);
}
EllipseData Ellipse21()
{
    EllipseData e;
    e.centre = {1, 1, 0};
    e.majorAxis = {2, 0, 0};
    e.ratio = 0.5;
    return e;
}
PathCurve FullEllipse()
{
    return PathCurve::FromEllipse(Ellipse21());
}

const double kEllipseLength = PathCurve::FromEllipse(Ellipse21()).Length();
const double kS = std::sqrt(0.5);

const DistanceCase kCases[] = {
    {"ArcStart", QuarterArc, 5 * kPi / 2, 0.0, {2 + 5 * std::cos(kPi / 6), 3 + 2.5, 0.5}, 1e-12},
    {"ArcMiddle",
     QuarterArc,
     5 * kPi / 2,
     5 * kPi / 4,
     {2 + 5 * std::cos(5 * kPi / 12), 3 + 5 * std::sin(5 * kPi / 12), 0.5},
     1e-12},
    {"ArcBeyondEnd", QuarterArc, 5 * kPi / 2, 100.0, {2 - 2.5, 3 + 5 * std::sin(2 * kPi / 3), 0.5}, 1e-12},
    {"ArcBeforeStart", QuarterArc, 5 * kPi / 2, -3.0, {2 + 5 * std::cos(kPi / 6), 5.5, 0.5}, 1e-12},
    {"ArcThroughZero", ArcThroughZero, kPi, kPi / 2, {2, 0, 0}, 1e-12},
    {"BulgeCcwBottom", BulgedCcw, 5 * kPi + 10, 5 * kPi / 2, {5, -5, 0}, 1e-12},
    {"BulgeCcwOnLine", BulgedCcw, 5 * kPi + 10, 5 * kPi + 4, {10, 4, 0}, 1e-12},
    {"BulgeCwTop", BulgedCw, 5 * kPi, 5 * kPi / 2, {5, 5, 0}, 1e-12},
    {"BulgeQuarterMid", BulgedQuarter, 2 * kPi, kPi, {4 * kS, 4 * kS, 0}, 1e-12},
    {"ClosedSquareLastSide", ClosedSquare, 8.0, 7.5, {0, 0.5, 0}, 1e-12},
    {"SlopedLineKeepsZ", SlopedLine, 13.0, 6.5, {1.5, 2, 6}, 1e-12},
    {"NurbsCircleThird", NurbsQuarterCircle, 1.5 * kPi, 0.5 * kPi, {3 * std::cos(kPi / 6), 1.5, 0}, 1e-8},
    {"NurbsCircleEnd", NurbsQuarterCircle, 1.5 * kPi, 1.5 * kPi, {0, 3, 0}, 1e-9},
    {"FitLine", FitPointsOnLine, 10 * std::sqrt(2.0), 7.0, {7 * kS, 7 * kS, 0}, 1e-8},
    // By symmetry a quarter of an ellipse's perimeter from the end of the major axis is the minor end.
    {"EllipseQuarter", FullEllipse, kEllipseLength, kEllipseLength / 4, {1, 2, 0}, 1e-8},
    {"EllipseHalf", FullEllipse, kEllipseLength, kEllipseLength / 2, {-1, 1, 0}, 1e-8},
};

class PathCurveDistance : public ::testing::TestWithParam<DistanceCase> {};

TEST_P(PathCurveDistance, MatchesAnalyticPointAndLength)
{
    const DistanceCase& c = GetParam();
    const PathCurve curve = c.make();
    EXPECT_NEAR(curve.Length(), c.length, 1e-6 * c.length);
    const Point3d p = curve.PointAtDistance(c.distance);
    EXPECT_NEAR(p.x, c.expected.x, c.tolerance);
    EXPECT_NEAR(p.y, c.expected.y, c.tolerance);
    EXPECT_NEAR(p.z, c.expected.z, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Paths, PathCurveDistance, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The ellipse perimeter against Ramanujan's second approximation (relative error ~1e-10 at b/a = 1/2).
TEST(PathCurve, EllipsePerimeterMatchesRamanujan)
{
    const double a = 2.0, b = 1.0, h = (a - b) * (a - b) / ((a + b) * (a + b));
    const double ramanujan = kPi * (a + b) * (1 + 3 * h / (10 + std::sqrt(4 - 3 * h)));
    EXPECT_NEAR(kEllipseLength, ramanujan, 1e-6 * ramanujan);
}

// Every point of a NURBS circle sampled at the sweep's station step lies on the circle, and
// consecutive stations are one step apart along it.
TEST(PathCurve, NurbsStationsLieOnCircleAtEqualSteps)
{
    const PathCurve curve = NurbsQuarterCircle();
    for (double d = 0.0; d <= curve.Length(); d += 0.2) {
        const Point3d p = curve.PointAtDistance(d);
        EXPECT_NEAR(std::hypot(p.x, p.y), 3.0, 1e-12) << "at " << d;
        EXPECT_NEAR(std::atan2(p.y, p.x), d / 3.0, 1e-8) << "at " << d;
    }
}

TEST(PathCurve, FitPointsAreInterpolated)
{
    SplineData s;
    s.fitPoints = {{0, 0, 0}, {3, 2, 0}, {6, 0, 0}, {9, -2, 0}, {12, 0, 0}};
    ASSERT_TRUE(InterpolateFitPoints(s));
    EXPECT_EQ(s.degree, 3);
    EXPECT_EQ(s.controlPoints.size(), 5u);
    // Each fit point is met by the curve: the closest sampled point comes within sampling error.
    const PathCurve curve = PathCurve::FromSpline(s);
    for (const Point3d& q : s.fitPoints) {
        double best = 1e9;
        for (double d = 0.0; d <= curve.Length(); d += 0.001) {
            const Point3d p = curve.PointAtDistance(d);
            best = std::min(best, std::hypot(p.x - q.x, p.y - q.y));
        }
        EXPECT_LT(best, 1e-3) << q.x << "," << q.y;
    }
}

// A long fit-point list along a circle: the banded solve stays cheap and the curve follows the circle.
TEST(PathCurve, ManyFitPointsOnACircle)
{
    SplineData s;
    for (int i = 0; i <= 5000; ++i) {
        const double a = kPi * i / 5000;
        s.fitPoints.push_back({50 * std::cos(a), 50 * std::sin(a), 0});
    }
    ASSERT_TRUE(InterpolateFitPoints(s));
    const PathCurve curve = PathCurve::FromSpline(s);
    EXPECT_NEAR(curve.Length(), 50 * kPi, 1e-6 * 50 * kPi);
    const Point3d top = curve.PointAtDistance(25 * kPi);
    EXPECT_NEAR(top.x, 0.0, 1e-4);
    EXPECT_NEAR(top.y, 50.0, 1e-6);
}

TEST(PathCurve, DegenerateInputs)
{
    SplineData one;
    one.fitPoints = {{1, 1, 0}, {1, 1, 0}};
    EXPECT_FALSE(InterpolateFitPoints(one));
    SplineData bad;
    bad.degree = 3;
    bad.controlPoints = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    bad.knots = {0, 0, 0, 1, 1, 1}; // two knots short
    EXPECT_THROW(PathCurve::FromSpline(bad), std::invalid_argument);
    // Two coincident vertices: zero length, and every distance gives that point.
    const PathCurve dot = PathCurve::FromVertices({{4, 5, 0}, {4, 5, 0}}, {}, false);
    EXPECT_EQ(dot.Length(), 0.0);
    EXPECT_EQ(dot.PointAtDistance(1.0).x, 4.0);
}

// --- numbers a damaged file can hold: each gives a sound curve or a clear refusal ---

// Parameters far beyond one turn: the curve is at most one turn long, is built at once (no loop
// adding turns, no piece count that grows with the parameter) and ends where the ellipse's own
// parametric equation puts the end parameter.
struct EllipseRangeCase {
    const char* name;
    double startParam;
    double endParam;
};

class PathCurveEllipseRange : public ::testing::TestWithParam<EllipseRangeCase> {};

TEST_P(PathCurveEllipseRange, AtMostOneTurnEndingAtTheEndParameter)
{
    EllipseData e = Ellipse21();
    e.startParam = GetParam().startParam;
    e.endParam = GetParam().endParam;
    const PathCurve curve = PathCurve::FromEllipse(e);
    ASSERT_TRUE(std::isfinite(curve.Length()));
    EXPECT_GT(curve.Length(), 0.0);
    EXPECT_LE(curve.Length(), kEllipseLength * (1 + 1e-9));
    const Point3d first = curve.PointAtDistance(0.0);
    const Point3d last = curve.PointAtDistance(curve.Length());
    EXPECT_NEAR(first.x, 1 + 2 * std::cos(e.startParam), 1e-6);
    EXPECT_NEAR(first.y, 1 + std::sin(e.startParam), 1e-6);
    EXPECT_NEAR(last.x, 1 + 2 * std::cos(e.endParam), 1e-6);
    EXPECT_NEAR(last.y, 1 + std::sin(e.endParam), 1e-6);
    // Every sampled point lies on the ellipse ((x-1)/2)^2 + (y-1)^2 = 1.
    for (int i = 0; i <= 20; ++i) {
        const Point3d p = curve.PointAtDistance(curve.Length() * i / 20);
        EXPECT_NEAR((p.x - 1) * (p.x - 1) / 4 + (p.y - 1) * (p.y - 1), 1.0, 1e-9) << "sample " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, PathCurveEllipseRange,
                         ::testing::Values(EllipseRangeCase{"HugeStart", 1e20, 0.5},
                                           EllipseRangeCase{"HugeNegativeEnd", 0.25, -1e116},
                                           EllipseRangeCase{"EndManyTurnsOn", 0.0, 1e7},
                                           EllipseRangeCase{"EndBeyondIntRange", 0.0, 1e12},
                                           EllipseRangeCase{"OppositeHugeEnds", -1e308, 1e308},
                                           EllipseRangeCase{"EndJustBelowStart", 1.0, 0.5},
                                           // found by fuzzing: reduced ends on opposite sides of 0
                                           EllipseRangeCase{"ReducedEndsFarApart", 3.9375, -1504.0625}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PathCurve, EllipseWithEqualParametersIsWholeAndHalfWayRoundFromItsStart)
{
    EllipseData e = Ellipse21();
    e.startParam = e.endParam = kPi / 2; // starts at the minor end (1, 2)
    const PathCurve curve = PathCurve::FromEllipse(e);
    EXPECT_NEAR(curve.Length(), kEllipseLength, 1e-9 * kEllipseLength);
    const Point3d half = curve.PointAtDistance(kEllipseLength / 2);
    EXPECT_NEAR(half.x, 1.0, 1e-8);
    EXPECT_NEAR(half.y, 0.0, 1e-8);
}

TEST(PathCurve, CircleFromAnyStartAngleIsAWholeTurn)
{
    // start + 2 pi must be one full turn, not the rounding error left by reducing both angles.
    for (double start : {0.0, 1.0, 3.0, -2.5, 100.0, 1e9}) {
        const PathCurve circle = PathCurve::FromArc({0, 0, 0}, 2.0, start, start + 2 * kPi);
        EXPECT_NEAR(circle.Length(), 4 * kPi, 1e-6) << "start " << start;
    }
}

TEST(PathCurve, ArcWithHugeAnglesStartsAndEndsOnItsAngles)
{
    const PathCurve arc = PathCurve::FromArc({5, 5, 0}, 3.0, -1e308, 1e308);
    ASSERT_TRUE(std::isfinite(arc.Length()));
    EXPECT_LE(arc.Length(), 6 * kPi * (1 + 1e-12));
    const Point3d a = arc.PointAtDistance(0.0), b = arc.PointAtDistance(arc.Length());
    EXPECT_NEAR(a.x, 5 + 3 * std::cos(-1e308), 1e-9);
    EXPECT_NEAR(a.y, 5 + 3 * std::sin(-1e308), 1e-9);
    EXPECT_NEAR(b.x, 5 + 3 * std::cos(1e308), 1e-9);
    EXPECT_NEAR(b.y, 5 + 3 * std::sin(1e308), 1e-9);
}

TEST(PathCurve, UnusableNumbersAreRefused)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Lengths that overflow.
    EXPECT_THROW(PathCurve::FromArc({0, 0, 0}, 1e308, 0, 6), std::invalid_argument);
    EXPECT_THROW(PathCurve::FromVertices({{-1e308, 0, 0}, {1e308, 0, 0}}, {}, false), std::invalid_argument);
    EXPECT_THROW(PathCurve::FromVertices({{0, 0, 0}, {1, 0, 0}}, {1e200}, false), std::invalid_argument);
    // An arc whose points would overflow although its length does not.
    EXPECT_THROW(PathCurve::FromArc({1.7e308, 0, 0}, 1e307, 0, 0.1), std::invalid_argument);
    // Values that are no numbers, and an arc without radius.
    EXPECT_THROW(PathCurve::FromArc({0, 0, 0}, 0.0, 0, 1), std::invalid_argument);
    EXPECT_THROW(PathCurve::FromArc({0, 0, 0}, 1.0, nan, 1), std::invalid_argument);
    EXPECT_THROW(PathCurve::FromVertices({{0, 0, 0}, {inf, 0, 0}}, {}, false), std::invalid_argument);
    EXPECT_THROW(PathCurve::FromVertices({{0, 0, 0}, {1, 0, 0}}, {nan}, false), std::invalid_argument);
    EllipseData e = Ellipse21();
    e.majorAxis = {1e308, 1e308, 0};
    EXPECT_THROW(PathCurve::FromEllipse(e), std::invalid_argument);
    e = Ellipse21();
    e.endParam = inf;
    EXPECT_THROW(PathCurve::FromEllipse(e), std::invalid_argument);
    // A bulge large but finite enough keeps its circle in range: a sound (huge) arc.
    const PathCurve big = PathCurve::FromVertices({{0, 0, 0}, {1, 0, 0}}, {1e100}, false);
    EXPECT_NEAR(big.Length() / (2 * kPi * 0.25e100), 1.0, 1e-9);
}

SplineData LineSpline()
{
    SplineData s;
    s.degree = 1;
    s.controlPoints = {{0, 0, 0}, {4, 0, 0}, {4, 3, 0}};
    s.knots = {0, 0, 1, 2, 2};
    return s;
}

TEST(PathCurve, SplineKnotsAreCheckedBeforeUse)
{
    SplineData s = LineSpline();
    ASSERT_TRUE(s.IsValid());
    EXPECT_NEAR(PathCurve::FromSpline(s).Length(), 7.0, 1e-9);

    s.knots = {-1e308, -1e308, 0, 1e308, 1e308}; // each finite, their range is not
    EXPECT_FALSE(s.IsValid());
    EXPECT_THROW(PathCurve::FromSpline(s), std::invalid_argument);
    s.knots = {0, 0, std::numeric_limits<double>::quiet_NaN(), 2, 2};
    EXPECT_FALSE(s.IsValid());
    s.knots = {0, 0, std::numeric_limits<double>::infinity(), 2, 2};
    EXPECT_FALSE(s.IsValid());
    s.knots = {0, 0, 2, 1, 2}; // decreasing
    EXPECT_FALSE(s.IsValid());
    s.knots = {1, 1, 1, 1, 1}; // empty range
    EXPECT_FALSE(s.IsValid());
    s = LineSpline();
    s.weights = {1, std::numeric_limits<double>::infinity(), 1};
    EXPECT_FALSE(s.IsValid());
    s.weights = {1, 1e300, 1};
    s.controlPoints[1] = {1e10, 0, 0}; // weight times coordinate overflows
    EXPECT_THROW(PathCurve::FromSpline(s), std::invalid_argument);
}

TEST(PathCurve, SplineEvaluationStaysInsideItsDomain)
{
    const SplineData s = LineSpline();
    const Point3d before = s.Evaluate(-1e300), after = s.Evaluate(1e300);
    const Point3d none = s.Evaluate(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(before, (Point3d{0, 0, 0}));
    EXPECT_EQ(after, (Point3d{4, 3, 0}));
    EXPECT_EQ(none, (Point3d{0, 0, 0}));
    const Point3d corner = s.Evaluate(1.0);
    EXPECT_NEAR(corner.x, 4.0, 1e-12);
    EXPECT_NEAR(corner.y, 0.0, 1e-12);
}

// Knots far from 0 with a narrow span: the span still has its length (a step below the parameter's
// rounding would make every difference 0).
TEST(PathCurve, SplineWithNarrowSpanFarFromZeroKeepsItsLength)
{
    SplineData s = LineSpline();
    s.knots = {1e10, 1e10, 1e10 + 1e-3, 1e10 + 2e-3, 1e10 + 2e-3};
    EXPECT_NEAR(PathCurve::FromSpline(s).Length(), 7.0, 1e-3);
}

// Found by fuzzing: a spline that runs out to -1e308 has a finite length near 6e307, and every point
// along it must be a number (the first guess of a point's parameter used to overflow).
TEST(PathCurve, SplineReachingTheEndOfTheNumbersGivesFinitePoints)
{
    SplineData s;
    s.degree = 3;
    const double a = 2015.8125;
    s.controlPoints = {{a, a, a}, {a, a, 0}, {a, a, a}, {a, a, a}, {a, a, a}, {-1e308, a, a}, {a, a, a}};
    s.knots = {2447.625, 4463.4375, 6479.25, 8495.0625, 10510.875, 12526.6875, 14542.5, 16557.8125,
               18590, 18590, 18590};
    const PathCurve curve = PathCurve::FromSpline(s);
    ASSERT_TRUE(std::isfinite(curve.Length()));
    double previousX = a;
    for (int i = 1; i <= 40; ++i) {
        const Point3d p = curve.PointAtDistance(curve.Length() * i / 40);
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << "sample " << i;
        EXPECT_NEAR(p.y, a, 1e-6) << "sample " << i; // every control point has this y
        if (i <= 30) { // out towards -1e308 first: x only falls
            EXPECT_LE(p.x, previousX) << "sample " << i;
        }
        previousX = p.x;
    }
}

TEST(PathCurve, SplineWeightsOutsideTheirBoundsAreRefused)
{
    SplineData s = LineSpline();
    s.weights = {1, 1e-200, 1};
    EXPECT_FALSE(s.IsValid());
    s.weights = {1, 1e200, 1};
    EXPECT_FALSE(s.IsValid());
    s.weights = {1, 2, 1};
    EXPECT_TRUE(s.IsValid());
    // A rational line still runs along its control polygon.
    EXPECT_NEAR(PathCurve::FromSpline(s).Length(), 7.0, 1e-9);
}

TEST(PathCurve, NaNDistanceGivesTheStart)
{
    const PathCurve line = SlopedLine();
    EXPECT_EQ(line.PointAtDistance(std::numeric_limits<double>::quiet_NaN()), (Point3d{0, 0, 0}));
}

// The drawing turns a refused curve into its own refusal, so a reader skips just that element.
TEST(PathCurve, DrawingRefusesAnElementWhoseLengthOverflows)
{
    InMemoryDrawing drawing;
    DrawingElement arc;
    arc.kind = ElementKind::Arc;
    arc.arc = {{0, 0, 0}, 1e308, 0.0, 6.0};
    EXPECT_THROW(drawing.AddNewElement(arc), HostError);
    DrawingElement bulged;
    bulged.kind = ElementKind::Polyline;
    bulged.vertices = {{0, 0, 0}, {1, 0, 0}};
    bulged.extras->bulges = {1e200};
    EXPECT_THROW(drawing.AddNewElement(bulged), HostError);
    EXPECT_TRUE(drawing.ModelElements().empty());
    DrawingElement circle;
    circle.kind = ElementKind::Circle;
    circle.arc = {{0, 0, 0}, 2.0, 1.0, 0.0};
    const ElementHandle h = drawing.AddNewElement(circle);
    EXPECT_NEAR(drawing.Length(h), 4 * kPi, 1e-9);
}

} // namespace
} // namespace velrok::host
