// Conflicts and clearances with known answers: straight kerbs, a post beside a steady turn, a
// kerb cut by the inner rear wheel, the clearance class, elements inside block references.
#include "host/InMemoryDrawing.h"
#include "output/Conflicts.h"
#include "common/NumberText.h"
#include "output/DragAlongPath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velrok {
namespace {

using testing::PathBuilder;
constexpr double kPi = 3.141592653589793;

struct Swept {
    SweptArea area;
    PlaneRegion envelope;
    double clearance = kDefaultClearance;
};

Swept SweepOf(const std::vector<SegmentSpec>& units, const PathBuilder& path, int vType,
              double clearance = kDefaultClearance)
{
    testing::NullMessages messages;
    const auto run = testing::DragAlongPath(units, path.Stations(), vType, messages);
    EXPECT_EQ(run.cannotFollow, 0);
    SweptFootprints f;
    for (size_t s = 0; s < run.corners.size(); ++s)
        for (size_t k = 0; k < units.size(); ++k)
            f.Add(k, run.track[s].station, run.corners[s][k], units[k]);
    Swept out;
    out.area = ComputeSweptArea(f, run.track, 20.0);
    out.envelope = out.area.body.Buffered(clearance);
    out.clearance = clearance;
    return out;
}

host::ElementLines Line(const std::string& handle, Point2d a, Point2d b)
{
    return {handle, {{a, b}}};
}

ConflictResult Check(const Swept& s, const std::vector<host::ElementLines>& obstacles,
                     const std::vector<host::ElementLines>& kerbs)
{
    return FindConflicts(s.area, s.envelope, s.clearance, obstacles, kerbs);
}

TEST(Conflicts, StraightBetweenKerbsClearsByOffsetLessHalfTheBody)
{
    PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(40.0);
    const Swept s = SweepOf(testing::Truck(), path, 1);
    const ConflictResult r = Check(s, {}, {Line("A1", {-20, 3.1}, {60, 3.1}), Line("A2", {-20, -2.45}, {60, -2.45})});
    EXPECT_TRUE(r.conflicts.empty());
    ASSERT_TRUE(r.least.found);
    EXPECT_NEAR(r.least.distance, 2.45 - 1.3, 1e-3);
    EXPECT_EQ(r.least.handle, "A2");
    EXPECT_EQ(ConflictReportLine(r, '.'), "Conflicts: none, least clearance 1.15 at station " +
                                              FormatNumber(RoundHalfEven(r.least.station, 1), '.'));
}

TEST(Conflicts, KerbUnderTheOverhangIsNoConflictAndClearsTheWheels)
{
    PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(40.0);
    const Swept s = SweepOf(testing::Truck(), path, 1);
    // Body half width 1.3, tyres reach 2.55 / 2 = 1.275.
    const ConflictResult r = Check(s, {}, {Line("K", {-20, 1.29}, {60, 1.29})});
    EXPECT_TRUE(r.conflicts.empty());
    ASSERT_TRUE(r.least.found);
    EXPECT_NEAR(r.least.distance, 1.29 - 1.275, 1e-6);
    // The same line as an obstacle hits the body.
    const ConflictResult o = Check(s, {Line("K", {-20, 1.29}, {60, 1.29})}, {});
    ASSERT_EQ(o.conflicts.size(), 1u);
    EXPECT_EQ(o.conflicts[0].kind, ConflictClass::Obstacle);
    EXPECT_NEAR(o.conflicts[0].depth, 0.01, 1e-6);
}

TEST(Conflicts, ObstacleInsideTheClearanceEnvelopeOnly)
{
    PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(40.0);
    const Swept s = SweepOf(testing::Truck(), path, 1);
    const ConflictResult r = Check(s, {Line("W", {10, 1.6}, {20, 1.6})}, {});
    ASSERT_EQ(r.conflicts.size(), 1u);
    const Conflict& c = r.conflicts[0];
    EXPECT_EQ(c.kind, ConflictClass::Clearance);
    EXPECT_STREQ(ConflictClassName(c.kind), "clearance");
    EXPECT_NEAR(c.leastClearance, 0.3, 1e-6);
    EXPECT_NEAR(c.depth, 0.2, 1e-6);
    // The front corner (1.4 ahead of the path point) reaches x = 10 - 0.5 about station 8.
    EXPECT_NEAR(c.firstStation, 10.0 - 0.5 - 1.4, 0.5);
    EXPECT_GT(c.lastStation, c.firstStation + 10.0);
    ASSERT_FALSE(c.parts.empty());
    EXPECT_NEAR(c.marker.y, 1.6, 1e-9);
    EXPECT_EQ(ConflictReportLine(r, ','),
              "Conflicts: 1 (1 clearance), first at station " + FormatNumber(RoundHalfEven(c.firstStation, 1), ','));
}

// A post (circle of radius 0.3) outside and one inside a steady left turn of radius 15: the body's
// outer front corner runs at sqrt((WB + F)^2 + (r + W/2)^2) and its inner side at r - W/2 about
// the centre, with r = sqrt(R^2 - WB^2) the rear axle's radius.
TEST(Conflicts, PostBesideASteadyTurnClearsByTheAnalyticRadii)
{
    const double R = 15.0, wb = 5.6, f = 1.4, w = 2.6;
    const double r = std::sqrt(R * R - wb * wb);
    const double outer = std::hypot(wb + f, r + w / 2.0);
    const double inner = r - w / 2.0;
    PathBuilder path({0.0, 0.0}, 0.0);
    path.Arc(R, 1.2 * kPi);
    const Swept s = SweepOf(testing::Truck(), path, 1);
    const Point2d centre{0.0, R};

    host::InMemoryDrawing drawing;
    const host::LevelHandle posts = drawing.AddLevel("Posts", 0, std::nullopt, 0);
    for (double radius : {outer + 0.8 + 0.3, inner - 0.25 - 0.3}) {
        host::DrawingElement post;
        post.kind = host::ElementKind::Circle;
        post.level = posts;
        post.arc->centre = {centre.x, centre.y + radius, 0.0}; // half a turn on: steady by then
        post.arc->radius = 0.3;
        drawing.AddNewElement(post);
    }
    const auto elements = drawing.LinesOnLevels({"posts"});
    ASSERT_EQ(elements.size(), 2u);
    // Each alone: the outer post clears by 0.8, the inner one by 0.25, inside the clearance
    // envelope. The stepped trailing axle runs 7 mm inside the analytic circle, hence 1 cm inside.
    const ConflictResult out = Check(s, {elements[0]}, {});
    EXPECT_TRUE(out.conflicts.empty());
    EXPECT_NEAR(out.least.distance, 0.8, 3e-3);
    EXPECT_NEAR(out.least.station, R * kPi, 8.0); // the corner leads the front axle a little
    const ConflictResult in = Check(s, {elements[1]}, {});
    ASSERT_EQ(in.conflicts.size(), 1u);
    EXPECT_EQ(in.conflicts[0].kind, ConflictClass::Clearance);
    EXPECT_NEAR(in.conflicts[0].leastClearance, 0.25, 1e-2);
    EXPECT_NEAR(in.conflicts[0].depth, 0.5 - in.conflicts[0].leastClearance, 1e-9);
}

TEST(Conflicts, InnerRearWheelCutsTheKerbOfATightTurn)
{
    // A 90-degree left turn of radius 10 for a semitrailer: the inner front tyre runs at about
    // 10 - 1.275 from the centre, the rear wheels cut far inside. A kerb 1.6 inside the path is
    // clear of the front wheels but under the rear ones.
    const double R = 10.0;
    PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(25.0).Arc(R, kPi / 2.0).Line(30.0);
    const Swept s = SweepOf(testing::SemiTrailer(), path, 2);
    const Point2d centre{25.0, R};
    host::ElementLines kerb{"1F", {{}}};
    for (int i = 0; i <= 90; ++i) {
        const double a = -kPi / 2.0 + kPi / 2.0 * i / 90.0;
        kerb.lines[0].push_back({centre.x + (R - 1.6) * std::cos(a), centre.y + (R - 1.6) * std::sin(a)});
    }
    const ConflictResult r = Check(s, {}, {kerb});
    ASSERT_EQ(r.conflicts.size(), 1u);
    const Conflict& c = r.conflicts[0];
    EXPECT_EQ(c.kind, ConflictClass::Kerb);
    EXPECT_EQ(c.handle, "1F");
    EXPECT_GT(c.depth, 0.0);
    EXPECT_LT(c.depth, 0.5);
    EXPECT_GT(c.firstStation, 25.0);
    EXPECT_GE(c.lastStation, c.firstStation);
    EXPECT_NEAR(std::hypot(c.marker.x - centre.x, c.marker.y - centre.y), R - 1.6, 0.01);
    EXPECT_EQ(ConflictReportLine(r, '.'),
              "Conflicts: 1 (1 kerb), first at station " + FormatNumber(RoundHalfEven(c.firstStation, 1), '.'));
    // The outer kerb, 1.6 outside the path: the body's front corner overhangs it, the outer front
    // tyre (out to about 1.29) passes it by some 0.3.
    host::ElementLines outer{"20", {{}}};
    for (int i = 0; i <= 90; ++i) {
        const double a = -kPi / 2.0 + kPi / 2.0 * i / 90.0;
        outer.lines[0].push_back({centre.x + (R + 1.6) * std::cos(a), centre.y + (R + 1.6) * std::sin(a)});
    }
    const ConflictResult o = Check(s, {}, {outer});
    EXPECT_TRUE(o.conflicts.empty());
    ASSERT_TRUE(o.least.found);
    EXPECT_GT(o.least.distance, 0.2);
    EXPECT_LT(o.least.distance, 0.4);
    EXPECT_GT(o.least.station, 25.0);
}

TEST(Conflicts, ObstacleInsideABlockReferenceCounts)
{
    host::InMemoryDrawing drawing;
    drawing.AddLevel("Walls", 0, std::nullopt, 0);
    host::DrawingElement insert;
    insert.kind = host::ElementKind::Shown;
    insert.extras->dxfKind = "INSERT";
    insert.extras->dxfHandle = "2A";
    host::ShownPiece wall;
    wall.layer = "Walls";
    wall.points = {{12.0, -0.5, 0.0}, {12.0, 0.5, 0.0}, {13.0, 0.5, 0.0}, {13.0, -0.5, 0.0}};
    wall.closed = true;
    host::ShownPiece other = wall;
    other.layer = "Trees";
    other.points = {{30.0, -0.5, 0.0}, {30.0, 0.5, 0.0}};
    insert.extras->shown.pieces = {wall, other};
    drawing.AddNewElement(insert);
    host::DrawingElement line; // no DXF handle: named by its identifier in hex
    line.kind = host::ElementKind::Line;
    line.level = *drawing.FindLevelByName("Walls");
    line.vertices = {{35.0, 5.0, 0.0}, {36.0, 5.0, 0.0}};
    const host::ElementHandle lineHandle = drawing.AddNewElement(line);

    const auto walls = drawing.LinesOnLevels({"WALLS"});
    ASSERT_EQ(walls.size(), 2u);
    EXPECT_EQ(walls[0].handle, "2A");
    ASSERT_EQ(walls[0].lines.size(), 1u); // the piece on "Trees" is not a wall
    EXPECT_EQ(walls[0].lines[0].size(), 5u);
    char hex[24];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(drawing.ID(lineHandle).Value()));
    EXPECT_EQ(walls[1].handle, hex);
    EXPECT_TRUE(drawing.LinesOnLevels({}).empty());

    PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(40.0);
    const Swept s = SweepOf(testing::Truck(), path, 1);
    const ConflictResult r = Check(s, walls, {});
    ASSERT_EQ(r.conflicts.size(), 1u);
    EXPECT_EQ(r.conflicts[0].kind, ConflictClass::Obstacle);
    EXPECT_EQ(r.conflicts[0].handle, "2A");
    EXPECT_NEAR(r.conflicts[0].depth, 1.3, 0.01); // the wall's ends at y = 0 lie half a body inside
    EXPECT_NEAR(r.least.distance, 5.0 - 1.3, 1e-6);     // the free-standing line clears
    const auto rows = ConflictRows(r);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].kind, "obstacle");
    EXPECT_NEAR(rows[0].zoom.minX, 12.0, 1e-9);
    EXPECT_NEAR(rows[0].zoom.maxX, 13.0, 1e-9);
}

TEST(Conflicts, ReportCountsEachClassInOrder)
{
    ConflictResult r;
    for (auto [kind, station] : {std::pair{ConflictClass::Obstacle, 50.0}, std::pair{ConflictClass::Kerb, 41.8},
                                 std::pair{ConflictClass::Kerb, 60.0}}) {
        Conflict c;
        c.kind = kind;
        c.firstStation = station;
        r.conflicts.push_back(c);
    }
    EXPECT_EQ(ConflictReportLine(r, ','), "Conflicts: 3 (2 kerb, 1 obstacle), first at station 41,8");
    EXPECT_EQ(ConflictReportLine(ConflictResult{}, '.'), "Conflicts: none");
    r.conflicts.clear();
    r.least = {true, 0.615, 41.84, "A"};
    EXPECT_EQ(ConflictReportLine(r, '.'), "Conflicts: none, least clearance 0.62 at station 41.8");
}

TEST(Conflicts, LevelSettingsAndClearanceSetting)
{
    EXPECT_EQ(LevelsFromSetting(" Walls ;;Posts;"), (std::vector<std::string>{"Walls", "Posts"}));
    EXPECT_TRUE(LevelsFromSetting("").empty());
    EXPECT_EQ(SettingFromLevels({"Walls", " ", "Kerb edge"}), "Walls;Kerb edge");
    EXPECT_EQ(LevelsFromSetting(SettingFromLevels({"A b", "C"})), (std::vector<std::string>{"A b", "C"}));
    EXPECT_DOUBLE_EQ(ClearanceFromSetting("0.75", ','), 0.75);
    EXPECT_DOUBLE_EQ(ClearanceFromSetting("0,62", ','), 0.62);
    EXPECT_DOUBLE_EQ(ClearanceFromSetting("wide", ','), kDefaultClearance);
    EXPECT_DOUBLE_EQ(ClearanceFromSetting("-1", '.'), kDefaultClearance);
    EXPECT_DOUBLE_EQ(ClearanceFromSetting("0", '.'), 0.0);
}

} // namespace
} // namespace velrok
