// The union by cover against the engine's union of the same pieces, on real runs and on pieces
// made to share edges, touch at corners and leave holes.
#include "output/CoverUnion.h"
#include "output/SweptRuns.h"

#include <gtest/gtest.h>

#include <random>

namespace velrok {
namespace {

using namespace testing;

PlaneRegion ByCover(const TrackSet& set, unsigned threads, CoverRuns runs = CoverRuns::WhenCrowded)
{
    std::optional<PlaneRegion> region = UnionByCover(set, threads, runs);
    EXPECT_TRUE(region.has_value());
    return region ? std::move(*region) : PlaneRegion{};
}

// The same rings, point for point, in the same order.
void ExpectSameRings(const PlaneRegion& got, const PlaneRegion& want)
{
    const std::vector<RegionPolygon> a = got.Polygons(), b = want.Polygons();
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(a[i].outer == b[i].outer) << "polygon " << i;
        EXPECT_TRUE(a[i].holes == b[i].holes) << "polygon " << i;
    }
}

// The triple trailer's identical trailers set off along one straight line, worked out apart: the
// first try leaves loose ends there, so that run also goes through the pieces left to the engine
// and the join.
class CoverUnion : public ::testing::TestWithParam<size_t> {};

TEST_P(CoverUnion, IsTheEnginesUnionOfTheSweptPieces)
{
    const Case c = Cases()[GetParam()];
    SCOPED_TRACE(c.name);
    const SweptFootprints f = FootprintsOf(c);
    for (bool wheels : {false, true}) {
        const TrackSet set = SetOf(f, wheels);
        const PlaneRegion want = ReferenceUnion(set);
        for (unsigned threads : {1u, 3u})
            ExpectSameRegion(ByCover(set, threads), want,
                             std::string(wheels ? "tyres" : "body") + ", threads " + std::to_string(threads));
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, CoverUnion, ::testing::Range<size_t>(0, 4),
                         [](const ::testing::TestParamInfo<size_t>& i) { return Cases()[i.param].name; });

TEST(CoverUnion, FarCoordinatesGiveTheSameRegion)
{
    // Survey coordinates: the tolerances grow with them.
    SweptFootprints f = FootprintsOf(Cases()[0]);
    for (auto& poses : f.byUnit)
        for (UnitPose& pose : poses) {
            for (Point2d& p : pose.body)
                p = {p.x + 4.5e6, p.y + 5.6e6};
            for (TyreOutline& t : pose.tyres)
                for (Point2d& p : t)
                    p = {p.x + 4.5e6, p.y + 5.6e6};
        }
    for (bool wheels : {false, true}) {
        const TrackSet set = SetOf(f, wheels);
        ExpectSameRegion(ByCover(set, 2), ReferenceUnion(set), wheels ? "tyres" : "body");
    }
}

TEST(CoverUnion, AStandingVehicleIsItsOwnOutline)
{
    // Every piece the same: each edge lies on the same edge of all the others.
    const Ring body{{0, 0}, {9.6, 0}, {9.6, 2.6}, {0, 2.6}};
    const TrackSet set{{body, body, body}, {body}};
    const PlaneRegion got = ByCover(set, 1);
    EXPECT_NEAR(got.Area(), 9.6 * 2.6, 1e-12);
    EXPECT_EQ(RingCount(got), 1u);
}

TEST(CoverUnion, SharedEdgesTouchingCornersAndHoles)
{
    struct Shape {
        const char* name;
        TrackSet set;
        double area;
        size_t rings;
    };
    auto square = [](double x, double y, double s) {
        return Ring{{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}};
    };
    const std::vector<Shape> shapes{
        // Side by side: the shared edge runs both ways and is inside.
        {"adjacent", {{square(0, 0, 1), square(1, 0, 1)}}, 2.0, 1},
        // A half-overlap along one edge, the same way round.
        {"overlapping", {{square(0, 0, 2)}, {square(1, 0, 2)}}, 6.0, 1},
        // Corner to corner: two rings meeting at one point.
        {"touching", {{square(0, 0, 1), square(1, 1, 1)}}, 2.0, 2},
        // Four bars round a hole, the last overlapping the first.
        {"frame",
         {{Ring{{0, 0}, {3, 0}, {3, 1}, {0, 1}}, Ring{{2, 0}, {3, 0}, {3, 3}, {2, 3}},
           Ring{{0, 2}, {3, 2}, {3, 3}, {0, 3}}, Ring{{0, 0}, {1, 0}, {1, 3}, {0, 3}}}},
         8.0,
         2},
        // A hull with its notch cut in: the notch is not covered.
        {"notched", {{Ring{{0, 0}, {4, 0}, {4, 2}, {2, 1}, {0, 2}}}}, 6.0, 1},
        // The notch of one filled by another.
        {"notch filled", {{Ring{{0, 0}, {4, 0}, {4, 2}, {2, 1}, {0, 2}}, square(1, 1, 1)}}, 6.75, 1},
        // The shared edge at x = -0 in one and 0 in the other: one point as == has it.
        {"signed zeros", {{Ring{{-1, -0.0}, {-0.0, -0.0}, {-0.0, 1}, {-1, 1}}, square(0, 0, 1)}}, 2.0, 1},
    };
    for (const Shape& s : shapes) {
        SCOPED_TRACE(s.name);
        const PlaneRegion got = ByCover(s.set, 2);
        EXPECT_NEAR(got.Area(), s.area, 1e-12);
        EXPECT_EQ(RingCount(got), s.rings);
        EXPECT_LT(got.SymDifference(ReferenceUnion(s.set)).Area(), 1e-12);
    }
}

TEST(CoverUnion, GridSquaresSharingEdgesAndCornersInEveryWay)
{
    // Squares and half squares on a whole-number grid: edges shared whole, in part, both ways
    // round, corners on edges, rings touching at points and holes between them.
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> at(0, 12), size(1, 4), kind(0, 2);
        TrackSet set(3);
        for (int i = 0; i < 90; ++i) {
            const double x = at(random), y = at(random), s = size(random);
            Ring r{{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}};
            if (kind(random) == 0)
                r = {{x, y}, {x + s, y}, {x, y + s}}; // the lower left half
            set[static_cast<size_t>(i % 3)].push_back(r);
        }
        const PlaneRegion want = ReferenceUnion(set);
        const PlaneRegion got = ByCover(set, 2);
        EXPECT_NEAR(got.Area(), want.Area(), 1e-9);
        EXPECT_EQ(RingCount(got), RingCount(want));
        EXPECT_LT(got.SymDifference(want).Area(), 1e-9);
        EXPECT_TRUE(got.IsValid());
    }
}

// Runs of pieces passed over at once leave out only pieces that would have covered nothing: the
// rings are the same to the last digit, on real runs (a body crowds the cells, tyres do not) and
// on squares sharing edges, where most edges lie along the runs' sides.
TEST(CoverUnion, RunsOfPiecesLeaveTheSameRings)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const SweptFootprints f = FootprintsOf(c);
        for (bool wheels : {false, true}) {
            SCOPED_TRACE(wheels ? "tyres" : "body");
            const TrackSet set = SetOf(f, wheels);
            ExpectSameRings(ByCover(set, 2, CoverRuns::Always), ByCover(set, 2, CoverRuns::Never));
        }
    }
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> at(0, 12), size(1, 4);
        TrackSet set(2);
        for (int i = 0; i < 60; ++i) {
            const double x = at(random), y = at(random), s = size(random);
            set[static_cast<size_t>(i % 2)].push_back(Ring{{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}});
        }
        ExpectSameRings(ByCover(set, 1, CoverRuns::Always), ByCover(set, 1, CoverRuns::Never));
    }
}

