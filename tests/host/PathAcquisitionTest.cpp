// Attach, the host reachable check, Add path and finding the path again.
#include "host/PathAcquisition.h"
#include "host/InMemoryDrawing.h"

#include "fakes/RecordingServices.h"

#include <gtest/gtest.h>

#include <memory>

namespace velrok::host {
namespace {

using velrok::testing::FakeRunControl;
using velrok::testing::RecordingMessages;
using velrok::testing::RecordingStatus;

class AddPathTest : public ::testing::Test {
  protected:
    AddPathTest() { registry.Register(kStandardProgId, drawing); }

    ElementHandle Line(double length)
    {
        ElementHandle h = drawing->CreateLineElement1({{10, 20, 0}, {10 + length, 20, 0}});
        drawing->AddElement(h);
        return h;
    }
    bool Add() { return AddPath(registry, kStandardProgId, messages, status, path); }

    std::shared_ptr<InMemoryDrawing> drawing = std::make_shared<InMemoryDrawing>("Drawing - road.dxf");
    HostRegistry registry;
    RecordingMessages messages;
    RecordingStatus status;
    FakeRunControl run;
    CurrentPath path;
};

TEST_F(AddPathTest, TakesExactly998AndClearsSelection)
{
    ElementHandle h = Line(998.0);
    drawing->Select(h);
    EXPECT_TRUE(Add());
    EXPECT_TRUE(messages.shown.empty());
    const ElementId id = drawing->ID(h);
    EXPECT_EQ(path.low, id.Low);
    EXPECT_EQ(path.high, id.High);
    EXPECT_FALSE(drawing->AnyElementsSelected());
    // The sweep finds it again from the two halves and reads its length.
    HostSession session = Attach(registry, kStandardProgId);
    ElementHandle found = FindPath(session, path.Id());
    EXPECT_EQ(found.id, h.id);
    EXPECT_DOUBLE_EQ(session.Model().Length(found), 998.0);
}

TEST_F(AddPathTest, ATakenPathGivesItsStartDirectionAndLength)
{
    // A polyline that leaves (3, 4) going straight down, then turns east.
    ElementHandle h = drawing->CreateLineElement1({{3, 4, 0}, {3, -6, 0}, {50, -6, 0}});
    drawing->AddElement(h);
    drawing->Select(h);
    PathMarker marker;
    ASSERT_TRUE(AddPath(registry, kStandardProgId, messages, status, path, &marker));
    EXPECT_DOUBLE_EQ(marker.start.x, 3.0);
    EXPECT_DOUBLE_EQ(marker.start.y, 4.0);
    EXPECT_NEAR(marker.direction.x, 0.0, 1e-12);
    EXPECT_NEAR(marker.direction.y, -1.0, 1e-12);
    EXPECT_DOUBLE_EQ(marker.length, 57.0);
}

TEST_F(AddPathTest, ARefusedPathLeavesTheMarkerAlone)
{
    ElementHandle tooLong = Line(999.0);
    drawing->Select(tooLong);
    PathMarker marker;
    marker.length = -1.0;
    EXPECT_FALSE(AddPath(registry, kStandardProgId, messages, status, path, &marker));
    EXPECT_DOUBLE_EQ(marker.length, -1.0);
    EXPECT_DOUBLE_EQ(marker.start.x, 0.0);
}

TEST(PathLengthText, TwoDecimalsHalfToEvenInTheUsersSeparator)
{
    EXPECT_EQ(PathLengthText(123.4567, ','), "Path length: 123,46");
    EXPECT_EQ(PathLengthText(123.445, ','), "Path length: 123,44"); // a decimal half goes to even
    EXPECT_EQ(PathLengthText(0.125, '.'), "Path length: 0.12");
    EXPECT_EQ(PathLengthText(998.0, ','), "Path length: 998");
}

TEST_F(AddPathTest, RefusesLongerThan998AndKeepsOldPath)
{
    ElementHandle first = Line(10.0);
    drawing->Select(first);
    ASSERT_TRUE(Add());
    const CurrentPath before = path;
    ElementHandle tooLong = Line(998.001);
    drawing->Select(tooLong);
    EXPECT_FALSE(Add());
    EXPECT_EQ(status.panel1, "Selected Vehicle Path is to long!");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "To long Vehicle Path");
    EXPECT_EQ(messages.shown[0].text, "Selected Vehicle Path is to long!\r\rMax length is 998 units");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(path.low, before.low);
    EXPECT_EQ(path.high, before.high);
    EXPECT_TRUE(drawing->AnyElementsSelected());
}

TEST_F(AddPathTest, NothingSelectedShowsOneMessageAndKeepsPath)
{
    ElementHandle first = Line(10.0);
    drawing->Select(first);
    ASSERT_TRUE(Add());
    const CurrentPath before = path;
    EXPECT_FALSE(Add());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Select Vehicle Path!");
    EXPECT_EQ(messages.shown[0].text, "This function requires a selection set with a Vehicle path");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(path.low, before.low);
    EXPECT_TRUE(status.panelHistory.empty());
}

TEST_F(AddPathTest, TwoSelectedAreRefusedAndSelectionStays)
{
    drawing->Select(Line(5.0));
    drawing->Select(Line(6.0));
    EXPECT_FALSE(Add());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "To many elements in the selection");
    EXPECT_EQ(messages.shown[0].text,
              "Only one element can be in the selection! Clear selection and select one path!");
    EXPECT_TRUE(path.IsZero());
    EXPECT_EQ(drawing->Selection().size(), 2u);
}

