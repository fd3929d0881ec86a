// Swept area and conflicts of the worst case: a Triple Trailer along a 998-unit winding path, with
// no obstacles and with 100 000 obstacle lines scattered over and around it.
#include "output/Conflicts.h"
#include "output/CoverUnion.h"
#include "output/DragAlongPath.h"
#include "output/SweptArea.h"
#include "output/SweptUnion.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace velrok;

struct Worst {
    testing::DraggedRun run;
    SweptFootprints footprints;
};

const Worst& WorstCase()
{
    static const Worst worst = [] {
        Worst w;
        const testing::PathBuilder path = testing::WindingPath(998.0);
        testing::NullMessages messages;
        const auto units = testing::TripleTrailer();
        w.run = testing::DragAlongPath(units, path.Stations(), 10, messages);
        for (size_t s = 0; s < w.run.corners.size(); ++s)
            for (size_t k = 0; k < units.size(); ++k)
                w.footprints.Add(k, w.run.track[s].station, w.run.corners[s][k], units[k]);
        return w;
    }();
    return worst;
}

void BM_SweptArea998(benchmark::State& state)
{
    const Worst& w = WorstCase();
    const double reach = std::hypot(testing::kTripleTrailerLength, 2.6);
    for (auto _ : state) {
        SweptArea area = ComputeSweptArea(w.footprints, w.run.track, reach);
        const ConflictResult r = FindConflicts(area, PlaneRegion{}, 0.0, {}, {});
        benchmark::DoNotOptimize(r);
        state.counters["body_area"] = area.bodyArea;
    }
}
BENCHMARK(BM_SweptArea998)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same on a given number of threads; CPU time here is the whole process's, so that it shows
// the work done and the wall time what the threads save of it.
void BM_SweptArea998Threads(benchmark::State& state)
{
    const Worst& w = WorstCase();
    const double reach = std::hypot(testing::kTripleTrailerLength, 2.6);
    for (auto _ : state) {
        SweptArea area =
            ComputeSweptArea(w.footprints, w.run.track, reach, static_cast<unsigned>(state.range(0)));
        benchmark::DoNotOptimize(area);
        state.counters["body_area"] = area.bodyArea;
    }
}
BENCHMARK(BM_SweptArea998Threads)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The parts of the worst case one at a time, to see where the time goes.
std::vector<Ring> Outlines(const std::vector<SweptHull>& hulls)
{
    std::vector<Ring> out;
    for (const SweptHull& h : hulls)
        out.push_back(h.outline);
    return out;
}

void BM_SweptHulls998(benchmark::State& state)
{
    const Worst& w = WorstCase();
    for (auto _ : state) {
        for (bool wheels : {false, true})
            benchmark::DoNotOptimize(BuildSweptHulls(w.footprints, wheels));
    }
}
BENCHMARK(BM_SweptHulls998)->Unit(benchmark::kMillisecond);

// Both unions track by track, on one thread and on two.
void BM_TrackUnions998(benchmark::State& state)
{
    const Worst& w = WorstCase();
    std::vector<TrackSet> sets;
    for (bool wheels : {false, true}) {
        TrackSet& set = sets.emplace_back();
        for (const std::vector<SweptHull>& track : SweptHullTracks(w.footprints, wheels, true))
            set.push_back(Outlines(track));
    }
    for (auto _ : state) {
        const std::vector<PlaneRegion> regions = UnionsOfTracks(sets, static_cast<unsigned>(state.range(0)));
        state.counters["body_area"] = regions[0].Area();
        state.counters["wheel_area"] = regions[1].Area();
    }
}
BENCHMARK(BM_TrackUnions998)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

