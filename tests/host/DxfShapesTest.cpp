// Shapes of kept DXF entities from hand-made tag lists, against answers worked out by hand.
#include "host/DxfShapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <map>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

using namespace velrok;
using namespace velrok::host;

namespace {

constexpr double kEps = 1e-9;

// Owns the texts and tag lists that the views point into, and serves block definitions.
class TagStore : public DxfBlockLookup {
  public:
    using List = std::vector<std::pair<int, std::string>>;

    DxfTagSpan Tags(const List& list)
    {
        std::vector<DxfTag>& tags = m_lists.emplace_back();
        for (const auto& [code, value] : list)
            tags.push_back({code, m_texts.emplace_back(value)});
        return tags;
    }
    DxfEntityTags Entity(const List& main, const std::vector<List>& subs = {})
    {
        DxfEntityTags e{Tags(main), {}};
        for (const List& s : subs)
            e.subs.push_back(Tags(s));
        return e;
    }
    void AddBlock(const std::string& name, Point3d base, std::vector<DxfEntityTags> entities)
    {
        std::string key = name;
        std::transform(key.begin(), key.end(), key.begin(), ::toupper);
        m_blocks[key] = DxfBlockDef{name, base, std::move(entities)};
    }
    const DxfBlockDef* FindBlock(std::string_view name) const override
    {
        std::string key(name);
        std::transform(key.begin(), key.end(), key.begin(), ::toupper);
        const auto it = m_blocks.find(key);
        return it == m_blocks.end() ? nullptr : &it->second;
    }

  private:
    std::deque<std::string> m_texts;
    std::deque<std::vector<DxfTag>> m_lists;
    std::map<std::string, DxfBlockDef> m_blocks;
};

std::string Num(double v)
{
    return std::to_string(v);
}

TagStore::List Line(double x0, double y0, double x1, double y1, std::string layer = "0", int aci = 256)
{
    return {{0, "LINE"},   {8, layer},    {62, std::to_string(aci)},
            {10, Num(x0)}, {20, Num(y0)}, {30, "0"},
            {11, Num(x1)}, {21, Num(y1)}, {31, "0"}};
}

TagStore::List Insert(const std::string& block, double x, double y, double sx = 1, double sy = 1,
                      double degrees = 0, std::string layer = "0", int aci = 256)
{
    return {{0, "INSERT"},     {8, layer},    {62, std::to_string(aci)},
            {2, block},        {10, Num(x)},  {20, Num(y)},
            {30, "0"},         {41, Num(sx)}, {42, Num(sy)},
            {50, Num(degrees)}};
}

double Distance(Point3d a, Point3d b)
{
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

// The largest distance from the middle of any chord to the circle, for pieces that are arcs.
double MaxSagitta(const std::vector<Point3d>& pts, Point3d centre, double radius)
{
    double worst = 0.0;
    for (size_t i = 1; i < pts.size(); ++i) {
        const Point3d m{(pts[i - 1].x + pts[i].x) / 2, (pts[i - 1].y + pts[i].y) / 2, 0};
        worst = std::max(worst, radius - Distance(m, centre));
    }
    return worst;
}

} // namespace

// ---- block references ----

TEST(DxfShapesInsert, NestedScaledRotatedMirroredLandsWhereComputedByHand)
{
    TagStore s;
    // Inner block: a line on layer 0 in BYBLOCK colour, base point (1,0).
    s.AddBlock("IN", {1, 0, 0}, {s.Entity(Line(1, 0, 2, 0, "0", 0))});
    // Outer block: the inner one at (10,0), scaled 2, turned 90°, on layer 0 in BYBLOCK colour.
    s.AddBlock("OUT", {0, 0, 0}, {s.Entity(Insert("in", 10, 0, 2, 2, 90, "0", 0))});
    // The reference: mirrored in x, turned 180°, at (100,50), on "Road" in green.
    const auto shapes = ShapesOfEntity(s.Entity(Insert("OUT", 100, 50, -1, 1, 180, "Road", 3)), s);
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->pieces.size(), 1u);
    const ShownPiece& p = shapes->pieces[0];
    // (1,0)-(2,0) less base -> (0,0)-(1,0); x2 -> (0,0)-(2,0); 90° -> (0,0)-(0,2); +(10,0) ->
    // (10,0)-(10,2); mirrored -> (-10,0)-(-10,2); 180° -> (10,0)-(10,-2); +(100,50).
    ASSERT_EQ(p.points.size(), 2u);
    EXPECT_NEAR(p.points[0].x, 110, kEps);
    EXPECT_NEAR(p.points[0].y, 50, kEps);
    EXPECT_NEAR(p.points[1].x, 110, kEps);
    EXPECT_NEAR(p.points[1].y, 48, kEps);
    EXPECT_EQ(p.layer, "Road"); // layer 0 takes the reference's layer through both levels
    EXPECT_EQ(p.aci, 3);        // BYBLOCK takes the outer reference's colour through the inner one
    EXPECT_FALSE(p.closed);
}

TEST(DxfShapesInsert, OwnLayersAndColoursInsideABlockStay)
{
    TagStore s;
    s.AddBlock("B", {},
               {s.Entity(Line(0, 0, 1, 0, "Kerb", 5)), s.Entity(Line(0, 0, 1, 0, "0", 256)),
                s.Entity(Line(0, 0, 1, 0, "Kerb", 0))});
    const auto shapes = ShapesOfEntity(s.Entity(Insert("B", 0, 0, 1, 1, 0, "Road", 256)), s);
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->pieces.size(), 3u);
    EXPECT_EQ(shapes->pieces[0].layer, "Kerb");
    EXPECT_EQ(shapes->pieces[0].aci, 5);
    EXPECT_EQ(shapes->pieces[1].layer, "Road");
    EXPECT_EQ(shapes->pieces[1].aci, kAciByLayer);
    EXPECT_EQ(shapes->pieces[2].layer, "Kerb");
    EXPECT_EQ(shapes->pieces[2].aci, kAciByLayer); // BYBLOCK of a BYLAYER reference
}

