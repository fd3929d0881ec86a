// Track-by-track unions on several threads against the one union of every piece, and the widest
// cut against the first, unfiltered way of finding it.
#include "output/SweptRuns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <stdexcept>

namespace velrok {
namespace {

using namespace testing;

class TrackUnion : public ::testing::TestWithParam<size_t> {};

TEST_P(TrackUnion, GivesTheUnionOfAllPiecesOnAnyNumberOfThreads)
{
    const Case c = Cases()[GetParam()];
    SCOPED_TRACE(c.name);
    const SweptFootprints f = FootprintsOf(c);
    const std::vector<TrackSet> sets{SetOf(f, false), SetOf(f, true)};
    const PlaneRegion body = ReferenceUnion(sets[0]), wheels = ReferenceUnion(sets[1]);
    for (unsigned threads : {1u, 3u}) {
        const std::vector<PlaneRegion> got = UnionsOfTracks(sets, threads);
        ASSERT_EQ(got.size(), 2u);
        ExpectSameRegion(got[0], body, "body, threads " + std::to_string(threads));
        ExpectSameRegion(got[1], wheels, "tyres, threads " + std::to_string(threads));
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, TrackUnion, ::testing::Range<size_t>(0, 4),
                         [](const ::testing::TestParamInfo<size_t>& i) { return Cases()[i.param].name; });

TEST(TrackUnion, AStandingVehicleGivesItsOwnOutline)
{
    // The same pose at every station: every piece is the outline itself, touching all others.
    const auto truck = testing::Truck();
    testing::PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(1.0);
    testing::NullMessages messages;
    const auto run = testing::DragAlongPath(truck, path.Stations(), 1, messages);
    SweptFootprints f;
    for (int i = 0; i < 20; ++i)
        f.Add(0, 0.2 * i, run.corners.back()[0], truck[0]);
    const std::vector<TrackSet> sets{SetOf(f, false), SetOf(f, true)};
    const std::vector<PlaneRegion> got = UnionsOfTracks(sets, 2);
    ExpectSameRegion(got[0], ReferenceUnion(sets[0]), "body");
    ExpectSameRegion(got[1], ReferenceUnion(sets[1]), "tyres");
    EXPECT_NEAR(got[0].Area(), (1.4 + 5.6 + 2.6) * 2.6, 1e-9);
}

TEST(TrackUnion, EmptyTracksAndSetsGiveEmptyRegions)
{
    const Ring square{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const std::vector<TrackSet> sets{{}, {{}, {square}, {}}, {{}}};
    const std::vector<PlaneRegion> got = UnionsOfTracks(sets, 2);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_TRUE(got[0].IsEmpty());
    EXPECT_NEAR(got[1].Area(), 1.0, 1e-12);
    EXPECT_TRUE(got[2].IsEmpty());
}

TEST(TrackUnion, TracksThatMeetOnlyAcrossSetsStayApart)
{
    // Two tracks of one set overlapping each other, a third set on its own.
    const Ring a{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, b{{2, 2}, {6, 2}, {6, 6}, {2, 6}},
        c{{10, 0}, {11, 0}, {11, 1}};
    const std::vector<PlaneRegion> got = UnionsOfTracks({{{a}, {b}}, {{c}}}, 2);
    EXPECT_NEAR(got[0].Area(), 28.0, 1e-12);
    EXPECT_NEAR(got[1].Area(), 0.5, 1e-12);
}

TEST(SweptTasks, RunEachTaskOnceAndPassOnTheFirstFailureAfterAll)
{
    for (unsigned threads : {1u, 2u, 5u}) {
        std::vector<std::atomic<int>> runs(40);
        RunSweptTasks(runs.size(), threads, [&](size_t i) { ++runs[i]; });
        for (size_t i = 0; i < runs.size(); ++i)
            EXPECT_EQ(runs[i].load(), 1) << "task " << i << ", threads " << threads;

        std::atomic<int> done{0};
        EXPECT_THROW(RunSweptTasks(10, threads,
                                   [&](size_t i) {
                                       ++done;
                                       if (i == 3)
                                           throw GeometryError("engine");
                                   }),
                     GeometryError);
        EXPECT_EQ(done.load(), 10) << "threads " << threads;
    }
}

TEST(PlaneRegion, JoinedFillsAHoleFromAnotherRegion)
{
    RegionPolygon frame;
    frame.outer = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    frame.holes = {{{3, 3}, {3, 7}, {7, 7}, {7, 3}}};
    const PlaneRegion withHole = PlaneRegion::FromPolygons({frame});
    ASSERT_NEAR(withHole.Area(), 84.0, 1e-12);
    std::vector<PlaneRegion> parts;
    parts.push_back(PlaneRegion::FromPolygons({frame}));
    parts.emplace_back();
    parts.push_back(PlaneRegion::UnionOf({{{2, 2}, {5, 2}, {5, 5}, {2, 5}}}));
    const PlaneRegion joined = PlaneRegion::Joined(parts);
    // The plug covers a quarter of the hole and some of the frame: 84 + 4 of the hole's 16.
    EXPECT_NEAR(joined.Area(), 88.0, 1e-12);
    EXPECT_EQ(RingCount(joined), 2u);
    EXPECT_NEAR(joined.SymDifference(withHole).Area(), 4.0, 1e-12);
    EXPECT_TRUE(PlaneRegion::Joined({}).IsEmpty());
}

// The cuts as they were first worked out: every hull in the station window clipped.
std::vector<double> ReferenceWidths(const std::vector<SweptHull>& hulls,
                                    const std::vector<PathTrackEntry>& track, double reach)
{
    std::vector<double> widths;
    for (size_t i = 0; i + 1 < track.size(); ++i) {
        widths.push_back(0.0);
        const Point2d p{track[i].x, track[i].y};
        const double hx = track[i + 1].x - p.x, hy = track[i + 1].y - p.y;
        const double len = std::hypot(hx, hy);
        if (!(len > 0.0))
            continue;
        const Point2d d{-hy / len, hx / len};
        const Point2d start{p.x - d.x * reach, p.y - d.y * reach};
        double tMin = INFINITY, tMax = -INFINITY;
        for (const SweptHull& h : hulls) {
            if (h.station < track[i].station - reach || h.station > track[i].station + 2.0 * reach)
                continue;
            double t0 = 0.0, t1 = 2.0 * reach;
            if (ClipToConvex(h.ring, start, d, t0, t1)) {
                tMin = std::min(tMin, t0);
                tMax = std::max(tMax, t1);
            }
        }
        if (tMax > tMin)
            widths.back() = tMax - tMin;
    }
    return widths;
}

void ExpectSameWidths(const std::vector<SweptHull>& hulls, const std::vector<PathTrackEntry>& track,
                      double reach)
{
    const std::vector<double> want = ReferenceWidths(hulls, track, reach);
    const std::vector<double> got = SweptCutWidths(hulls, track, reach);
    ASSERT_EQ(got.size(), want.size());
    size_t differ = 0, cut = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        differ += got[i] != want[i];
        cut += want[i] > 0.0;
    }
    EXPECT_EQ(differ, 0u) << "reach " << reach;
    EXPECT_GT(cut, want.size() / 2) << "reach " << reach;
    EXPECT_EQ(MaxSweptWidth(hulls, track, reach), *std::max_element(want.begin(), want.end()));
}

TEST(MaxSweptWidth, EveryCutIsTheOneEveryHullGives)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        std::vector<PathTrackEntry> track;
        const SweptFootprints f = FootprintsOf(c, &track);
        const std::vector<SweptHull> hulls = SweptHulls(f, false, false);
        for (double reach : {3.0, 12.0, 50.0})
            ExpectSameWidths(hulls, track, reach);
    }
}

TEST(MaxSweptWidth, FarCoordinatesGiveTheSameCuts)
{
    // Survey coordinates: the filters' margins grow with them and must still skip nothing.
    Case c = Cases()[0];
    std::vector<PathTrackEntry> track;
    SweptFootprints f = FootprintsOf(c, &track);
    const Point2d shift{4.5e6, 5.6e6};
    for (auto& poses : f.byUnit)
        for (UnitPose& pose : poses)
            for (Point2d& p : pose.body)
                p = {p.x + shift.x, p.y + shift.y};
    for (PathTrackEntry& e : track) {
        e.x += shift.x;
        e.y += shift.y;
    }
    ExpectSameWidths(SweptHulls(f, false, false), track, 12.0);
}

TEST(MaxSweptWidth, NoHullsOrTooShortATrackGiveNoWidth)
{
    const std::vector<PathTrackEntry> track{{0, 0, 0}, {1, 0, 0.2}, {2, 0, 0.4}};
    EXPECT_EQ(SweptCutWidths({}, track, 5.0), (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(MaxSweptWidth({}, track, 5.0), 0.0);
    EXPECT_TRUE(SweptCutWidths({}, {track[0]}, 5.0).empty());
}

void ExpectSameHulls(const std::vector<SweptHull>& got, const std::vector<SweptHull>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].ring, want[i].ring) << "hull " << i;
        EXPECT_EQ(got[i].outline, want[i].outline) << "hull " << i;
        EXPECT_EQ(got[i].station, want[i].station) << "hull " << i;
    }
}

TEST(BuildSweptHulls, GivesTheStepsAndTheMergedTracksAsMadeApart)
{
    std::vector<Case> cases = Cases();
    // A run with straight stretches long enough to merge, and a stop.
    testing::PathBuilder p({0.0, 0.0}, 0.0);
    p.Line(200.0);
    cases.push_back({"SemiTrailerLongStraight", testing::SemiTrailer(), 2, p});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SweptFootprints f = FootprintsOf(c);
        for (int i = 0; i < 3; ++i)
            f.byUnit[0].push_back(f.byUnit[0].back());
        size_t merges = 0;
        for (bool wheels : {false, true}) {
            const SweptHullLists lists = BuildSweptHulls(f, wheels);
            std::vector<SweptHull> steps = SweptHulls(f, wheels, false);
            for (SweptHull& h : steps)
                if (h.outline == h.ring)
                    h.outline.clear(); // kept only where it differs
            ExpectSameHulls(lists.steps, steps);
            const auto tracks = SweptHullTracks(f, wheels, true);
            ASSERT_EQ(lists.mergedTracks.size(), tracks.size());
            for (size_t t = 0; t < tracks.size(); ++t) {
                ASSERT_EQ(lists.mergedTracks[t].size(), tracks[t].size());
                for (size_t i = 0; i < tracks[t].size(); ++i)
                    EXPECT_EQ(*lists.mergedTracks[t][i], tracks[t][i].outline) << "track " << t << " piece " << i;
                merges += SweptHullTracks(f, wheels, false)[t].size() - tracks[t].size();
            }
        }
        if (std::string(c.name) == "SemiTrailerLongStraight") {
            EXPECT_GT(merges, 100u);
        }
    }
}

TEST(ComputeSweptArea, IsTheSameOnOneThreadAsOnMany)
{
    const Case c = Cases()[3];
    std::vector<PathTrackEntry> track;
    const SweptFootprints f = FootprintsOf(c, &track);
    const SweptArea one = ComputeSweptArea(f, track, 50.0, 1);
    const SweptArea many = ComputeSweptArea(f, track, 50.0, 4);
    EXPECT_EQ(one.bodyArea, many.bodyArea);
    EXPECT_EQ(one.wheelArea, many.wheelArea);
    EXPECT_EQ(one.maxWidth, many.maxWidth);
    EXPECT_EQ(one.bodyHulls.size(), many.bodyHulls.size());
    EXPECT_EQ(one.wheelHulls.size(), many.wheelHulls.size());
    const SweptArea plain = ComputeSweptArea(f, track, 50.0);
    EXPECT_EQ(plain.bodyArea, one.bodyArea);
}

} // namespace
} // namespace velrok