// The union by cover of each set (0 body, 1 tyres) on one thread and on two, and how many tries
// it took to leave no loose end.
void BM_CoverUnion998(benchmark::State& state)
{
    const Worst& w = WorstCase();
    TrackSet set;
    for (const std::vector<SweptHull>& track : SweptHullTracks(w.footprints, state.range(0) == 1, true))
        set.push_back(Outlines(track));
    for (auto _ : state) {
        const std::optional<PlaneRegion> region = UnionByCover(set, static_cast<unsigned>(state.range(1)));
        state.counters["area"] = region ? region->Area() : -1.0;
    }
}
BENCHMARK(BM_CoverUnion998)
    ->Args({0, 1})
    ->Args({0, 2})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ReferenceUnion998(benchmark::State& state)
{
    const Worst& w = WorstCase();
    const std::vector<Ring> pieces = Outlines(SweptHulls(w.footprints, state.range(0) == 1, true));
    for (auto _ : state)
        state.counters["area"] = PlaneRegion::UnionOf(pieces).Area();
}
BENCHMARK(BM_ReferenceUnion998)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MaxSweptWidth998(benchmark::State& state)
{
    const Worst& w = WorstCase();
    const std::vector<SweptHull> hulls = SweptHulls(w.footprints, false, false);
    const double reach = std::hypot(testing::kTripleTrailerLength, 2.6);
    for (auto _ : state)
        state.counters["width"] = MaxSweptWidth(hulls, w.run.track, reach);
}
BENCHMARK(BM_MaxSweptWidth998)->Unit(benchmark::kMillisecond);

// The clearance envelope of the worst case's body area: made once per run before the checks.
void BM_ClearanceEnvelope998(benchmark::State& state)
{
    const Worst& w = WorstCase();
    const SweptArea area =
        ComputeSweptArea(w.footprints, w.run.track, std::hypot(testing::kTripleTrailerLength, 2.6));
    for (auto _ : state) {
        const PlaneRegion envelope = area.body.Buffered(kDefaultClearance);
        benchmark::DoNotOptimize(envelope);
    }
}
BENCHMARK(BM_ClearanceEnvelope998)->Unit(benchmark::kMillisecond)->Iterations(3);

// The conflict checks alone, on an area and clearance envelope worked out once, against 100 000
// short obstacle lines. Each iteration is one FindConflicts call as a run makes it, so it includes
// indexing the hulls and preparing the regions, which the call does afresh; it leaves out
// building the area and its envelope, which cost the same with no obstacles at all and are timed
// by BM_SweptArea998. The 100 000-element target is about the obstacles, so this is the part held
// to it.
void BM_Conflicts100k(benchmark::State& state)
{
    const Worst& w = WorstCase();
    const SweptArea area =
        ComputeSweptArea(w.footprints, w.run.track, std::hypot(testing::kTripleTrailerLength, 2.6));
    const PlaneRegion envelope = area.body.Buffered(kDefaultClearance);
    Box box;
    for (const SweptHull& h : area.bodyHulls)
        box.Add(h.box);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(box.minX - 20, box.maxX + 20), y(box.minY - 20, box.maxY + 20);
    std::uniform_real_distribution<double> step(-1.0, 1.0);
    std::vector<host::ElementLines> obstacles;
    for (int i = 0; i < 100000; ++i) {
        const Point2d a{x(random), y(random)};
        obstacles.push_back({std::to_string(i), {{a, {a.x + step(random), a.y + step(random)}}}});
    }
    ConflictResult r;
    for (auto _ : state) {
        r = FindConflicts(area, envelope, kDefaultClearance, obstacles, {});
        benchmark::DoNotOptimize(r);
    }
    // Sums that any change of result would show, to compare one build with another.
    double depth = 0.0, stations = 0.0;
    for (const Conflict& c : r.conflicts) {
        depth += c.depth;
        stations += c.firstStation + c.lastStation;
    }
    state.counters["conflicts"] = static_cast<double>(r.conflicts.size());
    state.counters["depth_sum"] = depth;
    state.counters["station_sum"] = stations;
    state.counters["least"] = r.least.distance;
    state.counters["least_station"] = r.least.station;
}
BENCHMARK(BM_Conflicts100k)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
