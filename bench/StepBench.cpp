// One unit step of a sweep run: the trailing-axle step and the outline with its records.
#include "output/DragAlongPath.h"
#include "output/SegmentCorners.h"
#include "geometry/SweepPath.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace velrok;

// A truck's front axle running round a circle of radius 15, one station per iteration.
void BM_UnitStep(benchmark::State& state)
{
    testing::NullMessages messages;
    const SegmentSpec truck = testing::SemiTrailer()[0];
    SweepRecords records;
    const double radius = 15.0;
    auto onCircle = [&](long s) {
        const double a = 0.2 * static_cast<double>(s) / radius;
        return Point2d{radius * std::sin(a), radius - radius * std::cos(a)};
    };
    Point2d prevLead{-0.2, 0.0};
    Point2d rear{-0.2 - truck.Wheelbase, 0.0};
    long s = 0;
    for (auto _ : state) {
        const Point2d lead = onCircle(s);
        const SweepPathResult r =
            SweepPath(lead, truck.Wheelbase, prevLead, rear, truck.WheelWidth, messages);
        const SegmentCorners c = CalcSegmentCorners(lead, r.RearPoint, truck, r, 0.0,
                                                    0.2 * static_cast<double>(s), 2, records, messages);
        benchmark::DoNotOptimize(c);
        prevLead = lead;
        rear = r.RearPoint;
        // A run of 998 units has about 5000 stations: start the records afresh at that size.
        if (++s % 5000 == 0)
            records.Reset();
    }
    if (messages.count != 0)
        state.SkipWithError("the step reported a failure");
}
BENCHMARK(BM_UnitStep);

} // namespace