TEST(DxfShapesInsert, MInsertThreeByTwoGivesSixCopiesOnTheRotatedGrid)
{
    TagStore s;
    s.AddBlock("P", {}, {s.Entity({{0, "POINT"}, {10, "0"}, {20, "0"}, {30, "0"}})});
    auto tags = Insert("P", 1, 1, 1, 1, 90);
    tags.insert(tags.end(), {{70, "3"}, {71, "2"}, {44, "5"}, {45, "7"}});
    const auto shapes = ShapesOfEntity(s.Entity(tags), s);
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->pieces.size(), 6u);
    // Copy (c, r) sits at (1,1) + Rz(90°)·(5c, 7r) = (1 − 7r, 1 + 5c).
    std::vector<std::pair<double, double>> expected, got;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            expected.push_back({1 - 7.0 * r, 1 + 5.0 * c});
    for (const ShownPiece& p : shapes->pieces) {
        ASSERT_EQ(p.points.size(), 2u);
        EXPECT_EQ(p.points[0], p.points[1]); // a point is a dot
        got.push_back({std::round(p.points[0].x * 1e6) / 1e6, std::round(p.points[0].y * 1e6) / 1e6});
    }
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, expected);
}

TEST(DxfShapesInsert, HugeArraysAndRecursiveBlocksStopAtTheirCaps)
{
    TagStore s;
    // A block that holds a line and a reference to itself.
    s.AddBlock("SELF", {}, {s.Entity(Line(0, 0, 1, 0)), s.Entity(Insert("SELF", 1, 0))});
    const auto self = ShapesOfEntity(s.Entity(Insert("SELF", 0, 0)), s);
    ASSERT_TRUE(self);
    EXPECT_EQ(self->pieces.size(), size_t(kMaxBlockDepth));
    // Two blocks that hold each other.
    s.AddBlock("A", {}, {s.Entity(Line(0, 0, 1, 0)), s.Entity(Insert("B", 0, 1))});
    s.AddBlock("B", {}, {s.Entity(Line(0, 0, 1, 0)), s.Entity(Insert("A", 0, 1))});
    const auto mutual = ShapesOfEntity(s.Entity(Insert("A", 0, 0)), s);
    ASSERT_TRUE(mutual);
    EXPECT_EQ(mutual->pieces.size(), size_t(kMaxBlockDepth));

    // An array of 10^6 copies is cut; nested arrays of arrays stop at the expansion bound.
    s.AddBlock("L", {}, {s.Entity(Line(0, 0, 1, 0))});
    auto big = Insert("L", 0, 0);
    big.insert(big.end(), {{70, "1000"}, {71, "1000"}, {44, "2"}, {45, "2"}});
    const auto capped = ShapesOfEntity(s.Entity(big), s);
    ASSERT_TRUE(capped);
    EXPECT_EQ(capped->pieces.size(), size_t(kMaxInsertCopies));

    auto nested = Insert("ROW", 0, 0);
    nested.insert(nested.end(), {{70, "100"}, {71, "100"}, {44, "1"}, {45, "1"}});
    auto inner = Insert("L", 0, 0);
    inner.insert(inner.end(), {{70, "100"}, {71, "100"}, {44, "1"}, {45, "1"}});
    s.AddBlock("ROW", {}, {s.Entity(inner)});
    const auto start = std::chrono::steady_clock::now();
    const auto blown = ShapesOfEntity(s.Entity(nested), s);
    ASSERT_TRUE(blown);
    EXPECT_LE(blown->pieces.size(), kMaxBlockExpansions);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// Found by fuzzing: nested arrays of a block whose polyline is all half circles, drawn so large
// that every bulge asks for the most chords. Each copy used to be built out in full and only then
// found too big, so the read took minutes; now the work ends with what can be shown.
TEST(DxfShapesInsert, CopiesOfHugeBulgedPolylinesStopAtThePointBound)
{
    TagStore s;
    TagStore::List wave{{0, "LWPOLYLINE"}, {70, "0"}};
    for (int v = 0; v < 60; ++v)
        wave.insert(wave.end(), {{10, std::to_string(v)}, {20, "0"}, {42, "1"}});
    s.AddBlock("WAVE", {}, {s.Entity(wave)});
    auto row = Insert("WAVE", 0, 0, 1e6, 1e6);
    row.insert(row.end(), {{70, "100"}, {71, "100"}, {44, "1"}, {45, "1"}});
    s.AddBlock("ROWS", {}, {s.Entity(row)});
    auto all = Insert("ROWS", 0, 0);
    all.insert(all.end(), {{70, "100"}, {71, "100"}, {44, "1"}, {45, "1"}});

    const auto start = std::chrono::steady_clock::now();
    const auto shapes = ShapesOfEntity(s.Entity(all), s);
    ASSERT_TRUE(shapes);
    size_t points = 0;
    for (const auto& piece : shapes->pieces)
        points += piece.points.size();
    EXPECT_GT(points, size_t(kMaxChordsPerCurve)); // the first copies are shown
    EXPECT_LE(points, kMaxShownPoints);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// The drawing's allowance is shared: what one entity spends, the next one no longer has.
TEST(DxfShapesInsert, EntitiesOfOneDrawingShareTheirAllowance)
{
    TagStore s;
    s.AddBlock("L", {}, {s.Entity(Line(0, 0, 1, 0)), s.Entity(Line(0, 1, 1, 1))});
    auto grid = Insert("L", 0, 0);
    grid.insert(grid.end(), {{70, "10"}, {71, "10"}, {44, "2"}, {45, "2"}});
    const DxfEntityTags e = s.Entity(grid);

    ShapeAllowance allowance{150, 1'000'000};
    const auto first = ShapesOfEntity(e, s, allowance);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->pieces.size(), 150u); // 100 copies of two lines are 200 entities to read
    EXPECT_EQ(allowance.visits, 0u);
    EXPECT_FALSE(ShapesOfEntity(e, s, allowance)); // nothing left for the next one

    ShapeAllowance fewPoints{1'000'000, 7};
    const auto second = ShapesOfEntity(e, s, fewPoints);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->pieces.size(), 3u); // two points a line
    EXPECT_LE(fewPoints.points, 1u);
    // A piece too big to show is paid for all the same: the next entity finds less.
    TagStore big;
    TagStore::List wave{{0, "LWPOLYLINE"}, {70, "0"}};
    for (int v = 0; v < 3; ++v)
        wave.insert(wave.end(), {{10, std::to_string(v)}, {20, "0"}, {42, "1"}});
    big.AddBlock("WAVE", {}, {big.Entity(wave)});
    ShapeAllowance spent{1'000'000, 5000};
    // Drawn a million times larger, each half circle asks for the most chords.
    EXPECT_FALSE(ShapesOfEntity(big.Entity(Insert("WAVE", 0, 0, 1e6, 1e6)), big, spent));
    EXPECT_EQ(spent.points, 0u);
    // An entity on its own has the whole allowance of a drawing.
    const auto alone = ShapesOfEntity(e, s);
    ASSERT_TRUE(alone);
    EXPECT_EQ(alone->pieces.size(), 200u);
}