TEST(CoverUnion, PiecesOfAnotherShapeAreLeftToTheEngine)
{
    const Ring clockwise{{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    EXPECT_FALSE(UnionByCover({{clockwise}}, 1).has_value());
    // Without its notches it is not convex: not a hull with notches cut in.
    const Ring twoNotches{{0, 0}, {4, 0}, {4, 2}, {3, 1}, {2, 1.5}, {1, 1}, {0, 2}};
    EXPECT_FALSE(UnionByCover({{twoNotches}}, 1).has_value());
    // Nothing, or nothing with an area, is no polygon at all.
    EXPECT_TRUE(UnionByCover(TrackSet{}, 1)->IsEmpty());
    EXPECT_TRUE(UnionByCover({{Ring{{0, 0}, {1, 1}, {2, 2}}}}, 1)->IsEmpty());
}

TEST(CoverUnion, ASetItCannotTakeGoesToTheEngine)
{
    const Ring twoNotches{{0, 0}, {4, 0}, {4, 2}, {3, 1}, {2, 1.5}, {1, 1}, {0, 2}};
    const Ring square{{3, 0}, {5, 0}, {5, 2}, {3, 2}};
    ASSERT_FALSE(UnionByCover({{twoNotches}, {square}}, 1).has_value());
    const PlaneRegion got = UnionOfSet({{twoNotches}, {square}}, 2);
    EXPECT_NEAR(got.Area(), 8.0, 1e-12);
    EXPECT_EQ(RingCount(got), 1u);
    // One it takes gives the engine's region too.
    const TrackSet set = SetOf(FootprintsOf(Cases()[1]), true);
    const PlaneRegion tyres = UnionOfSet(set, 2);
    ExpectSameRegion(tyres, ReferenceUnion(set), "U-turn tyres");
    EXPECT_TRUE(tyres.IsValid());
}

} // namespace
} // namespace velrok
