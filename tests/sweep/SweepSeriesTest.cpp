// The per-station series and limits of a run against values worked out independently: the feasible
// speed from the recorded steering angles in each display unit, the articulation angle of a
// semitrailer in the steady state of a circle, the unit chains of the configurations, the stations
// of a reversed run and the lock-to-lock stop against its threshold.
#include "sweep/SweepRun.h"

#include "SweepHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace velrok {
namespace {

using testing::SweepHarness;

constexpr double kPi = 3.14159265358979323846;

// Round to `decimals` with ties to even (the default rounding mode).
double Round(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::nearbyint(v * scale) / scale;
}

// Straight for 20 units, then a left arc of radius 15: the steering angle grows, then holds.
void AddStraightIntoCurve(SweepHarness& h)
{
    h.AddPolyline({{0, 0, 0}, {20, 0, 0}, {35, 15, 0}}, {0.0, std::tan(kPi / 8), 0.0});
}

// ---- speed -------------------------------------------------------------------------------------

struct UnitCase {
    int combo4;
    double perMs; // display units per metre per second
    const char* suffix;
};

class SpeedSeriesInUnit : public ::testing::TestWithParam<UnitCase> {};

// The feasible speed at each station: the steering turns 2M degrees per lock-to-lock time, the path
// asks for the change of the angle per 0.2 units; shown rounded to 1 decimal, capped at 30.
TEST_P(SpeedSeriesInUnit, FollowsTheSteeringChangePerStation)
{
    const UnitCase& unit = GetParam();
    SweepHarness h;
    AddStraightIntoCurve(h);
    h.inputs.Combo4 = unit.combo4;
    h.inputs.chk_PlotVehicle = false;
    h.inputs.chk_plotSweep = false;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::None);
    const double m = 40.0, lockToLock = 7.0;
    const auto& steer = h.results.SteerAngleSeries;
    const auto& speed = h.results.SpeedSeries;
    ASSERT_EQ(speed.size(), steer.size());
    double previous = 0.0; // the angle before the first station
    double lowest = 1e300;
    int belowTop = 0;
    for (size_t i = 1; i < steer.size(); ++i) {
        const double a = steer[i].value * m / 100.0;
        double change = std::fabs(a - Round(previous, 2));
        if (change == 0.0)
            change = 1e-14;
        previous = a;
        const double shown = Round(2.0 * m / lockToLock / (change / 0.2) * unit.perMs, 1);
        lowest = std::min(lowest, shown);
        // One rounding step of slack: the angle is read back from its percentage.
        EXPECT_NEAR(speed[i].value, std::min(shown, 30.0), 0.1 + 1e-9) << "station " << speed[i].station;
        EXPECT_LE(speed[i].value, 30.0);
        if (speed[i].value < 30.0)
            ++belowTop;
    }
    EXPECT_GT(belowTop, 5); // the entry into the curve asks for steering speed
    EXPECT_NEAR(h.results.LowestSpeed, lowest, 0.1 + 1e-9);
    EXPECT_LT(h.results.LowestSpeed, 30.0);
    const std::string report = h.results.Report;
    const std::string suffix = unit.suffix;
    ASSERT_GE(report.size(), suffix.size());
    EXPECT_EQ(report.substr(report.size() - suffix.size()), suffix);
}

INSTANTIATE_TEST_SUITE_P(Units, SpeedSeriesInUnit,
                         ::testing::Values(UnitCase{0, 3.6, " km/h"}, UnitCase{1, 0.62137 * 3.6, " mph"},
                                           UnitCase{2, 1.0, " m/s"}));

// The same run shown in the three units: the steering does not depend on the unit, so each series
// is the metres-per-second one scaled, up to the rounding of each.
TEST(SpeedSeries, UnitsAreScalesOfOneAnother)
{
    std::vector<std::vector<SeriesEntry>> series;
    for (int combo4 : {0, 1, 2}) {
        SweepHarness h;
        AddStraightIntoCurve(h);
        h.inputs.Combo4 = combo4;
        h.inputs.chk_PlotVehicle = false;
        ASSERT_TRUE(h.Execute());
        series.push_back(h.results.SpeedSeries);
    }
    ASSERT_EQ(series[0].size(), series[2].size());
    ASSERT_EQ(series[1].size(), series[2].size());
    int compared = 0;
    for (size_t i = 1; i < series[2].size(); ++i) {
        const double ms = series[2][i].value;
        if (ms * 3.6 >= 29.5)
            continue; // the km/h entry is capped
        EXPECT_NEAR(series[0][i].value, ms * 3.6, 0.05 * 3.6 + 0.05 + 1e-9) << "station " << i;
        EXPECT_NEAR(series[1][i].value, ms * 2.236932, 0.05 * 2.237 + 0.05 + 1e-9) << "station " << i;
        ++compared;
    }
    EXPECT_GT(compared, 5);
}

// ---- lock to lock ------------------------------------------------------------------------------