TEST(DxfShapesInsert, AttributesShowAsTextsInvisibleOnesAndMissingBlocksDoNot)
{
    TagStore s;
    const auto e =
        s.Entity(Insert("NOPE", 0, 0, 1, 1, 0, "Signs", 2),
                 {{{0, "ATTRIB"}, {8, "0"}, {10, "3"}, {20, "4"}, {40, "0.5"}, {1, "P%%d1"}, {70, "0"}},
                  {{0, "ATTRIB"}, {10, "9"}, {20, "9"}, {40, "0.5"}, {1, "hidden"}, {70, "1"}}});
    const auto shapes = ShapesOfEntity(e, s);
    ASSERT_TRUE(shapes);
    EXPECT_TRUE(shapes->pieces.empty());
    ASSERT_EQ(shapes->texts.size(), 1u);
    EXPECT_EQ(shapes->texts[0].text, "P\xC2\xB0"
                                     "1");
    EXPECT_NEAR(shapes->texts[0].origin.x, 3, kEps);
    EXPECT_NEAR(shapes->texts[0].origin.y, 4, kEps);
    EXPECT_NEAR(shapes->texts[0].height, 0.5, kEps);
    EXPECT_EQ(shapes->texts[0].layer, "0");

    EXPECT_FALSE(ShapesOfEntity(s.Entity(Insert("NOPE", 0, 0)), s)); // nothing to show
}

TEST(DxfShapesInsert, TextInsideATurnedScaledReferenceTurnsAndGrows)
{
    TagStore s;
    s.AddBlock("T", {}, {s.Entity({{0, "TEXT"}, {10, "1"}, {20, "0"}, {40, "2"}, {50, "10"}, {1, "A"}})});
    const auto shapes = ShapesOfEntity(s.Entity(Insert("T", 5, 5, 3, 3, 30)), s);
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->texts.size(), 1u);
    const ShownText& t = shapes->texts[0];
    const double a = 30 * std::numbers::pi / 180;
    EXPECT_NEAR(t.origin.x, 5 + 3 * std::cos(a), kEps);
    EXPECT_NEAR(t.origin.y, 5 + 3 * std::sin(a), kEps);
    EXPECT_NEAR(t.height, 6, kEps);
    EXPECT_NEAR(t.rotation, 40 * std::numbers::pi / 180, kEps);
}

TEST(DxfShapesInsert, ReferenceWithDownwardExtrusionMirrorsItsBlock)
{
    TagStore s;
    s.AddBlock("B", {}, {s.Entity(Line(0, 0, 1, 2))});
    auto tags = Insert("B", 10, 0, 1, 1, 90);
    tags.insert(tags.end(), {{210, "0"}, {220, "0"}, {230, "-1"}});
    const auto shapes = ShapesOfEntity(s.Entity(tags), s);
    ASSERT_TRUE(shapes);
    const auto& pts = shapes->pieces.at(0).points;
    // In the OCS: (1,2) turned 90° is (-2,1), plus (10,0) is (8,1); the OCS of -Z has x = -X.
    EXPECT_NEAR(pts[0].x, -10, kEps);
    EXPECT_NEAR(pts[0].y, 0, kEps);
    EXPECT_NEAR(pts[1].x, -8, kEps);
    EXPECT_NEAR(pts[1].y, 1, kEps);
}

