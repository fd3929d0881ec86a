// The segment-angle marker: its two legs, its text and its level.
#include "output/PlotExceededSegmentAngle.h"

#include "PlotTestDrawing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velrok {
namespace {

using testing::PlotTestDrawing;

struct MarkerCase {
    const char* name;
    Point2d ahead; // lead point of the unit ahead
    Point2d rear;  // rear axle of the offending unit
    double angle;
    Point2d legA, legB;
    const char* text;
};

class Marker : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(Marker, LegsAndText)
{
    const MarkerCase c = GetParam();
    PlotTestDrawing t;
    SegmentCorners previous, current;
    previous[0] = c.ahead;
    current[0] = {10.0, 5.0};
    ASSERT_TRUE(PlotExceededSegmentAngle(t.Context(), previous, current, c.rear, c.angle, "Velrok_ErrNotes"));
    const auto elements = t.drawing.ModelElements();
    ASSERT_EQ(elements.size(), 2u);
    const auto& legs = elements[0]->vertices;
    ASSERT_EQ(legs.size(), 3u);
    EXPECT_NEAR(legs[0].x, c.legA.x, 1e-12);
    EXPECT_NEAR(legs[0].y, c.legA.y, 1e-12);
    EXPECT_EQ(legs[1].x, 10.0);
    EXPECT_EQ(legs[1].y, 5.0);
    EXPECT_NEAR(legs[2].x, c.legB.x, 1e-12);
    EXPECT_NEAR(legs[2].y, c.legB.y, 1e-12);
    EXPECT_EQ(elements[1]->kind, host::ElementKind::Text);
    EXPECT_EQ(elements[1]->extras->text.text, c.text);
    EXPECT_NEAR(elements[1]->extras->text.origin.x, (c.legA.x + c.legB.x) / 2, 1e-12);
    EXPECT_NEAR(elements[1]->extras->text.origin.y, (c.legA.y + c.legB.y) / 2, 1e-12);
    for (const host::DrawingElement* e : elements) {
        EXPECT_EQ(e->color, 3);
        EXPECT_EQ(t.drawing.Level(e->level).name, "Velrok_ErrNotes");
    }
    EXPECT_EQ(t.Members(), 2u);
    EXPECT_EQ(t.Commits(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Marker,
    ::testing::Values(
        // Units in line: both legs run 5 units forward and the text sits at their common end.
        MarkerCase{"InLine", {20.0, 5.0}, {0.0, 5.0}, 0.0, {15.0, 5.0}, {15.0, 5.0}, "0"},
        // A right angle: one leg along +y to the unit ahead, the other along +x forward.
        MarkerCase{"RightAngle", {10.0, 25.0}, {2.0, 5.0}, 90.0, {10.0, 10.0}, {15.0, 5.0}, "90"},
        // Halves go to the even digit and the sign is dropped.
        MarkerCase{"HalfToEven", {20.0, 5.0}, {0.0, 5.0}, -12.25, {15.0, 5.0}, {15.0, 5.0}, "12.2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Marker, CoincidentPointsAreReportedWithTheMarkerLabel)
{
    PlotTestDrawing t;
    SegmentCorners both;
    both[0] = {1.0, 1.0};
    EXPECT_FALSE(PlotExceededSegmentAngle(t.Context(), both, both, {0.0, 0.0}, 80.0, "Velrok_ErrNotes"));
    ASSERT_EQ(t.messages.shown.size(), 1u);
    EXPECT_EQ(t.messages.shown[0].title, "Veichle Turning Simulation");
    EXPECT_EQ(t.messages.shown[0].text, "Division by zero Plot Exceede Segment angle");
    EXPECT_EQ(t.Commits(), 0);
}

} // namespace
} // namespace velrok