// At 30 km/h the steering may change by 2M / LockToLock / (v / 0.2) degrees per station. The run
// must stop at the first station whose change is above that, and not before.
TEST(LockToLock, StopsAtTheFirstStationBeyondTheThreshold)
{
    SweepHarness h;
    AddStraightIntoCurve(h);
    h.inputs.txt_Speed = "30";
    h.inputs.chk_PlotVehicle = false;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::LockToLock);
    const double m = 40.0, allowed = 2.0 * m / 7.0 / ((30.0 / 3.6) / 0.2);
    const auto& steer = h.results.SteerAngleSeries;
    double previous = 0.0;
    size_t firstBeyond = 0;
    for (size_t i = 1; i < steer.size() && firstBeyond == 0; ++i) {
        const double a = steer[i].value * m / 100.0;
        if (std::fabs(a - Round(previous, 2)) > allowed)
            firstBeyond = i;
        previous = a;
    }
    ASSERT_NE(firstBeyond, 0u);
    EXPECT_EQ(firstBeyond, steer.size() - 1); // no station was recorded after the stop
    EXPECT_NEAR(h.results.LockToLockStation, steer[firstBeyond].station, 1e-9);
    EXPECT_NEAR(h.results.LockToLockStation, 0.2 * static_cast<double>(firstBeyond - 1), 1e-9);
    // A slower speed allows a larger change: the same path at 10 km/h stops later or not at all.
    SweepHarness slower;
    AddStraightIntoCurve(slower);
    slower.inputs.txt_Speed = "10";
    slower.inputs.chk_PlotVehicle = false;
    ASSERT_TRUE(slower.Execute());
    if (slower.results.Stop == StopReason::LockToLock)
        EXPECT_GT(slower.results.LockToLockStation, h.results.LockToLockStation);
    else
        EXPECT_EQ(slower.results.Stop, StopReason::None);
}

// ---- articulation ------------------------------------------------------------------------------

// Steady state of a tractor and semitrailer on a circle of radius R: the tractor's front axle on
// the circle, its rear axle e1 behind on the tangent, the kingpin 0.5 ahead of the rear axle, the
// trailer's axle e2 behind the kingpin on its own tangent. The recorded angle is the one at the
// tractor's front axle from the trailer's axle to the kingpin, in degrees, positive to the left.
double SteadySemitrailerAngle(double R, double e1, double e2, double kingpinAhead)
{
    const double r1 = std::sqrt(R * R - e1 * e1);
    const Point2d front{r1, e1}, kingpin{r1, kingpinAhead};
    const double rk = std::hypot(kingpin.x, kingpin.y);
    const double r2 = std::sqrt(rk * rk - e2 * e2);
    const double beta = std::atan2(kingpin.y, kingpin.x) - std::atan2(e2, r2);
    const Point2d axle{r2 * std::cos(beta), r2 * std::sin(beta)};
    const double ax = axle.x - front.x, ay = axle.y - front.y;
    const double cx = kingpin.x - front.x, cy = kingpin.y - front.y;
    return std::atan2(cy * ax - cx * ay, cx * ax + cy * ay) * 180.0 / kPi;
}

TEST(ArticAngleSeries, SemitrailerOnACircleSettlesToTheSteadyAngleWithTheTurnsSign)
{
    const double R = 20.0;
    // The step keeps each axle 1.02 wheelbases behind its lead point.
    const double expected = SteadySemitrailerAngle(R, 1.02 * 3.8, 1.02 * 10.0, 0.5);
    ASSERT_GT(std::fabs(expected), 5.0);
    for (bool reverse : {false, true}) {
        SweepHarness h;
        h.UseSemitrailer();
        h.AddArc({0, 0, 0}, R, -kPi / 2, 1.2 * kPi);
        h.inputs.chk_reverse = reverse; // driven clockwise: a right turn
        h.inputs.chk_PlotVehicle = false;
        h.inputs.chk_plotSweep = false;
        ASSERT_TRUE(h.Execute());
        ASSERT_EQ(h.results.Stop, StopReason::None) << h.results.Report;
        const auto& series = h.results.ArticAngleSeries1;
        ASSERT_EQ(series.size(), static_cast<size_t>(h.results.StationCount));
        EXPECT_EQ(h.results.ArticAngleSeries2.size(), 1u);
        const double sign = reverse ? -1.0 : 1.0;
        const double settled = series.back().value * 70.0 / 100.0; // percentage of MaxSegmentAngle 70
        EXPECT_NEAR(settled, sign * expected, 0.5) << (reverse ? "right turn" : "left turn");
        EXPECT_NEAR(h.results.MaxSegmentAngle, std::fabs(expected), 0.5);
    }
}

// ---- the configurations ------------------------------------------------------------------------

struct ChainCase {
    int vtype;
    std::vector<int> kinds;
    double front2; // unit 2's Front: F2 = 0.91 as typed or negated
};

class ConfigurationRun : public ::testing::TestWithParam<ChainCase> {};

