// Sweep lines: one polyline per unit and traced point, drawbars and short units skipped.
#include "output/PlotSweeplines.h"

#include "PlotTestDrawing.h"

#include <gtest/gtest.h>

namespace velrok {
namespace {

using testing::PlotTestDrawing;

// Rows as CalcSegmentCorners leaves them: every unit of a station before the next station.
SweepRecords RecordsFor(const std::vector<SegmentSpec>& units, int stations)
{
    SweepRecords r;
    for (int s = 0; s < stations; ++s) {
        for (size_t u = 0; u < units.size(); ++u) {
            const double flag = units[u].Kind == kKindDrawbar ? 0.0 : 1.0;
            const double station = 0.2 * s;
            const double x = station, y = -10.0 * static_cast<double>(u);
            for (auto* list : {&r.VehicleSweepLeftFront, &r.VehicleSweepRightFront, &r.VehicleSweepLeftBack,
                               &r.VehicleSweepRightBack})
                list->push_back({static_cast<double>(u), station, x, y, flag});
            if (units[u].Kind == kKindMotor) {
                r.WheelSweepLeftFront.push_back({static_cast<double>(u), station, x, y + 1, 1.0});
                r.WheelSweepRightFront.push_back({static_cast<double>(u), station, x, y - 1, 1.0});
            }
            r.WheelSweepLeftBack.push_back({static_cast<double>(u), station, x, y + 2, 1.0});
            r.WheelSweepRightBack.push_back({static_cast<double>(u), station, x, y - 2, 1.0});
        }
    }
    return r;
}

SegmentSpec Unit(int32_t kind)
{
    SegmentSpec s;
    s.Kind = kind;
    return s;
}

TEST(PlotSweeplines, OneUnitGivesEightLines)
{
    PlotTestDrawing t;
    const std::vector<SegmentSpec> truck{Unit(kKindMotor)};
    ASSERT_TRUE(PlotSweeplines(t.Context(), RecordsFor(truck, 5), truck, "Velrok_LeftSweep",
                               "Velrok_RightSweep", "Velrok_WheelSweep"));
    const auto elements = t.drawing.ModelElements();
    ASSERT_EQ(elements.size(), 8u);
    for (const host::DrawingElement* e : elements) {
        ASSERT_EQ(e->vertices.size(), 5u);
        EXPECT_EQ(e->vertices[0].z, -0.1);
    }
    // Drawing order and defaults: body corners blue (1), wheels green (2); left and right levels.
    const int colours[] = {1, 1, 2, 2, 1, 1, 2, 2};
    const char* levels[] = {"Velrok_LeftSweep", "Velrok_RightSweep", "Velrok_RightSweep", "Velrok_LeftSweep",
                            "Velrok_LeftSweep", "Velrok_RightSweep", "Velrok_RightSweep", "Velrok_LeftSweep"};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(elements[i]->color, colours[i]) << i;
        EXPECT_EQ(t.drawing.Level(elements[i]->level).name, levels[i]) << i;
    }
    // List 3 traces the front right wheel (y - 1), list 4 the front left (y + 1).
    EXPECT_EQ(elements[2]->vertices[0].y, -1.0);
    EXPECT_EQ(elements[3]->vertices[0].y, 1.0);
    // All three levels exist afterwards, though no style puts a line on the wheel level.
    EXPECT_TRUE(t.drawing.FindLevelByName("Velrok_WheelSweep").has_value());
    EXPECT_EQ(t.Commits(), 1);
    EXPECT_EQ(t.Members(), 8u);
    EXPECT_EQ(t.status.progressMaximum, 8);
    EXPECT_EQ(t.status.progressValue, 8);
}

TEST(PlotSweeplines, SemitrailerGivesFourteenLinesEachUnitOnItsOwnRows)
{
    PlotTestDrawing t;
    const std::vector<SegmentSpec> semi{Unit(kKindMotor), Unit(kKindBody)};
    ASSERT_TRUE(PlotSweeplines(t.Context(), RecordsFor(semi, 6), semi, "Velrok_LeftSweep",
                               "Velrok_RightSweep", "Velrok_WheelSweep"));
    const auto elements = t.drawing.ModelElements();
    ASSERT_EQ(elements.size(), 14u);
    // Interleaved rows do not mix units: every vertex of a line has its unit's y.
    for (const host::DrawingElement* e : elements) {
        ASSERT_EQ(e->vertices.size(), 6u);
        for (const Point3d& p : e->vertices)
            EXPECT_NEAR(p.y, e->vertices[0].y, 1e-12);
    }
}

TEST(PlotSweeplines, DrawbarGetsOnlyItsRearAxleLines)
{
    PlotTestDrawing t;
    const std::vector<SegmentSpec> towBar{Unit(kKindMotor), Unit(kKindDrawbar), Unit(kKindBody)};
    ASSERT_TRUE(PlotSweeplines(t.Context(), RecordsFor(towBar, 4), towBar, "Velrok_LeftSweep",
                               "Velrok_RightSweep", "Velrok_WheelSweep"));
    // Motor 8, drawbar 2 (lists 7, 8), trailer 6.
    const auto elements = t.drawing.ModelElements();
    ASSERT_EQ(elements.size(), 16u);
    int drawbarLines = 0;
    for (const host::DrawingElement* e : elements)
        if (e->vertices[0].y == -10.0 + 2.0 || e->vertices[0].y == -10.0 - 2.0) {
            ++drawbarLines;
        } else {
            EXPECT_NE(e->vertices[0].y, -10.0);
        }
    EXPECT_EQ(drawbarLines, 2);
}

TEST(PlotSweeplines, UnitWithFewerThanTwoVerticesIsSkipped)
{
    PlotTestDrawing t;
    const std::vector<SegmentSpec> semi{Unit(kKindMotor), Unit(kKindBody)};
    SweepRecords r = RecordsFor(std::vector<SegmentSpec>{Unit(kKindMotor)}, 3);
    // Unit 1 has a single row in each list, as after a stop at its first station.
    for (auto* list : {&r.VehicleSweepLeftFront, &r.VehicleSweepRightFront, &r.VehicleSweepLeftBack,
                       &r.VehicleSweepRightBack, &r.WheelSweepLeftBack, &r.WheelSweepRightBack})
        list->push_back({1.0, 0.4, 5.0, 5.0, 1.0});
    ASSERT_TRUE(
        PlotSweeplines(t.Context(), r, semi, "Velrok_LeftSweep", "Velrok_RightSweep", "Velrok_WheelSweep"));
    EXPECT_EQ(t.drawing.ModelElements().size(), 8u);
    EXPECT_TRUE(t.messages.shown.empty());
}

TEST(PlotSweeplines, FailureIsReportedWithItsLabel)
{
    PlotTestDrawing t;
    t.settings.Set("WheelSweepLeftBackLineWeight", "x");
    const std::vector<SegmentSpec> truck{Unit(kKindMotor)};
    EXPECT_FALSE(PlotSweeplines(t.Context(), RecordsFor(truck, 3), truck, "L", "R", "W"));
    ASSERT_EQ(t.messages.shown.size(), 1u);
    EXPECT_EQ(t.messages.shown[0].title, "Veichle Turning Simulation");
    const std::string& text = t.messages.shown[0].text;
    EXPECT_EQ(text.substr(text.size() - 15), " PlotSweeplines");
    EXPECT_EQ(t.Commits(), 0);
    EXPECT_TRUE(t.drawing.ModelElements().empty());
}

} // namespace
} // namespace velrok
