// Report texts and the run's rounding.
#include "sweep/TurningReport.h"

#include "common/NumberText.h"
#include "sweep/SweepRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace velrok {
namespace {

TEST(RoundNear, SameAsRoundHalfEvenEverywhere)
{
    std::mt19937_64 engine(42);
    std::uniform_real_distribution<double> wide(-200.0, 200.0);
    int compared = 0;
    for (int i = 0; i < 200000; ++i) {
        // Values spread widely, values on ties and just beside them, and very large ones.
        double v = wide(engine);
        if (i % 4 == 1)
            v = std::round(v * 100.0) / 100.0 + 0.005;
        if (i % 4 == 2)
            v = std::round(v * 10.0) / 10.0 + 0.05 + (i % 8 == 2 ? 1e-12 : -1e-12);
        if (i % 4 == 3)
            v = std::ldexp(wide(engine), static_cast<int>(engine() % 60));
        for (int d : {1, 2}) {
            const double slow = RoundHalfEven(v, d), fast = RoundNear(v, d);
            ASSERT_EQ(fast, slow) << v << " to " << d;
            ASSERT_EQ(std::signbit(fast), std::signbit(slow)) << v;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 400000);
    EXPECT_EQ(RoundNear(-12.25, 1), -12.2);
    EXPECT_EQ(RoundNear(2.675, 2), 2.68);
}

TEST(TurningReport, OneUnitHasNoColonMoreUnitsHaveTheSegmentAngle)
{
    SweepResults r;
    r.Segments.resize(1);
    r.MaxFrontAngle = 33.25;
    r.LowestSpeed = 12.3;
    r.SpeedUnitIndex = 1;
    EXPECT_EQ(TurningReport(r, ','), "Truck Max Turning Angle 33,2  Lowest speed along path: 12,3 mph");
    r.Segments.resize(3);
    r.MaxSegmentAngle = 41.35;
    r.LowestSpeed = 30.1;
    r.SpeedUnitIndex = 2;
    EXPECT_EQ(
        TurningReport(r, '.'),
        "Truck Max Turning Angle: 33.2  Max Segment Angle: 41.4  Lowest speed along path:  More than 30 m/s");
    r.LowestSpeed = 30.0;
    r.SpeedUnitIndex = 7;
    EXPECT_EQ(TurningReport(r, '.'),
              "Truck Max Turning Angle: 33.2  Max Segment Angle: 41.4  Lowest speed along path: 30 km/h");
}

} // namespace
} // namespace velrok