TEST(DxfShapesText, JustifiedTextStartsBeforeItsAlignmentPoint)
{
    TagStore s;
    // Centred (72 = 1) on (10,5): four characters of height 2 are about 4.8 wide.
    const auto centred = ShapesOfEntity(s.Entity({{0, "TEXT"},
                                                  {10, "0"},
                                                  {20, "0"},
                                                  {11, "10"},
                                                  {21, "5"},
                                                  {40, "2"},
                                                  {72, "1"},
                                                  {73, "0"},
                                                  {1, "ABCD"}}),
                                        s);
    ASSERT_TRUE(centred);
    EXPECT_NEAR(centred->texts.at(0).origin.x, 10 - 2.4, kEps);
    EXPECT_NEAR(centred->texts[0].origin.y, 5, kEps);
    // Left justified texts keep their first point even when a second one is written.
    const auto left = ShapesOfEntity(
        s.Entity({{0, "TEXT"}, {10, "1"}, {20, "2"}, {11, "10"}, {21, "5"}, {40, "2"}, {1, "ABCD"}}), s);
    ASSERT_TRUE(left);
    EXPECT_NEAR(left->texts.at(0).origin.x, 1, kEps);
    EXPECT_NEAR(left->texts[0].origin.y, 2, kEps);
}

// ---- curves and the object coordinate system ----

TEST(DxfShapesCurves, ArcWithDownwardExtrusionIsMirroredInX)
{
    TagStore s;
    // OCS centre (5,0), radius 1, 0°..90°, extrusion 0,0,-1: world centre (-5,0), from (-6,0)
    // clockwise over the top to (-5,1).
    const auto shapes = ShapesOfEntity(s.Entity({{0, "ARC"},
                                                 {10, "5"},
                                                 {20, "0"},
                                                 {30, "0"},
                                                 {40, "1"},
                                                 {50, "0"},
                                                 {51, "90"},
                                                 {210, "0"},
                                                 {220, "0"},
                                                 {230, "-1"}}),
                                       s);
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->pieces.size(), 1u);
    const auto& pts = shapes->pieces[0].points;
    ASSERT_GE(pts.size(), 3u);
    EXPECT_NEAR(pts.front().x, -6, kEps);
    EXPECT_NEAR(pts.front().y, 0, kEps);
    EXPECT_NEAR(pts.back().x, -5, kEps);
    EXPECT_NEAR(pts.back().y, 1, kEps);
    for (const Point3d& p : pts) {
        EXPECT_NEAR(Distance(p, {-5, 0, 0}), 1, kEps);
        EXPECT_LE(p.x, -5 + kEps);
        EXPECT_GE(p.y, -kEps);
    }
    EXPECT_LE(MaxSagitta(pts, {-5, 0, 0}, 1), kShapeChordTolerance);
}

TEST(DxfShapesCurves, LwPolylineWithDownwardExtrusionAndElevation)
{
    TagStore s;
    const auto shapes = ShapesOfEntity(s.Entity({{0, "LWPOLYLINE"},
                                                 {38, "3"},
                                                 {70, "0"},
                                                 {10, "1"},
                                                 {20, "0"},
                                                 {10, "2"},
                                                 {20, "1"},
                                                 {210, "0"},
                                                 {220, "0"},
                                                 {230, "-1"}}),
                                       s);
    ASSERT_TRUE(shapes);
    const auto& pts = shapes->pieces.at(0).points;
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_NEAR(pts[0].x, -1, kEps);
    EXPECT_NEAR(pts[1].x, -2, kEps);
    EXPECT_NEAR(pts[1].y, 1, kEps);
    EXPECT_NEAR(pts[1].z, -3, kEps); // the elevation runs along the extrusion
}

