// The prepared region against the region's own engine queries: distances, distances to the
// boundary and clipped pieces on random lines, on a region with a hole and on a union of many
// small pieces; lines along an edge and through a corner; the grid alone, cell by cell and row
// by row.
#include "output/PlaneRegion.h"
#include "output/CellGrid.h"
#include "output/SegmentMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace velrok {
namespace {

// A square frame with a square hole, and a notched polygon beside it.
PlaneRegion FrameAndNotch()
{
    RegionPolygon frame;
    frame.outer = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    frame.holes = {{{3, 3}, {3, 7}, {7, 7}, {7, 3}}};
    RegionPolygon notch;
    notch.outer = {{12, 0}, {20, 0}, {20, 10}, {16, 4}, {12, 10}};
    return PlaneRegion::FromPolygons({frame, notch});
}

// Many overlapping small squares along a wavy band: an engine union of some thousand edges.
PlaneRegion WavyBand()
{
    std::vector<Ring> squares;
    for (int i = 0; i < 400; ++i) {
        const double x = 0.25 * i, y = 3.0 * std::sin(0.05 * i);
        const double a = 0.1 * i;
        Ring r;
        for (int k = 0; k < 4; ++k) {
            const double t = a + k * 1.5707963267948966;
            r.push_back({x + 0.9 * std::cos(t), y + 0.9 * std::sin(t)});
        }
        squares.push_back(r);
    }
    return PlaneRegion::UnionOf(squares);
}

double Length(const LineString2d& l)
{
    double s = 0.0;
    for (size_t i = 0; i + 1 < l.size(); ++i)
        s += std::hypot(l[i + 1].x - l[i].x, l[i + 1].y - l[i].y);
    return s;
}

void ExpectSameAnswers(const PlaneRegion& region, const Extent& area, int lines, unsigned seed)
{
    const PreparedRegion prepared(region);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> x(area.minX, area.maxX), y(area.minY, area.maxY), step(-3.0, 3.0);
    int inside = 0;
    for (int n = 0; n < lines; ++n) {
        LineString2d line{{x(random), y(random)}};
        const int points = 2 + n % 3;
        for (int k = 1; k < points; ++k)
            line.push_back({line.back().x + step(random), line.back().y + step(random)});
        SCOPED_TRACE(::testing::Message() << "line " << n);
        const double distance = region.Distance(line);
        EXPECT_NEAR(prepared.Distance(line), distance, 1e-9);
        // A search cut short at 1.5 is exact up to there, and says "farther" beyond.
        if (distance <= 1.5)
            EXPECT_NEAR(prepared.Distance(line, 1.5), distance, 1e-9);
        else
            EXPECT_GT(prepared.Distance(line, 1.5), 1.5);
        EXPECT_EQ(prepared.Intersects(line), region.Intersects(line));
        EXPECT_NEAR(prepared.DistanceToBoundary(line[0]), region.DistanceToBoundary(line[0]), 1e-9);
        const auto mine = prepared.PartsInside(line);
        const auto engine = region.PartsInside(line);
        ASSERT_EQ(mine.size(), engine.size());
        for (size_t p = 0; p < mine.size(); ++p) {
            ASSERT_EQ(mine[p].size(), engine[p].size()) << "piece " << p;
            for (size_t k = 0; k < mine[p].size(); ++k) {
                EXPECT_NEAR(mine[p][k].x, engine[p][k].x, 1e-9);
                EXPECT_NEAR(mine[p][k].y, engine[p][k].y, 1e-9);
            }
        }
        inside += mine.empty() ? 0 : 1;
    }
    // The lines must have tried both outcomes for the comparison to mean anything.
    EXPECT_GT(inside, lines / 10);
    EXPECT_LT(inside, lines);
}

TEST(PreparedRegion, AgreesWithTheEngineOnRandomLinesAroundAFrameWithAHole)
{
    ExpectSameAnswers(FrameAndNotch(), {-4, -4, 24, 14}, 600, 3);
}

TEST(PreparedRegion, AgreesWithTheEngineOnAUnionOfManyPieces)
{
    const PlaneRegion band = WavyBand();
    ASSERT_FALSE(band.IsEmpty());
    ExpectSameAnswers(band, {-3, -6, 103, 6}, 600, 11);
}

TEST(PreparedRegion, LinesAlongAnEdgeAndThroughCornersAndHoles)
{
    const PlaneRegion region = FrameAndNotch();
    const PreparedRegion prepared(region);
    // Along the bottom edge: on the boundary, so inside, one piece from 0 to 10 in each polygon.
    const auto along = prepared.PartsInside({{-2, 0}, {22, 0}});
    ASSERT_EQ(along.size(), 2u);
    EXPECT_NEAR(Length(along[0]), 10.0, 1e-12);
    EXPECT_NEAR(Length(along[1]), 8.0, 1e-12);
    // Across the hole: two pieces of the frame, none in the hole.
    const auto across = prepared.PartsInside({{-1, 5}, {11, 5}});
    ASSERT_EQ(across.size(), 2u);
    EXPECT_NEAR(across[0].front().x, 0.0, 1e-12);
    EXPECT_NEAR(across[0].back().x, 3.0, 1e-12);
    EXPECT_NEAR(across[1].front().x, 7.0, 1e-12);
    // A polyline bending at the notch's inner corner stays one piece each side of it, as the
    // engine cuts it there.
    const LineString2d bend{{13, 1}, {16, 4}, {19, 1}};
    EXPECT_EQ(prepared.PartsInside(bend).size(), region.PartsInside(bend).size());
    // Inside the hole: no part, distance to the frame and to its boundary 2.
    EXPECT_TRUE(prepared.PartsInside({{4, 5}, {6, 5}}).empty());
    EXPECT_NEAR(prepared.Distance({{5, 4.5}, {5, 5.5}}), 2.0 - 0.5, 1e-12);
    EXPECT_NEAR(prepared.DistanceToBoundary({5, 5}), 2.0, 1e-12);
    // Wholly inside the frame, touching nothing: distance 0, depth to the nearer edge.
    EXPECT_EQ(prepared.Distance({{1, 1}, {1.5, 1.5}}), 0.0);
    EXPECT_NEAR(prepared.DistanceToBoundary({1, 1.5}), 1.0, 1e-12);
    // Far away: the search grows until it reaches the region.
    EXPECT_NEAR(prepared.Distance({{-100, 5}, {-90, 5}}), 90.0, 1e-9);
}

TEST(PreparedRegion, EmptyRegionAnswersLikeTheEngine)
{
    const PlaneRegion empty;
    const PreparedRegion prepared(empty);
    EXPECT_EQ(prepared.Distance({{0, 0}, {1, 1}}), INFINITY);
    EXPECT_EQ(prepared.DistanceToBoundary({0, 0}), INFINITY);
    EXPECT_TRUE(prepared.PartsInside({{0, 0}, {1, 1}}).empty());
    EXPECT_FALSE(prepared.Intersects({{0, 0}, {1, 1}}));
}

TEST(PlaneRegion, ClippedToABoxKeepsWhatLiesInIt)
{
    const PlaneRegion region = FrameAndNotch();
    // From x = 6 to 14: the frame from 6 to 10 (40) less its hole from 6 to 7 (4), and the notched
    // polygon from 12 to 14 under its edge from (12, 10) to (16, 4), 10 high at 12 and 7 at 14.
    const PlaneRegion clipped = region.ClippedTo({6, -1, 14, 11});
    EXPECT_NEAR(clipped.Area(), 40.0 - 4.0 + (10.0 + 7.0) / 2.0 * 2.0, 1e-9);
    EXPECT_TRUE(clipped.IsValid());
    // A box round everything keeps all; one beside everything, nothing.
    EXPECT_NEAR(region.ClippedTo({-5, -5, 30, 30}).Area(), region.Area(), 1e-9);
    EXPECT_TRUE(region.ClippedTo({40, 40, 50, 50}).IsEmpty());
    EXPECT_TRUE(PlaneRegion{}.ClippedTo({0, 0, 1, 1}).IsEmpty());
}

// A sliver in survey coordinates keeps its area and its turn: products of the coordinates
// themselves would round away far more than the sliver holds.
TEST(SignedArea, FarFromZeroASliverKeepsItsArea)
{
    const double x = 4.5e6, y = 5.6e6;
    const double h = (y + 1e-3) - y; // the height as the coordinates hold it
    const Ring sliver{{x, y}, {x + 1.0, y}, {x + 1.0, y + h}, {x, y + h}};
    EXPECT_NEAR(SignedArea(sliver), h, 1e-15);
    const Ring back(sliver.rbegin(), sliver.rend());
    EXPECT_NEAR(SignedArea(back), -h, 1e-15);
    EXPECT_EQ(SignedArea(Ring{}), 0.0);
}

TEST(CellGrid, VisitsEveryItemWhoseBoxMeetsTheQuery)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> at(0.0, 100.0), size(0.0, 8.0);
    std::vector<Extent> items;
    for (int i = 0; i < 500; ++i) {
        const double x = at(random), y = at(random);
        items.push_back({x, y, x + size(random), y + size(random)});
    }
    const CellGrid grid(items, 3.0, [](size_t, const Extent&) { return true; });
    for (int q = 0; q < 200; ++q) {
        const double x = at(random) * 1.2 - 10.0, y = at(random) * 1.2 - 10.0;
        const Extent query{x, y, x + size(random), y + size(random)};
        const std::vector<uint32_t> near = grid.Near(query);
        for (size_t i = 0; i < items.size(); ++i) {
            const Extent& e = items[i];
            const bool meets =
                e.minX <= query.maxX && query.minX <= e.maxX && e.minY <= query.maxY && query.minY <= e.maxY;
            if (meets) {
                EXPECT_TRUE(std::binary_search(near.begin(), near.end(), static_cast<uint32_t>(i)))
                    << "query " << q << " missed item " << i;
            }
        }
        EXPECT_TRUE(std::is_sorted(near.begin(), near.end()));
        EXPECT_EQ(grid.Any(query, [](uint32_t) { return true; }), !near.empty());
    }
    // A grid asked for tiny cells over a wide extent stays within its cell budget.
    const CellGrid coarse({{0, 0, 1e6, 1e6}}, 1e-3, [](size_t, const Extent&) { return true; });
    EXPECT_GE(coarse.Cell() * coarse.Cell(), 1e12 / kMaxGridCells * (1.0 - 1e-9));
    // ... and within a smaller one when asked.
    const CellGrid budget({{0, 0, 100, 100}}, 0.01, [](size_t, const Extent&) { return true; }, 400.0);
    EXPECT_GE(budget.Cell(), 5.0 * (1.0 - 1e-9));
}

