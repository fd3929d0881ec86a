// The quick validity check: what it calls valid the engine must find valid too, and rings that
// cross, touch, or lie in the wrong place are never plainly valid.
#include "output/RegionCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace velrok {
namespace {

// A regular polygon about (cx, cy), counter-clockwise, or clockwise for a hole.
Ring Round(double cx, double cy, double r, int n, bool clockwise = false)
{
    Ring ring;
    for (int k = 0; k < n; ++k) {
        const double a = 2.0 * M_PI * (clockwise ? -k : k) / n;
        ring.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return ring;
}

Ring Box(double x0, double y0, double x1, double y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

bool EngineFindsValid(const std::vector<RegionPolygon>& polygons)
{
    return PlaneRegion::FromPolygons(polygons).IsValid();
}

TEST(ClearlyValid, TakesRingsWellApartWhereTheyBelongNearZeroAndFarFromIt)
{
    for (double off : {0.0, 2.5e6}) {
        SCOPED_TRACE(off);
        // An outer ring with two holes, an island in one of them with a hole of its own, and a
        // polygon apart.
        std::vector<RegionPolygon> p(3);
        p[0].outer = Box(off, off, off + 100, off + 50);
        p[0].holes = {Round(off + 25, off + 25, 20, 40, true), Round(off + 75, off + 25, 10, 7, true)};
        p[1].outer = Round(off + 25, off + 25, 15, 30);
        p[1].holes = {Box(off + 20, off + 30, off + 30, off + 20)};
        p[2].outer = Box(off + 200, off, off + 210, off + 10);
        EXPECT_TRUE(EngineFindsValid(p));
        EXPECT_TRUE(ClearlyValid(p));
        // A long ring of short edges, as a swept area's is.
        std::vector<RegionPolygon> fine(1);
        fine[0].outer = Round(off, off, 300, 20000);
        fine[0].holes = {Round(off + 100, off, 50, 3000, true), Round(off - 100, off, 50, 3000, true)};
        EXPECT_TRUE(ClearlyValid(fine));
    }
    EXPECT_TRUE(ClearlyValid({}));
}

struct BadCase {
    const char* name;
    std::vector<RegionPolygon> polygons;
    bool engineValid; // what the engine says: touching rings may be valid, but are not plain
};

std::vector<BadCase> BadCases()
{
    const Ring outer = Box(0, 0, 10, 10);
    std::vector<BadCase> c;
    c.push_back({"hole touching its outer ring at a point", {{outer, {{{0, 5}, {5, 3}, {5, 7}}}}}, true});
    c.push_back({"hole crossing its outer ring", {{outer, {Box(8, 2, 12, 4)}}}, false});
    c.push_back({"hole outside its outer ring", {{outer, {Box(12, 2, 14, 4)}}}, false});
    c.push_back({"hole inside another hole", {{outer, {Box(1, 1, 9, 9), Box(3, 3, 5, 5)}}}, false});
    c.push_back({"two holes crossing", {{outer, {Box(1, 1, 5, 5), Box(4, 4, 8, 8)}}}, false});
    c.push_back({"outer ring inside another polygon", {{outer, {}}, {Box(2, 2, 4, 4), {}}}, false});
    c.push_back({"island in a hole touching it", {{outer, {Box(2, 2, 8, 8)}}, {Box(2, 3, 4, 5), {}}}, false});
    c.push_back({"two polygons overlapping", {{outer, {}}, {Box(5, 5, 15, 15), {}}}, false});
    c.push_back({"two polygons sharing an edge", {{outer, {}}, {Box(10, 0, 20, 10), {}}}, false});
    c.push_back({"bow tie", {{{{0, 0}, {10, 10}, {10, 0}, {0, 10}}, {}}}, false});
    c.push_back({"spike", {{{{0, 0}, {10, 0}, {10, 10}, {10, 15}, {10, 12}, {0, 10}}, {}}}, false});
    c.push_back({"point repeated", {{{{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}}, {}}}, true});
    c.push_back({"three points in a line", {{{{0, 0}, {5, 0}, {10, 0}}, {}}}, false});
    c.push_back({"two points", {{{{0, 0}, {10, 0}}, {}}}, false});
    c.push_back({"ring touching itself", {{{{0, 0}, {10, 0}, {10, 10}, {5, 0.0}, {0, 10}}, {}}}, false});
    return c;
}

TEST(ClearlyValid, NeverTakesRingsThatCrossTouchOrLieAmiss)
{
    for (const BadCase& c : BadCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ClearlyValid(c.polygons));
        if (c.polygons.front().outer.size() >= 3) {
            EXPECT_EQ(EngineFindsValid(c.polygons), c.engineValid);
        }
    }
}

// Random rings, most of them amiss: whatever the check takes, the engine takes as well, and a fair
// share of them are taken.
TEST(ClearlyValid, WhatItTakesTheEngineTakes)
{
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> pos(0.0, 100.0), rad(1.0, 30.0);
    std::uniform_int_distribution<int> count(1, 4), sides(3, 12);
    int taken = 0;
    for (int trial = 0; trial < 400; ++trial) {
        std::vector<RegionPolygon> polygons(static_cast<size_t>(count(rng)));
        for (RegionPolygon& p : polygons) {
            const double cx = pos(rng), cy = pos(rng), r = rad(rng);
            p.outer = Round(cx, cy, r, sides(rng));
            for (int h = count(rng) - 1; h > 0; --h)
                p.holes.push_back(Round(cx + 0.6 * r * (pos(rng) / 50.0 - 1.0),
                                        cy + 0.6 * r * (pos(rng) / 50.0 - 1.0),
                                        0.3 * r * pos(rng) / 100.0 + 0.01, sides(rng), true));
        }
        if (ClearlyValid(polygons)) {
            ++taken;
            EXPECT_TRUE(EngineFindsValid(polygons)) << "trial " << trial;
        }
    }
    EXPECT_GT(taken, 40);
    EXPECT_LT(taken, 360);
}

} // namespace
} // namespace velrok