TEST(DxfShapesCurves, BulgesMakeArcsOnTheRightSide)
{
    TagStore s;
    // Two vertices with bulge 1 each, closed: a full circle through (0,0) and (2,0).
    const auto circle =
        ShapesOfEntity(s.Entity({{0, "POLYLINE"}, {66, "1"}, {70, "1"}, {10, "0"}, {20, "0"}, {30, "0"}},
                                {{{0, "VERTEX"}, {10, "0"}, {20, "0"}, {42, "1"}},
                                 {{0, "VERTEX"}, {10, "2"}, {20, "0"}, {42, "1"}}}),
                       s);
    ASSERT_TRUE(circle);
    const ShownPiece& c = circle->pieces.at(0);
    EXPECT_TRUE(c.closed);
    double minY = 0, maxY = 0;
    for (const Point3d& p : c.points) {
        EXPECT_NEAR(Distance(p, {1, 0, 0}), 1, 1e-9);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    EXPECT_NEAR(minY, -1, 1e-3);
    EXPECT_NEAR(maxY, 1, 1e-3);

    // A positive bulge from (0,0) to (2,0) turns counter-clockwise: it passes below the chord.
    const auto low = ShapesOfEntity(
        s.Entity({{0, "LWPOLYLINE"}, {70, "0"}, {10, "0"}, {20, "0"}, {42, "0.5"}, {10, "2"}, {20, "0"}}), s);
    ASSERT_TRUE(low);
    const auto& lp = low->pieces.at(0).points;
    EXPECT_NEAR(lp.back().x, 2, kEps);
    // bulge 0.5: sagitta = bulge * chord / 2 = 0.5.
    double lowest = 0;
    for (const Point3d& p : lp)
        lowest = std::min(lowest, p.y);
    EXPECT_NEAR(lowest, -0.5, 1e-3);
}

TEST(DxfShapesCurves, ChordsHoldTheToleranceInWorldUnitsAndStayBounded)
{
    TagStore s;
    const TagStore::List circle{{0, "CIRCLE"}, {10, "0"}, {20, "0"}, {40, "100"}};
    const auto plain = ShapesOfEntity(s.Entity(circle), s);
    ASSERT_TRUE(plain);
    const auto& pts = plain->pieces.at(0).points;
    EXPECT_TRUE(plain->pieces[0].closed);
    EXPECT_LE(MaxSagitta(pts, {}, 100), kShapeChordTolerance);
    EXPECT_LE(pts.size(), size_t(kMaxChordsPerCurve) + 1);

    // The same circle in a reference scaled 10 needs more chords for the same tolerance.
    s.AddBlock("C", {}, {s.Entity(circle)});
    const auto scaled = ShapesOfEntity(s.Entity(Insert("C", 0, 0, 10, 10)), s);
    ASSERT_TRUE(scaled);
    EXPECT_GT(scaled->pieces.at(0).points.size(), pts.size() * 2);
    EXPECT_LE(MaxSagitta(scaled->pieces[0].points, {}, 1000), kShapeChordTolerance);

    // A huge circle is cut at the chord cap.
    const auto huge = ShapesOfEntity(s.Entity({{0, "CIRCLE"}, {10, "0"}, {20, "0"}, {40, "1e9"}}), s);
    ASSERT_TRUE(huge);
    EXPECT_LE(huge->pieces.at(0).points.size(), size_t(kMaxChordsPerCurve) + 1);
}

TEST(DxfShapesCurves, ClampedSplineFollowsItsBezierAndFitPointsAreHit)
{
    TagStore s;
    // Degree 2 with knots 0 0 0 1 1 1 is the Bézier (0,0) (1,2) (2,0): x = 2t, y = 4t(1 − t), so
    // y = 2x − x².
    const auto spline = ShapesOfEntity(
        s.Entity({{0, "SPLINE"}, {70, "8"}, {71, "2"}, {72, "6"}, {73, "3"}, {74, "0"}, {40, "0"},
                  {40, "0"},     {40, "0"}, {40, "1"}, {40, "1"}, {40, "1"}, {10, "0"}, {20, "0"},
                  {30, "0"},     {10, "1"}, {20, "2"}, {30, "0"}, {10, "2"}, {20, "0"}, {30, "0"}}),
        s);
    ASSERT_TRUE(spline);
    const auto& pts = spline->pieces.at(0).points;
    ASSERT_GT(pts.size(), 8u);
    EXPECT_NEAR(pts.front().x, 0, kEps);
    EXPECT_NEAR(pts.back().x, 2, kEps);
    EXPECT_NEAR(pts.back().y, 0, kEps);
    double top = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        EXPECT_NEAR(pts[i].y, 2 * pts[i].x - pts[i].x * pts[i].x, 1e-9);
        top = std::max(top, pts[i].y);
        if (i > 0) {
            const double mx = (pts[i - 1].x + pts[i].x) / 2, my = (pts[i - 1].y + pts[i].y) / 2;
            EXPECT_LE(std::abs(my - (2 * mx - mx * mx)), 2 * kShapeChordTolerance);
        }
    }
    EXPECT_NEAR(top, 1, 1e-3);

    const auto fit = ShapesOfEntity(s.Entity({{0, "SPLINE"},
                                              {71, "3"},
                                              {74, "3"},
                                              {11, "0"},
                                              {21, "0"},
                                              {11, "5"},
                                              {21, "3"},
                                              {11, "10"},
                                              {21, "0"}}),
                                    s);
    ASSERT_TRUE(fit);
    const auto& fp = fit->pieces.at(0).points;
    for (Point3d target : {Point3d{0, 0, 0}, Point3d{5, 3, 0}, Point3d{10, 0, 0}}) {
        double best = 1e9;
        for (const Point3d& p : fp)
            best = std::min(best, Distance(p, target));
        EXPECT_LT(best, kEps) << target.x;
    }
}

TEST(DxfShapesCurves, EllipseKeepsItsAxes)
{
    TagStore s;
    const auto shapes = ShapesOfEntity(s.Entity({{0, "ELLIPSE"},
                                                 {10, "1"},
                                                 {20, "1"},
                                                 {11, "0"},
                                                 {21, "2"},
                                                 {40, "0.5"},
                                                 {41, "0"},
                                                 {42, "6.283185307179586"}}),
                                       s);
    ASSERT_TRUE(shapes);
    const ShownPiece& p = shapes->pieces.at(0);
    EXPECT_TRUE(p.closed);
    // Major axis 2 along y, minor 1 along x.
    for (const Point3d& q : p.points)
        EXPECT_NEAR(std::pow(q.x - 1, 2) / 1 + std::pow(q.y - 1, 2) / 4, 1, 1e-9);
    EXPECT_NEAR(p.points.front().y, 3, kEps);
}

// ---- hatches ----