// Along a segment the grid offers every item whose box comes within the margin of it (it may
// offer more), in any direction, from inside the grid and from beyond its edge.
TEST(CellGrid, AlongASegmentOffersEveryItemNearIt)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> at(0.0, 100.0), size(0.0, 4.0), far(-30.0, 130.0);
    std::vector<Extent> items;
    for (int i = 0; i < 800; ++i) {
        const double x = at(random), y = at(random);
        items.push_back({x, y, x + size(random), y + size(random)});
    }
    const CellGrid grid(items, 2.0, [](size_t, const Extent&) { return true; });
    // Whether the box grown by `grow` meets the segment: clip the segment to it.
    auto meets = [](const Extent& e, double grow, double x0, double y0, double x1, double y1) {
        double t0 = 0.0, t1 = 1.0;
        return ClipLineToBox(e.minX - grow, e.minY - grow, e.maxX + grow, e.maxY + grow, {x0, y0},
                             {x1 - x0, y1 - y0}, t0, t1);
    };
    int checked = 0;
    for (int q = 0; q < 300; ++q) {
        double x0 = far(random), y0 = far(random), x1 = far(random), y1 = far(random);
        if (q % 10 == 0)
            y1 = y0; // level
        if (q % 10 == 1)
            x1 = x0; // upright
        const double grow = q % 3 == 0 ? 0.0 : 0.5;
        std::vector<bool> offered(items.size(), false);
        grid.AnyAlong(x0, y0, x1, y1, grow, [&](uint32_t id) {
            offered[id] = true;
            return false;
        });
        for (size_t i = 0; i < items.size(); ++i)
            if (meets(items[i], grow, x0, y0, x1, y1)) {
                ++checked;
                EXPECT_TRUE(offered[i]) << "segment " << q << " missed item " << i;
            }
        // It stops at the first item the predicate takes.
        int calls = 0;
        const bool any = grid.AnyAlong(x0, y0, x1, y1, grow, [&](uint32_t) { return ++calls == 1; });
        EXPECT_EQ(any, calls == 1);
    }
    EXPECT_GT(checked, 1000);
}

