// Drawing the envelope: style, order of the sides, and a side too short to be a line.
#include "output/PlotEnvelope.h"

#include "PlotTestDrawing.h"

#include <gtest/gtest.h>

namespace velrok {
namespace {

using testing::PlotTestDrawing;

// A straight track along x with body sides at y = +-1 recorded at every station, as a single unit
// of width 2 leaves them; `leftStations` limits how many stations have a left side.
SweepRecords StraightSides(int stations, int leftStations)
{
    SweepRecords r;
    for (int s = 0; s < stations; ++s) {
        const double x = 0.2 * s;
        if (s < leftStations)
            SaveSegmentLines(r, x + 0.1, 1, x - 5, 1, x + 1, -1, x - 5, -1, x);
        else
            SaveSegmentLines(r, x + 1, 50, x - 5, 50, x + 1, -1, x - 5, -1, x);
    }
    return r;
}

std::vector<PathTrackEntry> StraightTrack(int stations)
{
    std::vector<PathTrackEntry> track;
    for (int s = 0; s < stations; ++s)
        track.push_back({0.2 * s, 0.0, 0.2 * s});
    return track;
}

std::vector<SegmentSpec> OneUnit()
{
    SegmentSpec s;
    s.Kind = kKindMotor;
    s.VehicleWidth = 2.0;
    return {s};
}

TEST(EvaluateEnvelope, RightThenLeftBelowTheOutlines)
{
    PlotTestDrawing t;
    SweepRecords r = StraightSides(20, 20);
    const EnvelopePoints points = EvaluateEnvelope(t.Context(), StraightTrack(20), r, OneUnit(), 6.0);
    const auto elements = t.drawing.ModelElements();
    ASSERT_EQ(elements.size(), 2u);
    ASSERT_EQ(elements[0]->vertices.size(), points.right.size());
    ASSERT_EQ(elements[1]->vertices.size(), points.left.size());
    EXPECT_EQ(elements[0]->vertices.size(), 19u); // every station but the last
    for (const Point3d& p : elements[0]->vertices) {
        EXPECT_NEAR(p.y, -1.0, 1e-12);
        EXPECT_EQ(p.z, -0.1);
    }
    for (const Point3d& p : elements[1]->vertices)
        EXPECT_NEAR(p.y, 1.0, 1e-12);
    // Default style: yellow (host colour 4) on "Velrok_Envelope".
    EXPECT_EQ(elements[0]->color, 4);
    EXPECT_EQ(t.drawing.Level(elements[0]->level).name, "Velrok_Envelope");
    EXPECT_EQ(t.Members(), 2u);
    EXPECT_EQ(t.Commits(), 1);
    // The lists lose their empty last row and stay sorted.
    EXPECT_EQ(r.LeftSegmentLines.size(), 20u);
}

TEST(EvaluateEnvelope, SideWithFewerThanTwoVerticesIsNotDrawn)
{
    PlotTestDrawing t;
    // The probe (about 6.3 long) reaches the left side only at station 0.
    SweepRecords r = StraightSides(20, 1);
    const EnvelopePoints points = EvaluateEnvelope(t.Context(), StraightTrack(20), r, OneUnit(), 6.0);
    EXPECT_EQ(points.left.size(), 1u);
    const auto elements = t.drawing.ModelElements();
    ASSERT_EQ(elements.size(), 1u);
    EXPECT_NEAR(elements[0]->vertices[0].y, -1.0, 1e-12);
    EXPECT_EQ(t.Commits(), 1);
    EXPECT_TRUE(t.messages.shown.empty());
}

TEST(EvaluateEnvelope, BadStyleSettingIsLeftToTheCaller)
{
    PlotTestDrawing t;
    t.settings.Set("EnvelopeLineWeight", "thick");
    SweepRecords r = StraightSides(5, 5);
    EXPECT_THROW(EvaluateEnvelope(t.Context(), StraightTrack(5), r, OneUnit(), 6.0), std::exception);
    EXPECT_TRUE(t.messages.shown.empty());
    EXPECT_TRUE(t.drawing.ModelElements().empty());
}

} // namespace
} // namespace velrok