TEST(DxfShapesHatch, EdgePathWithAnArcIsOneClosedFilledOutline)
{
    TagStore s;
    // A half disc: line (0,0)-(2,0), then the arc about (1,0) from 0° to 180° counter-clockwise.
    const auto shapes = ShapesOfEntity(
        s.Entity({{0, "HATCH"}, {8, "Island"}, {10, "0"},  {20, "0"},   {30, "0"}, {210, "0"}, {220, "0"},
                  {230, "1"},   {2, "SOLID"},  {70, "1"},  {71, "0"},   {91, "1"}, {92, "1"},  {93, "2"},
                  {72, "1"},    {10, "0"},     {20, "0"},  {11, "2"},   {21, "0"}, {72, "2"},  {10, "1"},
                  {20, "0"},    {40, "1"},     {50, "0"},  {51, "180"}, {73, "1"}, {97, "0"},  {75, "0"},
                  {76, "1"},    {98, "1"},     {10, "40"}, {20, "40"}}),
        s);
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->pieces.size(), 1u);
    const ShownPiece& p = shapes->pieces[0];
    EXPECT_TRUE(p.closed);
    EXPECT_TRUE(p.filled);
    EXPECT_EQ(p.layer, "Island");
    ASSERT_GT(p.points.size(), 4u);
    for (size_t i = 0; i < p.points.size(); ++i) {
        const Point3d& q = p.points[i];
        EXPECT_GE(q.y, -kEps);
        EXPECT_LE(Distance(q, {1, 0, 0}), 1 + kEps); // the seed point (40,40) is not boundary
        if (i >= 2) {                                // after the line, every point is on the arc
            EXPECT_NEAR(Distance(q, {1, 0, 0}), 1, kEps);
        }
    }
    EXPECT_NEAR(p.points[1].x, 2, kEps);
    EXPECT_NEAR(p.points.back().x, 0, 0.01); // the arc ends where the line began
}

TEST(DxfShapesHatch, ClockwiseArcEdgeStoresComplementAngles)
{
    TagStore s;
    // A quarter disc traced clockwise: line (0,0)-(0,1), the arc about the origin from 90° down to
    // 0°, line (1,0)-(0,0). A clockwise edge stores 360 − angle: 270 and 360.
    const auto shapes =
        ShapesOfEntity(s.Entity({{0, "HATCH"}, {70, "1"}, {91, "1"},   {92, "1"},   {93, "3"}, {72, "1"},
                                 {10, "0"},    {20, "0"}, {11, "0"},   {21, "1"},   {72, "2"}, {10, "0"},
                                 {20, "0"},    {40, "1"}, {50, "270"}, {51, "360"}, {73, "0"}, {72, "1"},
                                 {10, "1"},    {20, "0"}, {11, "0"},   {21, "0"},   {97, "0"}}),
                       s);
    ASSERT_TRUE(shapes);
    const auto& pts = shapes->pieces.at(0).points;
    ASSERT_GT(pts.size(), 4u);
    EXPECT_EQ(pts[1], (Point3d{0, 1, 0}));
    EXPECT_NEAR(pts.back().x, 1, kEps); // the closing line ends on the first point, so it is not repeated
    EXPECT_NEAR(pts.back().y, 0, kEps);
    for (size_t i = 1; i < pts.size(); ++i) {
        EXPECT_GE(pts[i].x, -kEps);
        EXPECT_GE(pts[i].y, -kEps);
        EXPECT_NEAR(Distance(pts[i], {}), 1, kEps); // everything after the first line is arc
        if (i >= 2) {                               // no jump: the arc runs from (0,1) to (1,0)
            EXPECT_LT(Distance(pts[i], pts[i - 1]), 0.1) << i;
        }
    }
}

TEST(DxfShapesHatch, PolylinePathsWithBulgesAndPatternFillsAreOutlines)
{
    TagStore s;
    // Two paths: a square, and a circle made of two bulged vertices; a pattern fill.
    const auto shapes = ShapesOfEntity(
        s.Entity({{0, "HATCH"}, {10, "0"}, {20, "0"}, {30, "0"},  {2, "ANSI31"}, {70, "0"}, {71, "0"},
                  {91, "2"},    {92, "2"}, {72, "0"}, {73, "1"},  {93, "4"},     {10, "0"}, {20, "0"},
                  {10, "4"},    {20, "0"}, {10, "4"}, {20, "4"},  {10, "0"},     {20, "4"}, {97, "0"},
                  {92, "3"},    {72, "1"}, {73, "1"}, {93, "2"},  {10, "1"},     {20, "2"}, {42, "1"},
                  {10, "3"},    {20, "2"}, {42, "1"}, {97, "0"},  {75, "0"},     {76, "1"}, {52, "0"},
                  {41, "1"},    {77, "0"}, {78, "1"}, {53, "45"}, {43, "0"},     {44, "0"}, {45, "-0.1"},
                  {46, "0.1"},  {79, "0"}, {98, "0"}}),
        s);
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->pieces.size(), 2u);
    EXPECT_FALSE(shapes->pieces[0].filled);
    EXPECT_EQ(shapes->pieces[0].points.size(), 4u);
    EXPECT_NEAR(shapes->pieces[0].points[2].x, 4, kEps);
    for (const Point3d& q : shapes->pieces[1].points)
        EXPECT_NEAR(Distance(q, {2, 2, 0}), 1, 1e-9);
}

TEST(DxfShapesHatch, BrokenEdgeDropsOnlyItsPath)
{
    TagStore s;
    const auto shapes =
        ShapesOfEntity(s.Entity({{0, "HATCH"}, {70, "1"}, {91, "2"},    {92, "1"}, {93, "1"},   {72, "2"},
                                 {10, "0"},    {20, "0"}, {40, "nan?"}, {50, "0"}, {51, "360"}, {73, "1"},
                                 {97, "0"},    {92, "1"}, {93, "1"},    {72, "2"}, {10, "0"},   {20, "0"},
                                 {40, "2"},    {50, "0"}, {51, "360"},  {73, "1"}, {97, "0"}}),
                       s);
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->pieces.size(), 1u);
    for (const Point3d& q : shapes->pieces[0].points)
        EXPECT_NEAR(Distance(q, {}), 2, 1e-9);
}

// ---- texts ----