// Row by row, an item is listed only where its rows reach: a slanted band is offered all along
// itself and nowhere off it, in the same order as the cell-by-cell grid lists the items.
TEST(CellGrid, ByRowsListsAnItemOnlyWhereItsRowsReach)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> at(0.0, 50.0), size(0.0, 3.0);
    std::vector<Extent> items{{0, 0, 50, 50}}; // item 0: the band |x - y| <= 1 across its box
    for (int i = 0; i < 300; ++i) {
        const double x = at(random), y = at(random);
        items.push_back({x, y, x + size(random), y + size(random)});
    }
    auto span = [](size_t id, double y0, double y1, double& x0, double& x1) {
        if (id == 0) {
            x0 = std::max(x0, y0 - 1.0);
            x1 = std::min(x1, y1 + 1.0);
        }
        return x0 <= x1;
    };
    const CellGrid rows(CellGrid::ByRows{}, items, 1.0, span);
    const CellGrid cells(items, 1.0, [](size_t, const Extent&) { return true; });
    auto listed = [](const CellGrid& g, double x, double y) {
        std::vector<uint32_t> ids;
        g.Visit(Extent{x, y, x, y}, [&](uint32_t id) { ids.push_back(id); });
        return ids;
    };
    int on = 0, off = 0;
    for (int q = 0; q < 2000; ++q) {
        const double x = at(random), y = at(random);
        std::vector<uint32_t> got = listed(rows, x, y), all = listed(cells, x, y);
        EXPECT_TRUE(std::is_sorted(got.begin(), got.end())) << x << ", " << y;
        const bool listsBand = !got.empty() && got.front() == 0;
        if (std::fabs(x - y) <= 1.0) {
            ++on;
            EXPECT_TRUE(listsBand) << "the band is missing at " << x << ", " << y;
        } else if (std::fabs(x - y) > 4.0) {
            ++off;
            EXPECT_FALSE(listsBand) << "the band is listed far off it at " << x << ", " << y;
        }
        // The other items are listed as the cell-by-cell grid lists them.
        if (listsBand)
            got.erase(got.begin());
        if (!all.empty() && all.front() == 0)
            all.erase(all.begin());
        EXPECT_EQ(got, all) << x << ", " << y;
    }
    EXPECT_GT(on, 50);
    EXPECT_GT(off, 1000);
}

} // namespace
} // namespace velrok