TEST_F(AddPathTest, SecondAddReplacesTheIdentifier)
{
    ElementHandle a = Line(5.0), b = Line(7.0);
    drawing->Select(a);
    ASSERT_TRUE(Add());
    drawing->Select(b);
    ASSERT_TRUE(Add());
    EXPECT_EQ(path.Id().Value(), drawing->ID(b).Value());
}

TEST_F(AddPathTest, TextSelectedGoesToTheErrorTrap)
{
    ElementHandle t = drawing->MakeText("A", {0, 0, 0}, drawing->DefaultRotation());
    drawing->AddElement(t);
    drawing->Select(t);
    EXPECT_FALSE(Add());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Veichle Turning Simulation");
    EXPECT_EQ(messages.shown[0].text, "A text element has no length Execute sweep");
    EXPECT_TRUE(path.IsZero());
}

TEST_F(AddPathTest, NoHostRunningShowsItsOwn429Message)
{
    registry.Unregister(kStandardProgId);
    EXPECT_FALSE(Add());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Can't create object");
    EXPECT_EQ(messages.shown[0].text, "Microstation is not running! Start Microstation and try again!");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Critical);
}

TEST_F(AddPathTest, ReachableCheck)
{
    EXPECT_TRUE(IsHostReachable(registry, kStandardProgId, messages, run));
    EXPECT_EQ(run.yields, 1);
    EXPECT_TRUE(messages.shown.empty());
    // A typed-in identifier that names no running instance is 429 as well.
    EXPECT_FALSE(IsHostReachable(registry, "Some.Other.Connector", messages, run));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Can't create object");
    EXPECT_EQ(messages.shown[0].text, "Microstation is not running!\r\rIf running on Vista make sure to run "
                                      "Microstation as administrator!");
    EXPECT_EQ(run.yields, 1);
}

TEST_F(AddPathTest, ClosedDrawingIsNoLongerRunning)
{
    drawing.reset();
    try {
        Attach(registry, kStandardProgId);
        ADD_FAILURE() << "attached to a closed drawing";
    } catch (const HostError& e) {
        EXPECT_EQ(e.Number(), 429);
        EXPECT_EQ(e.Kind(), HostErrorKind::NotRunning);
    }
}

class RecordingActivator : public WindowActivator {
  public:
    bool ActivateWindowByTitle(const std::string& title) override
    {
        titles.push_back(title);
        return false;
    }
    std::vector<std::string> titles;
};

TEST_F(AddPathTest, BringToFrontActivatesCaptionAndIgnoresFailures)
{
    RecordingActivator activator;
    BringHostToFront(registry, kStandardProgId, &activator, run);
    EXPECT_EQ(activator.titles, std::vector<std::string>{"Drawing - road.dxf"});
    EXPECT_EQ(run.yields, 1);
    registry.Unregister(kStandardProgId);
    BringHostToFront(registry, kStandardProgId, &activator, run); // no host: nothing, no throw
    EXPECT_EQ(activator.titles.size(), 1u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AddPathTest, FindPathFailsWhenElementWasDeleted)
{
    ElementHandle h = Line(5.0);
    const ElementId id = drawing->ID(h);
    drawing->DeleteElement(h);
    EXPECT_THROW(FindPath(Attach(registry, kStandardProgId), id), HostError);
}

} // namespace
} // namespace velrok::host