TEST(DxfShapesText, MTextFormattingCodesResolve)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"\\PA\\S1^2;", "\nA1/2"},
        {"Line1\\PLine2", "Line1\nLine2"},
        {"{\\fArial|b1|i0|c0|p34;Bold} text", "Bold text"},
        {"\\H2.5x;\\C1;Big red", "Big red"},
        {"\\S3/4;\" and \\S1#8;", "3/4\" and 1/8"},
        {"10\\S+0.1^ -0.2;", "10+0.1/-0.2"},
        {"\\LUnder\\l \\OOver\\o \\KStrike\\k", "Under Over Strike"},
        {"a\\\\b \\{x\\}", "a\\b {x}"},
        {"%%c50 45%%d %%p1 100%%%", "\xC3\x98"
                                    "50 45\xC2\xB0 \xC2\xB1"
                                    "1 100%"},
        {"\\U+00B0 x", "\xC2\xB0 x"},
        {"A^JB^IC", "A\nB C"},
        {"non\\~breaking", "non breaking"},
        {"\\A1;\\pxi-3,l3;\\Q15;\\W0.8;\\T1.2;plain", "plain"},
        {"unfinished \\H2", "unfinished "},
        {"\\S1^2", "1/2"},
    };
    for (const auto& [raw, plain] : cases)
        EXPECT_EQ(PlainMText(raw), plain) << raw;
}

TEST(DxfShapesText, MTextJoinsItsChunksAndPlacesTheFirstBaseline)
{
    TagStore s;
    const TagStore::List top{{0, "MTEXT"}, {10, "10"},       {20, "20"},  {30, "0"},   {40, "2"},
                             {71, "1"},    {3, "Hello \\P"}, {3, "big "}, {1, "world"}};
    const auto shapes = ShapesOfEntity(s.Entity(top), s);
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->texts.size(), 1u);
    EXPECT_EQ(shapes->texts[0].text, "Hello \nbig world");
    EXPECT_NEAR(shapes->texts[0].origin.x, 10, kEps);
    EXPECT_NEAR(shapes->texts[0].origin.y, 18, kEps); // top left: one height below the top
    EXPECT_NEAR(shapes->texts[0].height, 2, kEps);

    // Bottom left, turned by its x direction (0,1): the baseline of the last line is at the point,
    // so with one line the origin is the insertion point.
    const auto turned = ShapesOfEntity(s.Entity({{0, "MTEXT"},
                                                 {10, "1"},
                                                 {20, "2"},
                                                 {40, "1"},
                                                 {71, "7"},
                                                 {11, "0"},
                                                 {21, "1"},
                                                 {31, "0"},
                                                 {1, "x"}}),
                                       s);
    ASSERT_TRUE(turned);
    EXPECT_NEAR(turned->texts.at(0).rotation, std::numbers::pi / 2, kEps);
    EXPECT_NEAR(turned->texts[0].origin.x, 1, kEps);
    EXPECT_NEAR(turned->texts[0].origin.y, 2, kEps);
}

// ---- other kinds ----

TEST(DxfShapesKinds, SolidCornersGoOneTwoFourThreeAndFacesInOrder)
{
    TagStore s;
    const auto solid = ShapesOfEntity(s.Entity({{0, "SOLID"},
                                                {62, "1"},
                                                {10, "0"},
                                                {20, "0"},
                                                {11, "1"},
                                                {21, "0"},
                                                {12, "0"},
                                                {22, "1"},
                                                {13, "1"},
                                                {23, "1"}}),
                                      s);
    ASSERT_TRUE(solid);
    const ShownPiece& p = solid->pieces.at(0);
    EXPECT_TRUE(p.filled);
    EXPECT_TRUE(p.closed);
    EXPECT_EQ(p.aci, 1);
    ASSERT_EQ(p.points.size(), 4u);
    EXPECT_EQ(p.points[2], (Point3d{1, 1, 0})); // not a bow tie
    EXPECT_EQ(p.points[3], (Point3d{0, 1, 0}));

    const auto triangle = ShapesOfEntity(s.Entity({{0, "TRACE"},
                                                   {10, "0"},
                                                   {20, "0"},
                                                   {11, "1"},
                                                   {21, "0"},
                                                   {12, "0"},
                                                   {22, "1"},
                                                   {13, "0"},
                                                   {23, "1"}}),
                                         s);
    ASSERT_TRUE(triangle);
    EXPECT_EQ(triangle->pieces.at(0).points.size(), 3u);

    const auto face = ShapesOfEntity(s.Entity({{0, "3DFACE"},
                                               {10, "0"},
                                               {20, "0"},
                                               {11, "1"},
                                               {21, "0"},
                                               {12, "1"},
                                               {22, "1"},
                                               {13, "0"},
                                               {23, "1"}}),
                                     s);
    ASSERT_TRUE(face);
    EXPECT_FALSE(face->pieces.at(0).filled);
    EXPECT_EQ(face->pieces[0].points[2], (Point3d{1, 1, 0}));
}

