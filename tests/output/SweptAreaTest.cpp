// Swept area: known areas and widths, the straight-stretch merge, and robustness on folded runs.
#include "output/DragAlongPath.h"
#include "output/SweptArea.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace velrok {
namespace {

using testing::DragAlongPath;
using testing::NullMessages;
using testing::PathBuilder;

SweptFootprints FootprintsOf(const testing::DraggedRun& run, const std::vector<SegmentSpec>& units)
{
    SweptFootprints f;
    for (size_t s = 0; s < run.corners.size(); ++s)
        for (size_t k = 0; k < units.size(); ++k)
            f.Add(k, run.track[s].station, run.corners[s][k], units[k]);
    return f;
}

double Area(const std::vector<SweptHull>& hulls)
{
    std::vector<Ring> rings;
    for (const SweptHull& h : hulls)
        rings.push_back(h.outline);
    return PlaneRegion::UnionOf(rings).Area();
}

TEST(SweptArea, StraightTruckIsOneRectangleOfBodyWidth)
{
    const auto truck = testing::Truck();
    PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(30.0);
    NullMessages messages;
    const auto run = DragAlongPath(truck, path.Stations(), 1, messages);
    const SweptFootprints f = FootprintsOf(run, truck);
    const SweptArea area = ComputeSweptArea(f, run.track, 12.0);

    // From the rear at the first station (rear axle at 1.02 wheelbases) to the front at the last.
    const double rear = run.corners.front()[0][2].x;
    const double front = run.corners.back()[0][3].x;
    EXPECT_NEAR(area.bodyArea, (front - rear) * 2.6, 1e-6);
    EXPECT_NEAR(area.maxWidth, 2.6, 1e-9);
    // Four tyres of 1.02 x 0.28 with chamfered corners: two tracks of front and rear tyres on each
    // side, each as long as the run plus a tyre; the front and rear tracks overlap on a straight.
    EXPECT_GT(area.wheelArea, 2 * 0.28 * 30.0);
    EXPECT_LT(area.wheelArea, 2 * 0.28 * (30.0 + 5.6 * 1.02 + 1.02 + 0.2));
    for (const RegionPolygon& p : area.body.Polygons())
        EXPECT_TRUE(p.holes.empty());
}

TEST(SweptArea, MergedStraightStretchesGiveTheSameUnion)
{
    const auto semi = testing::SemiTrailer();
    PathBuilder path({5.0, -3.0}, 0.4);
    path.Line(40.0).Arc(15.0, 1.2).Line(30.0);
    NullMessages messages;
    const auto run = DragAlongPath(semi, path.Stations(), 2, messages);
    const SweptFootprints f = FootprintsOf(run, semi);
    const auto merged = SweptHulls(f, false, true);
    const auto single = SweptHulls(f, false, false);
    EXPECT_LT(merged.size(), single.size());
    EXPECT_NEAR(Area(merged), Area(single), 1e-6);
    EXPECT_NEAR(Area(SweptHulls(f, true, true)), Area(SweptHulls(f, true, false)), 1e-6);
}

TEST(SweptArea, AStandingVehicleCoversItsOwnOutline)
{
    // A stop: the same pose at many stations, outlines touching themselves exactly.
    const auto truck = testing::Truck();
    PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(1.0);
    NullMessages messages;
    const auto run = DragAlongPath(truck, path.Stations(), 1, messages);
    SweptFootprints f;
    for (int i = 0; i < 20; ++i)
        f.Add(0, 0.2 * i, run.corners.back()[0], truck[0]);
    const SweptArea area = ComputeSweptArea(f, run.track, 12.0);
    EXPECT_NEAR(area.bodyArea, (1.4 + 5.6 + 2.6) * 2.6, 1e-9);
}

TEST(SweptArea, AUTurnFoldingOverItselfStaysValid)
{
    const auto truck = testing::Truck();
    PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(15.0).Arc(6.5, 3.141592653589793).Line(15.0).Arc(6.5, -3.141592653589793).Line(10.0);
    NullMessages messages;
    const auto run = DragAlongPath(truck, path.Stations(), 1, messages);
    ASSERT_EQ(run.cannotFollow, 0);
    const SweptFootprints f = FootprintsOf(run, truck);
    SweptArea area;
    ASSERT_NO_THROW(area = ComputeSweptArea(f, run.track, 12.0));
    double largest = 0.0, sum = 0.0;
    for (const SweptHull& h : area.bodyHulls) {
        const double a = PlaneRegion::UnionOf({h.ring}).Area();
        largest = std::max(largest, a);
        sum += a;
    }
    EXPECT_GT(area.bodyArea, largest);
    EXPECT_LT(area.bodyArea, sum);
    // Going out and back over the same ground covers less than twice one way.
    EXPECT_GT(area.wheelArea, 0.0);
    EXPECT_LT(area.wheelArea, area.bodyArea);
}

// A body turning about the middle of its rear edge: that edge crosses itself there, and so does
// the front edge, a little off its middle; the step leaves out the two thin triangles its hull
// would bridge on the inside of the turn. A body moving straight on leaves nothing out. The lists
// the swept area keeps give the outline only where it differs.
TEST(SweptArea, ATurnAboutAnEdgeLeavesItsNotchesOut)
{
    const double a = 0.1, c = std::cos(a), s = std::sin(a);
    auto turned = [&](Point2d p) { return Point2d{c * p.x - s * p.y, s * p.x + c * p.y}; };
    const std::array<Point2d, 4> body{Point2d{-2, 1}, {-2, 0}, {2, 0}, {2, 1}};
    UnitPose p0, p1, p2;
    p0.body = body;
    p1.station = 0.2;
    p2.station = 0.4;
    for (size_t i = 0; i < 4; ++i) {
        p1.body[i] = turned(body[i]);
        p2.body[i] = {p1.body[i].x + 0.3 * c, p1.body[i].y + 0.3 * s}; // straight on along the body
    }
    SweptFootprints f;
    f.byUnit = {{p0, p1, p2}};
    const std::vector<SweptHull> hulls = SweptHulls(f, false, false);
    ASSERT_EQ(hulls.size(), 2u);
    const SweptHull& turn = hulls[0];
    ASSERT_EQ(turn.outline.size(), turn.ring.size() + 2);
    // The rear edge crosses itself at (0, 0); the front one where the turned edge comes back to
    // y = 1. Each notch is the triangle of the crossing and the two corners its bridge joins.
    const Point2d t0 = turned(body[0]), t3 = turned(body[3]);
    const double u = (1.0 - t0.y) / (t3.y - t0.y);
    const Point2d front{t0.x + u * (t3.x - t0.x), 1.0};
    auto triangle = [](Point2d p, Point2d q, Point2d r) {
        return 0.5 * std::fabs((q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x));
    };
    for (Point2d x : {Point2d{0, 0}, front})
        EXPECT_TRUE(std::any_of(turn.outline.begin(), turn.outline.end(),
                                [&](Point2d p) { return std::hypot(p.x - x.x, p.y - x.y) < 1e-12; }));
    const double notches = triangle(turned(body[1]), body[2], {0, 0}) + triangle(t3, body[0], front);
    EXPECT_NEAR(PlaneRegion::UnionOf({turn.outline}).Area(), PlaneRegion::UnionOf({turn.ring}).Area() - notches,
                1e-12);
    EXPECT_EQ(hulls[1].outline, hulls[1].ring);
    // As kept for the swept area: the turn's outline, and none for the straight step.
    const SweptHullLists lists = BuildSweptHulls(f, false);
    ASSERT_EQ(lists.steps.size(), 2u);
    EXPECT_EQ(lists.steps[0].outline, turn.outline);
    EXPECT_TRUE(lists.steps[1].outline.empty());
    ASSERT_EQ(lists.mergedTracks.size(), 1u);
    ASSERT_EQ(lists.mergedTracks[0].size(), 2u);
    EXPECT_EQ(*lists.mergedTracks[0][0], turn.outline);
    EXPECT_EQ(*lists.mergedTracks[0][1], hulls[1].ring);
}

TEST(SweptArea, ConvexHullDropsInnerAndCollinearPoints)
{
    const Ring h = ConvexHull({{0, 0}, {2, 0}, {1, 0}, {2, 2}, {1, 1}, {0, 2}, {0, 2}});
    ASSERT_EQ(h.size(), 4u);
    EXPECT_EQ(h[0], (Point2d{0, 0}));
    EXPECT_EQ(h[1], (Point2d{2, 0}));
    EXPECT_EQ(h[2], (Point2d{2, 2}));
    EXPECT_EQ(h[3], (Point2d{0, 2}));
}

TEST(SweptArea, FailedOutlinesAreNotRecorded)
{
    SweptFootprints f;
    f.Add(2, 0.0, SegmentCorners{}, testing::Truck()[0]);
    EXPECT_TRUE(f.IsEmpty());
    const SweptArea area = ComputeSweptArea(f, {}, 10.0);
    EXPECT_TRUE(area.body.IsEmpty());
    EXPECT_EQ(area.bodyArea, 0.0);
}

TEST(PlaneRegion, BufferOfASquareHasRoundedCorners)
{
    const PlaneRegion square = PlaneRegion::UnionOf({{{0, 0}, {4, 0}, {4, 4}, {0, 4}}});
    const PlaneRegion grown = square.Buffered(0.5);
    // 16 + 4 sides * 4 * 0.5 + a circle of radius 0.5 (the engine's 32-gon, slightly smaller).
    EXPECT_NEAR(grown.Area(), 16.0 + 8.0 + 3.14159 * 0.25, 0.01);
    EXPECT_NEAR(square.Distance({{5.0, -1.0}, {5.0, 5.0}}), 1.0, 1e-12);
    EXPECT_NEAR(square.DistanceToBoundary({1.0, 2.0}), 1.0, 1e-12);
    const auto inside = square.PartsInside({{-1.0, 1.0}, {5.0, 1.0}});
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_NEAR(std::hypot(inside[0].back().x - inside[0].front().x, inside[0].back().y - inside[0].front().y),
                4.0, 1e-12);
    EXPECT_FALSE(square.Intersects({{5.0, 0.0}, {6.0, 1.0}}));
}

} // namespace
} // namespace velrok