// On a straight path every unit of the chain runs on the path's line: each unit's body corners lie
// at half its body width either side, every body unit after the first has an articulation series
// of zeros, and the run goes to its end.
TEST_P(ConfigurationRun, StraightRunKeepsEveryUnitOnTheLine)
{
    const ChainCase& c = GetParam();
    SweepHarness h;
    h.inputs.VType = c.vtype;
    h.inputs.fields.txt_VeichleWidth = "2.4";
    h.inputs.fields.txt_VeichleWidth_2 = "2.5";
    h.inputs.fields.txt_VeichleWidth_3 = "2.6";
    h.AddLine({0, 0, 0}, {80, 0, 0});
    h.inputs.chk_PlotVehicle = false;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::None) << h.results.Report;
    ASSERT_EQ(h.results.Segments.size(), c.kinds.size());
    for (size_t k = 0; k < c.kinds.size(); ++k)
        EXPECT_EQ(h.results.Segments[k].Kind, c.kinds[k]) << "unit " << k + 1;
    EXPECT_DOUBLE_EQ(h.results.Segments[1].Front, c.front2);

    const double widths[] = {2.4, 2.5, 2.6};
    const auto& records = h.results.Records;
    int rows = 0;
    for (const auto* list : {&records.VehicleSweepLeftFront, &records.VehicleSweepLeftBack,
                             &records.VehicleSweepRightFront, &records.VehicleSweepRightBack}) {
        for (size_t i = 1; i < list->size(); ++i) {
            const SweepPointRow& row = (*list)[i];
            const size_t unit = static_cast<size_t>(row.unit);
            ASSERT_LT(unit, c.kinds.size());
            EXPECT_NEAR(std::fabs(row.y), widths[unit] / 2, 1e-6) << "unit " << unit + 1 << " at " << row.station;
            EXPECT_LE(row.x, 80.0 + 1.4 + 1e-9); // no corner beyond the truck's front overhang at the end
            ++rows;
        }
    }
    EXPECT_GT(rows, 0);
    const int bodies = static_cast<int>(std::count(c.kinds.begin() + 1, c.kinds.end(), 3));
    const std::vector<SeriesEntry>* series[] = {&h.results.ArticAngleSeries1, &h.results.ArticAngleSeries2,
                                                &h.results.ArticAngleSeries3};
    for (int s = 0; s < 3; ++s) {
        const size_t expected = s < bodies ? static_cast<size_t>(h.results.StationCount) : 1u;
        ASSERT_EQ(series[s]->size(), expected) << "series " << s + 1;
        for (size_t i = 1; i < series[s]->size(); ++i)
            EXPECT_NEAR((*series[s])[i].value, 0.0, 1e-6);
    }
    EXPECT_NEAR(h.results.MaxSegmentAngle, 0.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Chains, ConfigurationRun,
                         ::testing::Values(ChainCase{4, {1, 3}, -0.91}, ChainCase{5, {1, 3}, -0.91},
                                           ChainCase{8, {1, 3}, -0.91}, ChainCase{11, {1, 3, 3}, -0.91},
                                           ChainCase{12, {1, 3, 3}, 0.91}, ChainCase{13, {1, 3, 3}, 0.91}),
                         [](const auto& info) { return "VType" + std::to_string(info.param.vtype); });

// ---- reverse -----------------------------------------------------------------------------------

// Reversed, the run starts at the exact end 30.3 and then takes the sampled stations backwards:
// 30.2, 30.0, ... 0. The truck drives towards -x with its rear axle behind (at larger x) on the line.
TEST(Reverse, EveryStationAfterTheFirstIsASampleTakenBackwards)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {30.3, 0, 0});
    h.inputs.chk_reverse = true;
    h.inputs.chk_PlotVehicle = false;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::None);
    const auto track = h.results.FilledTrack();
    ASSERT_EQ(track.size(), 153u); // 0 ... 30.2 every 0.2, and the end
    EXPECT_EQ(track[0].x, 30.3);
    for (size_t s = 1; s < track.size(); ++s) {
        EXPECT_NEAR(track[s].x, 30.4 - 0.2 * static_cast<double>(s), 1e-9) << "station " << s;
        EXPECT_EQ(track[s].y, 0.0);
        EXPECT_NEAR(track[s].station, 0.2 * static_cast<double>(s), 1e-9);
    }
    // The rear axle centre, midway between the rear wheels, at each station.
    const auto& left = h.results.Records.WheelSweepLeftBack;
    const auto& right = h.results.Records.WheelSweepRightBack;
    ASSERT_EQ(left.size(), right.size());
    ASSERT_GT(left.size(), 100u);
    for (size_t i = 1; i < left.size(); ++i) {
        const double x = (left[i].x + right[i].x) / 2, y = (left[i].y + right[i].y) / 2;
        const size_t s = static_cast<size_t>(std::lround(left[i].station / 0.2));
        ASSERT_LT(s, track.size());
        EXPECT_NEAR(y, 0.0, 1e-9);
        // Behind the front axle by the wheelbase, give or take the step's 2 per cent.
        EXPECT_GT(x - track[s].x, 5.6 * 0.99) << "station " << s;
        EXPECT_LT(x - track[s].x, 5.6 * 1.03) << "station " << s;
    }
}

} // namespace
} // namespace velrok