TEST(DxfShapesKinds, LeaderWipeoutAndDimensionShowTheirOutlines)
{
    TagStore s;
    const auto leader = ShapesOfEntity(s.Entity({{0, "LEADER"},
                                                 {71, "1"},
                                                 {76, "3"},
                                                 {10, "0"},
                                                 {20, "0"},
                                                 {10, "1"},
                                                 {20, "1"},
                                                 {10, "3"},
                                                 {20, "1"}}),
                                       s);
    ASSERT_TRUE(leader);
    EXPECT_EQ(leader->pieces.at(0).points.size(), 3u);
    EXPECT_FALSE(leader->pieces[0].closed);

    // A wipeout 4 wide and 2 high at (10,10) with a rectangular clip over the whole of it.
    const auto wipeout = ShapesOfEntity(s.Entity({{0, "WIPEOUT"},
                                                  {10, "10"},
                                                  {20, "10"},
                                                  {11, "4"},
                                                  {21, "0"},
                                                  {12, "0"},
                                                  {22, "2"},
                                                  {13, "1"},
                                                  {23, "1"},
                                                  {71, "1"},
                                                  {91, "2"},
                                                  {14, "-0.5"},
                                                  {24, "-0.5"},
                                                  {14, "0.5"},
                                                  {24, "0.5"}}),
                                        s);
    ASSERT_TRUE(wipeout);
    const ShownPiece& w = wipeout->pieces.at(0);
    EXPECT_TRUE(w.closed);
    EXPECT_FALSE(w.filled);
    ASSERT_EQ(w.points.size(), 4u);
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (const Point3d& q : w.points) {
        minX = std::min(minX, q.x);
        maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y);
        maxY = std::max(maxY, q.y);
    }
    EXPECT_NEAR(minX, 10, kEps);
    EXPECT_NEAR(maxX, 14, kEps);
    EXPECT_NEAR(minY, 10, kEps);
    EXPECT_NEAR(maxY, 12, kEps);

    s.AddBlock("*D1", {},
               {s.Entity(Line(0, 0, 5, 0, "0", 0)),
                s.Entity({{0, "MTEXT"}, {10, "2"}, {20, "1"}, {40, "0.5"}, {71, "7"}, {1, "5.00"}})});
    const auto dim =
        ShapesOfEntity(s.Entity({{0, "DIMENSION"}, {8, "Dims"}, {62, "4"}, {2, "*D1"}, {70, "32"}}), s);
    ASSERT_TRUE(dim);
    ASSERT_EQ(dim->pieces.size(), 1u);
    EXPECT_EQ(dim->pieces[0].layer, "Dims");
    EXPECT_EQ(dim->pieces[0].aci, 4);
    ASSERT_EQ(dim->texts.size(), 1u);
    EXPECT_EQ(dim->texts[0].text, "5.00");
    EXPECT_FALSE(ShapesOfEntity(s.Entity({{0, "DIMENSION"}, {2, "*D9"}}), s));
}

TEST(DxfShapesKinds, UnknownKindsBadNumbersAndInvisibleEntitiesShowNothing)
{
    TagStore s;
    EXPECT_FALSE(ShapesOfEntity(s.Entity({{0, "ACAD_PROXY_ENTITY"}, {10, "0"}, {20, "0"}}), s));
    EXPECT_FALSE(ShapesOfEntity(s.Entity({}), s));
    auto bad = Line(0, 0, 1, 1);
    bad[3].second = "x1";
    EXPECT_FALSE(ShapesOfEntity(s.Entity(bad), s));
    auto huge = Line(0, 0, 1, 1);
    huge[4].second = "1e400";
    EXPECT_FALSE(ShapesOfEntity(s.Entity(huge), s));
    auto hidden = Line(0, 0, 1, 1);
    hidden.push_back({60, "1"});
    EXPECT_FALSE(ShapesOfEntity(s.Entity(hidden), s));

    // In a block, a bad piece drops alone and the good one stays.
    s.AddBlock("MIX", {},
               {s.Entity(bad), s.Entity(Line(0, 0, 1, 1)),
                s.Entity({{0, "ATTDEF"}, {10, "0"}, {20, "0"}, {1, "tag"}})});
    const auto mixed = ShapesOfEntity(s.Entity(Insert("MIX", 0, 0, 1, 1, 0, "L", 256)), s);
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->pieces.size(), 1u);
    EXPECT_TRUE(mixed->texts.empty());

    // A reference with a bad scale shows nothing rather than NaN points.
    auto badScale = Insert("MIX", 0, 0);
    badScale[7].second = "?";
    EXPECT_FALSE(ShapesOfEntity(s.Entity(badScale), s));
}

TEST(DxfShapesKinds, PolyfaceAndMeshShowTheirEdges)
{
    TagStore s;
    const auto face = ShapesOfEntity(
        s.Entity({{0, "POLYLINE"}, {70, "64"}, {71, "3"}, {72, "1"}},
                 {{{0, "VERTEX"}, {10, "0"}, {20, "0"}, {70, "192"}},
                  {{0, "VERTEX"}, {10, "1"}, {20, "0"}, {70, "192"}},
                  {{0, "VERTEX"}, {10, "0"}, {20, "1"}, {70, "192"}},
                  {{0, "VERTEX"}, {10, "0"}, {20, "0"}, {70, "128"}, {71, "1"}, {72, "2"}, {73, "-3"}}}),
        s);
    ASSERT_TRUE(face);
    ASSERT_EQ(face->pieces.size(), 1u);
    EXPECT_EQ(face->pieces[0].points.size(), 3u);
    EXPECT_EQ(face->pieces[0].points[2], (Point3d{0, 1, 0}));

    std::vector<TagStore::List> vertices;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j)
            vertices.push_back({{0, "VERTEX"}, {10, std::to_string(j)}, {20, std::to_string(i)}, {70, "64"}});
    const auto mesh =
        ShapesOfEntity(s.Entity({{0, "POLYLINE"}, {70, "16"}, {71, "2"}, {72, "3"}}, vertices), s);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->pieces.size(), 5u); // two rows of three, three columns of two
}
