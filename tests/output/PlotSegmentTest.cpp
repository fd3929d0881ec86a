// Outline plotting: element counts per unit kind, styles and levels, and the error trap.
#include "output/PlotSegment.h"

#include "PlotTestDrawing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velrok {
namespace {

using testing::PlotTestDrawing;

// A unit at a plausible place: corners spread out so that each element has distinct vertices.
SegmentCorners SpreadCorners()
{
    SegmentCorners c;
    for (int i = 0; i < kCornerCount; ++i)
        c[i] = {10.0 + i, 20.0 + 0.5 * i};
    return c;
}

struct CountCase {
    const char* name;
    int32_t kind;
    bool hitchCircle;
    int expected;
};

class PlotSegmentCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(PlotSegmentCount, ElementsPerUnitKind)
{
    const CountCase c = GetParam();
    PlotTestDrawing t;
    SegmentSpec spec;
    spec.Kind = c.kind;
    spec.DrawHitchCircle = c.hitchCircle;
    ASSERT_TRUE(PlotSegment(t.Context(), SpreadCorners(), spec));
    EXPECT_EQ(static_cast<int>(t.drawing.ModelElements().size()), c.expected);
    EXPECT_EQ(static_cast<int>(t.Members()), c.expected);
    EXPECT_EQ(t.Commits(), 1);
    EXPECT_EQ(t.status.panel1, "Plotting Vehicle");
    EXPECT_TRUE(t.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlotSegmentCount,
                         ::testing::Values(CountCase{"TruckPosition", kKindMotor, false, 17},
                                           CountCase{"TowingMotorUnit", kKindMotor, true, 18},
                                           CountCase{"Drawbar", kKindDrawbar, false, 9},
                                           CountCase{"BodyWithCoupling", kKindBody, true, 10},
                                           CountCase{"Trailer", kKindBody, false, 9}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlotSegment, ElementTableGeometryAndStyles)
{
    PlotTestDrawing t;
    SegmentSpec spec;
    spec.Kind = kKindMotor;
    spec.DrawHitchCircle = true;
    const SegmentCorners c = SpreadCorners();
    ASSERT_TRUE(PlotSegment(t.Context(), c, spec));
    const auto elements = t.drawing.ModelElements();
    ASSERT_EQ(elements.size(), 18u);

    // Body: front left, front right, rear right, rear left, closed on front left, at z = 0.
    const int body[] = {3, 5, 4, 2, 3};
    ASSERT_EQ(elements[0]->vertices.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(elements[0]->vertices[i].x, c[body[i]].x) << i;
        EXPECT_EQ(elements[0]->vertices[i].y, c[body[i]].y) << i;
        EXPECT_EQ(elements[0]->vertices[i].z, 0.0) << i;
    }
    // The coupling circle sits on point 6 with radius 0.1.
    EXPECT_EQ(elements[1]->kind, host::ElementKind::Ellipse);
    EXPECT_NEAR(elements[1]->extras->ellipse.centre.x, c[6].x, 1e-12);
    EXPECT_NEAR(elements[1]->extras->ellipse.centre.y, c[6].y, 1e-12);
    EXPECT_NEAR(std::hypot(elements[1]->extras->ellipse.majorAxis.x, elements[1]->extras->ellipse.majorAxis.y), 0.1, 1e-12);
    // Front left tyre outline 10, 9, 13, 14, 12, 11, 7, 8, 10 and its first tread 15-16.
    const int tyre[] = {10, 9, 13, 14, 12, 11, 7, 8, 10};
    ASSERT_EQ(elements[2]->vertices.size(), 9u);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(elements[2]->vertices[i].x, c[tyre[i]].x) << i;
    ASSERT_EQ(elements[3]->vertices.size(), 2u);
    EXPECT_EQ(elements[3]->vertices[0].x, c[15].x);
    EXPECT_EQ(elements[3]->vertices[1].x, c[16].x);
    // The last tread of the rear right tyre: 63-64.
    EXPECT_EQ(elements[17]->vertices[0].x, c[63].x);
    EXPECT_EQ(elements[17]->vertices[1].x, c[64].x);

    // Default styles: body and tyre white (0), tread yellow (4), all on "Velrok_Vehicle".
    EXPECT_EQ(elements[0]->color, 0);
    EXPECT_EQ(elements[1]->color, 0);
    EXPECT_EQ(elements[2]->color, 0);
    EXPECT_EQ(elements[3]->color, 4);
    for (const host::DrawingElement* e : elements)
        EXPECT_EQ(t.drawing.Level(e->level).name, "Velrok_Vehicle");
}

TEST(PlotSegment, StoredStylesAreUsed)
{
    PlotTestDrawing t;
    t.settings.Set("TyreTreadColor", "1"); // "Red", host colour 3
    t.settings.Set("TyreTreadLevel", "Treads");
    t.settings.Set("VehicleBodyOutlineLineWeight", "3");
    SegmentSpec spec;
    spec.Kind = kKindBody;
    ASSERT_TRUE(PlotSegment(t.Context(), SpreadCorners(), spec));
    const auto elements = t.drawing.ModelElements();
    ASSERT_EQ(elements.size(), 9u);
    EXPECT_EQ(elements[0]->weight, 3);
    EXPECT_EQ(elements[2]->color, 3);
    EXPECT_EQ(t.drawing.Level(elements[2]->level).name, "Treads");
    EXPECT_EQ(t.drawing.Level(elements[1]->level).name, "Velrok_Vehicle");
}

TEST(PlotSegment, ZeroCornersStillDrawAtTheOrigin)
{
    PlotTestDrawing t;
    SegmentSpec spec;
    spec.Kind = kKindMotor;
    ASSERT_TRUE(PlotSegment(t.Context(), SegmentCorners{}, spec));
    const auto elements = t.drawing.ModelElements();
    ASSERT_EQ(elements.size(), 17u);
    for (const host::DrawingElement* e : elements)
        for (const Point3d& p : e->vertices)
            EXPECT_EQ(std::hypot(p.x, p.y), 0.0);
}

TEST(PlotSegment, FailureIsReportedAndGroupNotCommitted)
{
    PlotTestDrawing t;
    t.settings.Set("WheelOutlineLineWeight", "heavy");
    SegmentSpec spec;
    spec.Kind = kKindMotor;
    EXPECT_FALSE(PlotSegment(t.Context(), SpreadCorners(), spec));
    ASSERT_EQ(t.messages.shown.size(), 1u);
    EXPECT_EQ(t.messages.shown[0].title, "Veichle Turning Simulation");
    const std::string& text = t.messages.shown[0].text;
    const std::string label = " PlotSegment";
    ASSERT_GE(text.size(), label.size());
    EXPECT_EQ(text.substr(text.size() - label.size()), label);
    EXPECT_EQ(t.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(t.Commits(), 0);
}

} // namespace
} // namespace velrok
