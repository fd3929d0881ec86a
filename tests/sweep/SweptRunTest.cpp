// The swept area and the conflicts at a run's wrap-up: settings read, report line, drawing, and
// a failure that ends only this step.
#include "SweepHarness.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace velrok {
namespace {

using testing::SweepHarness;

void AddRoadLine(SweepHarness& h, const std::string& level, Point3d a, Point3d b, const std::string& handle)
{
    host::DrawingElement e;
    e.kind = host::ElementKind::Line;
    auto found = h.drawing->FindLevelByName(level);
    e.level = found ? *found : h.drawing->AddLevel(level, 0, std::nullopt, 0);
    e.vertices = {a, b};
    e.extras->dxfHandle = handle;
    h.drawing->AddNewElement(e);
}

TEST(SweptRun, WithoutNamedLevelsTheRunIsAsBefore)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {30, 0, 0});
    h.inputs.Check1 = true;
    ASSERT_TRUE(h.Execute());
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_FALSE(h.results.SweptAreaDone);
    EXPECT_FALSE(h.results.ConflictsChecked);
    EXPECT_EQ(h.results.ConflictLine, "");
    EXPECT_EQ(h.status.panel2, h.results.Report);
    const auto levels = h.ElementsPerLevel();
    EXPECT_EQ(levels.count("Velrok_Conflicts"), 0u);
    EXPECT_EQ(levels.count("Velrok_Clearance"), 0u);
}

TEST(SweptRun, AKerbLevelWithNothingOnItGivesTheAreaAndNoConflict)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {30, 0, 0});
    h.settings.Set("KerbLevels", "Kerbs");
    h.inputs.Check1 = true;
    ASSERT_TRUE(h.Execute());
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_TRUE(h.results.SweptAreaDone);
    EXPECT_NEAR(h.results.SweptMaxWidth, 2.6, 1e-9);
    EXPECT_GT(h.results.SweptBodyArea, 30.0 * 2.6);
    EXPECT_GT(h.results.SweptWheelArea, 0.0);
    EXPECT_TRUE(h.results.ConflictsChecked);
    EXPECT_TRUE(h.results.Conflicts.conflicts.empty());
    const auto levels = h.ElementsPerLevel();
    EXPECT_EQ(levels.count("Velrok_Conflicts"), 0u);
    EXPECT_EQ(levels.count("Velrok_Clearance"), 0u);
}

TEST(SweptRun, KerbsClearedGiveTheReportLine)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {30, 0, 0});
    AddRoadLine(h, "Kerbs", {-10, 3, 0}, {40, 3, 0}, "B1");
    AddRoadLine(h, "Kerbs", {-10, -3.5, 0}, {40, -3.5, 0}, "B2");
    h.settings.Set("KerbLevels", "kerbs;Other");
    h.inputs.Check1 = true;
    ASSERT_TRUE(h.Execute());
    EXPECT_TRUE(h.messages.shown.empty());
    ASSERT_TRUE(h.results.ConflictsChecked);
    EXPECT_TRUE(h.results.Conflicts.conflicts.empty());
    EXPECT_NEAR(h.results.Conflicts.least.distance, 1.7, 1e-3);
    EXPECT_EQ(h.results.Conflicts.least.handle, "B1");
    EXPECT_EQ(h.results.ConflictLine.rfind("Conflicts: none, least clearance 1.7 at station ", 0), 0u)
        << h.results.ConflictLine;
    EXPECT_EQ(h.status.panel2, h.results.Report + "  " + h.results.ConflictLine);
    // Kerbs alone draw no clearance envelope; nothing conflicts, so nothing is highlighted.
    const auto levels = h.ElementsPerLevel();
    EXPECT_EQ(levels.count("Velrok_Clearance"), 0u);
    EXPECT_EQ(levels.count("Velrok_Conflicts"), 0u);
}

TEST(SweptRun, ObstacleAcrossThePathIsDrawnWithItsStyle)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {30, 0, 0});
    AddRoadLine(h, "Posts", {15, -0.5, 0}, {15, 0.5, 0}, "2F");
    h.settings.Set("ObstacleLevels", "Posts");
    h.settings.Set("ClearanceDistance", "0.75");
    h.settings.Set("ConflictsLevel", "Hits");
    h.inputs.Check1 = true;
    ASSERT_TRUE(h.Execute());
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_DOUBLE_EQ(h.results.ClearanceDistance, 0.75);
    ASSERT_EQ(h.results.Conflicts.conflicts.size(), 1u);
    const Conflict& c = h.results.Conflicts.conflicts[0];
    EXPECT_EQ(c.kind, ConflictClass::Obstacle);
    EXPECT_EQ(c.handle, "2F");
    EXPECT_NEAR(c.firstStation, 15.0 - 1.4, 0.21); // the front overhang meets it first
    EXPECT_NEAR(c.depth, 1.3, 0.01); // its middle lies half a body inside the sides
    EXPECT_EQ(h.results.ConflictLine.rfind("Conflicts: 1 (1 obstacle), first at station ", 0), 0u);
    const auto levels = h.ElementsPerLevel();
    EXPECT_EQ(levels.at("Hits"), 3); // the piece, its circle and its text
    EXPECT_EQ(levels.at("Velrok_Clearance"), 1);
    for (const auto* e : h.OnLevel("Velrok_Clearance")) {
        EXPECT_EQ(e->vertices.front(), e->vertices.back()); // a closed ring
        EXPECT_EQ(e->vertices.front().z, -0.1);
    }
    // Every element drawn joins the run's group.
    EXPECT_EQ(h.drawing->Groups()[0].members.size(), h.DrawnCount() - 1); // less the post
}

// A host whose elements cannot be read: the failure is shown, the run's other results stay.
class UnreadableDrawing : public host::InMemoryDrawing {
  public:
    std::vector<host::ElementLines> LinesOnLevels(const std::vector<std::string>&) const override
    {
        throw std::runtime_error("Levels unreadable");
    }
};

TEST(SweptRun, FailureIsShownAndTheRestOfTheRunStays)
{
    SweepHarness h;
    auto drawing = std::make_shared<UnreadableDrawing>();
    h.drawing = drawing;
    h.registry.Register(host::kStandardProgId, drawing);
    h.AddLine({0, 0, 0}, {30, 0, 0});
    h.settings.Set("KerbLevels", "Kerbs");
    h.inputs.Check1 = true;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, "Veichle Turning Simulation");
    EXPECT_EQ(h.messages.shown[0].text, "Levels unreadable Swept area");
    EXPECT_EQ(h.results.Stop, StopReason::None);
    EXPECT_TRUE(h.results.SweptAreaDone);
    EXPECT_FALSE(h.results.ConflictsChecked);
    EXPECT_EQ(h.results.Report, "Truck Max Turning Angle 0  Lowest speed along path:  More than 30 km/h");
    const auto levels = h.ElementsPerLevel();
    EXPECT_EQ(levels.at("Velrok_Vehicle"), 34);
    EXPECT_EQ(levels.at("Velrok_LeftSweep") + levels.at("Velrok_RightSweep"), 8);
}

} // namespace
} // namespace velrok
