// The in-memory drawing behaves as the host the program relies on.
#include "host/InMemoryDrawing.h"

#include <gtest/gtest.h>

#include <utility>

namespace velrok::host {
namespace {

ElementHandle AddLine(InMemoryDrawing& d, Point3d a, Point3d b)
{
    ElementHandle h = d.CreateLineElement1({a, b});
    d.AddElement(h);
    return h;
}

TEST(InMemoryDrawing, IdentifiersStartAboveTwoToThe32AndCrossTheLowSign)
{
    InMemoryDrawing d;
    std::vector<ElementId> ids;
    for (int i = 0; i < 20; ++i)
        ids.push_back(d.ID(AddLine(d, {0, 0, 0}, {1, double(i), 0})));
    EXPECT_GT(ids.front().Value(), 1ull << 32);
    EXPECT_EQ(ids.front().High, 1);
    EXPECT_GT(ids.front().Low, 0);
    EXPECT_LT(ids.back().Low, 0); // low half past 2^31 reads negative as a signed half
    for (size_t i = 1; i < ids.size(); ++i)
        EXPECT_EQ(ids[i].Value(), ids[i - 1].Value() + 1);
    // Found again from its two signed halves.
    ElementHandle found = d.GetElementByID({ids.back().Low, ids.back().High});
    EXPECT_EQ(d.ID(found).Value(), ids.back().Value());
}

TEST(InMemoryDrawing, LineStringNeedsTwoVertices)
{
    InMemoryDrawing d;
    for (const std::vector<Point3d>& vertices : {std::vector<Point3d>{}, std::vector<Point3d>{{1, 2, 0}}}) {
        try {
            d.CreateLineElement1(vertices);
            ADD_FAILURE() << "accepted " << vertices.size() << " vertices";
        } catch (const HostError& e) {
            EXPECT_EQ(e.Kind(), HostErrorKind::InvalidArgument);
        }
    }
    EXPECT_TRUE(d.ModelElements().empty());
}

TEST(InMemoryDrawing, AddElementKeepsHandleAndOnlyModelElementsAreFound)
{
    InMemoryDrawing d;
    ElementHandle h = d.CreateLineElement1({{0, 0, 0}, {3, 4, 0}});
    const ElementId id = d.ID(h);
    // Not yet in the model: not found by identifier and not written out.
    EXPECT_THROW(d.GetElementByID(id), HostError);
    EXPECT_EQ(d.ModelElements().size(), 0u);
    ElementHandle before = h;
    d.AddElement(h);
    EXPECT_EQ(h.id, before.id);
    EXPECT_EQ(d.GetElementByID(id).id, h.id);
    EXPECT_DOUBLE_EQ(d.Length(h), 5.0);
    try {
        d.GetElementByID(ElementId::FromValue(12345));
        ADD_FAILURE() << "found an absent element";
    } catch (const HostError& e) {
        EXPECT_EQ(e.Kind(), HostErrorKind::NoSuchElement);
    }
}

TEST(InMemoryDrawing, StandardLineStylesAndByLevel)
{
    InMemoryDrawing d;
    std::vector<std::string> names;
    for (LineStyleHandle s : d.LineStyleList())
        names.push_back(d.LineStyleName(s));
    EXPECT_EQ(names, (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(d.LineStyleName(d.LevelLineStyle()), "ByLevel");
    EXPECT_FALSE(d.FindLineStyleByName("ByLevel").has_value());
    EXPECT_FALSE(d.FindLineStyleByName("8").has_value());
    ASSERT_TRUE(d.FindLineStyleByName("3").has_value());
}

TEST(InMemoryDrawing, LevelsAreFoundByNameAndNotDuplicated)
{
    InMemoryDrawing d;
    EXPECT_FALSE(d.FindLevelByName("Velrok_Vehicle").has_value());
    LevelHandle l = d.AddNewLevel("Velrok_Vehicle");
    ASSERT_TRUE(d.FindLevelByName("Velrok_Vehicle").has_value());
    EXPECT_EQ(d.FindLevelByName("Velrok_Vehicle")->id, l.id);
    EXPECT_EQ(d.LevelName(l), "Velrok_Vehicle");
    EXPECT_THROW(d.AddNewLevel("velrok_vehicle"), HostError); // layer names ignore case in DXF
    EXPECT_THROW(d.AddNewLevel("a/b"), HostError);
    EXPECT_EQ(d.Levels().size(), 2u); // the default level "0" and the new one
    EXPECT_EQ(d.LevelName(d.Levels().front()), "0");
}

TEST(InMemoryDrawing, ByLevelAttributesFollowTheLevel)
{
    InMemoryDrawing d;
    LevelHandle l = d.AddLevel("Road", 3, d.FindLineStyleByName("2"), 4);
    ElementHandle h = AddLine(d, {0, 0, 0}, {1, 0, 0});
    d.SetLevel(h, l);
    d.SetColor(h, kColorByLevel);
    d.SetLineStyle(h, d.LevelLineStyle());
    d.SetLineWeight(h, -1);
    const DrawingElement& e = d.Element(h);
    EXPECT_EQ(d.EffectiveColor(e), 3);
    EXPECT_EQ(d.EffectiveWeight(e), 4);
    EXPECT_EQ(d.LineStyleName(*d.EffectiveLineStyle(e)), "2");
    d.SetColor(h, 5);
    d.SetLineWeight(h, 31);
    d.SetLineStyle(h, d.FindLineStyleByName("7"));
    EXPECT_EQ(d.EffectiveColor(e), 5);
    EXPECT_EQ(d.EffectiveWeight(e), 31);
    EXPECT_EQ(d.LineStyleName(*d.EffectiveLineStyle(e)), "7");
    EXPECT_THROW(d.SetLineWeight(h, 32), HostError);
    EXPECT_THROW(d.SetLevel(h, LevelHandle{999999}), HostError);
}

TEST(InMemoryDrawing, SelectionEnumeratesInOrderAndClears)
{
    InMemoryDrawing d;
    ElementHandle a = AddLine(d, {0, 0, 0}, {1, 0, 0});
    ElementHandle b = AddLine(d, {0, 0, 0}, {2, 0, 0});
    EXPECT_FALSE(d.AnyElementsSelected());
    d.Select(b);
    d.Select(a);
    d.Select(b); // already selected: no second entry
    SelectionEnumerator it = d.GetSelectedElements();
    ASSERT_TRUE(it.MoveNext());
    EXPECT_EQ(it.Current().id, b.id);
    ASSERT_TRUE(it.MoveNext());
    EXPECT_EQ(it.Current().id, a.id);
    EXPECT_FALSE(it.MoveNext());
    d.UnselectAllElements();
    EXPECT_FALSE(d.AnyElementsSelected());
    EXPECT_FALSE(d.GetSelectedElements().MoveNext());
}

TEST(InMemoryDrawing, NamedGroupsHoldModelElements)
{
    InMemoryDrawing d;
    NamedGroupHandle g = d.AddNewNamedGroup("123201231120000");
    ElementHandle pending = d.CreateLineElement1({{0, 0, 0}, {1, 1, 0}});
    EXPECT_THROW(d.AddGroupMember(g, pending), HostError);
    d.AddElement(pending);
    ElementHandle other = AddLine(d, {0, 0, 0}, {5, 0, 0});
    d.AddGroupMember(g, pending);
    d.AddGroupMember(g, other);
    d.CommitGroup(g);
    ASSERT_EQ(d.Groups().size(), 1u);
    EXPECT_EQ(d.Group(g).members.size(), 2u);
    EXPECT_EQ(d.Group(g).commits, 1);
    d.DeleteElement(pending);
    EXPECT_EQ(d.Group(g).members.size(), 1u);
    EXPECT_EQ(d.Group(g).members.front().Value(), d.ID(other).Value());
}

TEST(InMemoryDrawing, ChangesBumpRevisionAndNotifyObserver)
{
    InMemoryDrawing d;
    int notified = 0;
    d.SetChangeObserver([&] { ++notified; });
    const uint64_t before = d.Revision();
    ElementHandle h = AddLine(d, {0, 0, 0}, {1, 0, 0});
    d.SetColor(h, 2);
    EXPECT_EQ(d.Revision(), before + 2);
    EXPECT_EQ(notified, 2);
}

TEST(InMemoryDrawing, SelectingIsNoEditButEveryModelChangeIs)
{
    InMemoryDrawing d;
    ElementHandle h = AddLine(d, {0, 0, 0}, {1, 0, 0});
    const uint64_t edited = d.EditRevision();
    const uint64_t revision = d.Revision();
    d.Select(h);
    d.UnselectAllElements();
    EXPECT_EQ(d.EditRevision(), edited);   // nothing a saved file holds has changed
    EXPECT_EQ(d.Revision(), revision + 2); // but the view still repaints the selection
    d.SetLineWeight(h, 3);
    EXPECT_EQ(d.EditRevision(), edited + 1);
    d.DeleteElement(h);
    EXPECT_EQ(d.EditRevision(), edited + 2);
}

TEST(InMemoryDrawing, EllipseAndTextFromHostCalls)
{
    InMemoryDrawing d;
    ElementHandle e = d.MakeEllipse({1, 2, 0}, 0.1, 0.1, d.DefaultRotation(), -1);
    d.AddElement(e);
    EXPECT_NEAR(d.Length(e), 2 * 3.141592653589793 * 0.1, 1e-9);
    // A 90 degree rotation turns the text and puts the longer radius along y.
    const Rotation quarter{0, -1, 0, 1, 0, 0, 0, 0, 1};
    ElementHandle t = d.MakeText("12,2", {3, 4, 0}, quarter);
    EXPECT_NEAR(d.Element(t).extras->text.rotation, 3.141592653589793 / 2, 1e-15);
    EXPECT_THROW(d.Length(t), HostError);
    ElementHandle tall = d.MakeEllipse({0, 0, 0}, 1.0, 2.0, d.DefaultRotation(), -1);
    EXPECT_NEAR(d.Element(tall).extras->ellipse.majorAxis.y, 2.0, 1e-15);
    EXPECT_NEAR(d.Element(tall).extras->ellipse.ratio, 0.5, 1e-15);
    EXPECT_THROW(d.MakeEllipse({0, 0, 0}, 0.0, 1.0, d.DefaultRotation(), -1), HostError);
}

// Deleting leaves a gap: the element is gone by every way of finding it, the others keep their
// identifiers and order, and a new element never takes a deleted one's identifier.
TEST(InMemoryDrawing, DeletedElementsLeaveTheOthersAndTheirIdentifiersAlone)
{
    InMemoryDrawing d;
    std::vector<ElementHandle> lines;
    for (int i = 0; i < 5; ++i)
        lines.push_back(AddLine(d, {0, 0, 0}, {double(i + 1), 0, 0}));
    const ElementId gone = d.ID(lines[1]);
    NamedGroupHandle group = d.AddNewNamedGroup("run");
    d.AddGroupMember(group, lines[1]);
    d.AddGroupMember(group, lines[2]);
    d.Select(lines[1]);
    d.DeleteElement(lines[1]);
    d.DeleteElement(lines[4]);
    EXPECT_THROW(d.GetElementByID(gone), HostError);
    EXPECT_THROW(d.Element(lines[1]), HostError);
    EXPECT_THROW(d.Length(lines[1]), HostError);
    EXPECT_THROW(d.DeleteElement(lines[1]), HostError);
    EXPECT_FALSE(d.AnyElementsSelected());
    ASSERT_EQ(d.Group(group).members.size(), 1u);
    EXPECT_EQ(d.Group(group).members[0].Value(), d.ID(lines[2]).Value());

    ElementHandle later = AddLine(d, {0, 0, 0}, {0, 9, 0});
    EXPECT_EQ(d.ID(later).Value(), d.ID(lines[3]).Value() + 2); // after the deleted last one
    std::vector<double> lengths;
    for (const DrawingElement* e : d.ModelElements())
        lengths.push_back(d.Length({e->id.Value()}));
    EXPECT_EQ(lengths, (std::vector<double>{1, 3, 4, 9}));
    EXPECT_EQ(d.GetElementByID(d.ID(lines[3])).id, lines[3].id);
    // Identifiers the drawing never gave are unknown, below and above the range alike.
    EXPECT_THROW(d.GetElementByID(ElementId::FromValue(kFirstElementId - 1)), HostError);
    EXPECT_THROW(d.GetElementByID(ElementId::FromValue(d.ID(later).Value() + 1)), HostError);
    EXPECT_THROW(d.Element({0}), HostError);
}

// Handles are looked up without regard to case, in whatever order the file gave them; one that is
// no plain hexadecimal number is found by its text, and a deleted element by neither.
TEST(InMemoryDrawing, ElementsAreFoundByTheirFileHandle)
{
    InMemoryDrawing d;
    auto withHandle = [&](const std::string& handle, double length) {
        DrawingElement e;
        e.kind = ElementKind::Line;
        e.vertices = {{0, 0, 0}, {length, 0, 0}};
        e.extras->dxfHandle = handle;
        return d.AddNewElement(std::move(e));
    };
    const ElementHandle a = withHandle("2F", 1), b = withHandle("1a", 2), c = withHandle("A0", 3);
    const ElementHandle padded = withHandle("00B", 4), odd = withHandle("Tree-7", 5);
    EXPECT_EQ(d.FindElementByDxfHandle("2f")->id, a.id);
    EXPECT_EQ(d.FindElementByDxfHandle("1A")->id, b.id);
    EXPECT_EQ(d.FindElementByDxfHandle("a0")->id, c.id);
    EXPECT_EQ(d.FindElementByDxfHandle("00b")->id, padded.id);
    EXPECT_FALSE(d.FindElementByDxfHandle("B")); // the same number, but not the same handle
    EXPECT_EQ(d.FindElementByDxfHandle("TREE-7")->id, odd.id);
    EXPECT_FALSE(d.FindElementByDxfHandle("30"));
    EXPECT_FALSE(d.FindElementByDxfHandle(""));

    // Lookups between additions and deletions see both.
    const ElementHandle first = withHandle("5", 6);
    EXPECT_EQ(d.FindElementByDxfHandle("5")->id, first.id);
    d.DeleteElement(b);
    d.DeleteElement(odd);
    d.DeleteElement(padded);
    EXPECT_FALSE(d.FindElementByDxfHandle("1A"));
    EXPECT_FALSE(d.FindElementByDxfHandle("Tree-7"));
    EXPECT_FALSE(d.FindElementByDxfHandle("00B"));
    EXPECT_EQ(d.FindElementByDxfHandle("2F")->id, a.id);
    // A handle given twice (a damaged file) names the element made last while it is there.
    const ElementHandle again = withHandle("2f", 7);
    EXPECT_EQ(d.FindElementByDxfHandle("2F")->id, again.id);
    d.DeleteElement(again);
    EXPECT_EQ(d.FindElementByDxfHandle("2F")->id, a.id);
}

// The handle index is made at the first lookup: what was added, given twice or deleted before
// then must count as if it had been indexed all along.
TEST(InMemoryDrawing, HandleLookupsMadeLateSeeEverythingBefore)
{
    InMemoryDrawing d;
    auto withHandle = [&](const std::string& handle) {
        DrawingElement e;
        e.kind = ElementKind::Line;
        e.vertices = {{0, 0, 0}, {1, 0, 0}};
        e.extras->dxfHandle = handle;
        return d.AddNewElement(std::move(e));
    };
    const ElementHandle a = withHandle("3C");
    const ElementHandle twice = withHandle("3c");
    const ElementHandle gone = withHandle("4D"), odd = withHandle("Post-1"), oddGone = withHandle("Post-2");
    d.DeleteElement(gone);
    d.DeleteElement(oddGone);
    EXPECT_EQ(d.FindElementByDxfHandle("3C")->id, twice.id);
    EXPECT_FALSE(d.FindElementByDxfHandle("4D"));
    EXPECT_FALSE(d.FindElementByDxfHandle("POST-2"));
    EXPECT_EQ(d.FindElementByDxfHandle("post-1")->id, odd.id);
    d.DeleteElement(twice);
    EXPECT_EQ(d.FindElementByDxfHandle("3C")->id, a.id);
    const ElementHandle later = withHandle("4D");
    EXPECT_EQ(d.FindElementByDxfHandle("4d")->id, later.id);
}

// No element keeps its curve; the drawing remembers the last one asked for. Asking by turns,
// after edits and after a deletion must always answer for the element named.
TEST(InMemoryDrawing, LengthsAndPointsFollowTheElementAskedFor)
{
    InMemoryDrawing d;
    const ElementHandle line = AddLine(d, {0, 0, 0}, {10, 0, 0});
    ElementHandle arc = d.MakeEllipse({0, 0, 0}, 2.0, 2.0, d.DefaultRotation(), -1);
    d.AddElement(arc);
    const double turn = 2 * 3.141592653589793 * 2.0;
    for (int round = 0; round < 3; ++round) {
        EXPECT_DOUBLE_EQ(d.Length(line), 10.0);
        EXPECT_NEAR(d.Length(arc), turn, 1e-9);
        EXPECT_DOUBLE_EQ(d.PointAtDistance(line, 4.0).x, 4.0);
        EXPECT_NEAR(d.PointAtDistance(arc, 0.0).x, 2.0, 1e-12);
    }
    d.SetColor(line, 3);
    d.SetLevel(line, d.AddNewLevel("Kerb"));
    EXPECT_DOUBLE_EQ(d.PointAtDistance(line, 25.0).x, 10.0);
    d.DeleteElement(line);
    EXPECT_THROW(d.Length(line), HostError);
    EXPECT_THROW(d.PointAtDistance(line, 1.0), HostError);
    const ElementHandle next = AddLine(d, {0, 0, 0}, {0, 3, 0});
    EXPECT_DOUBLE_EQ(d.Length(next), 3.0);
    EXPECT_NEAR(d.Length(arc), turn, 1e-9);
    // The same answers as a curve made from the element itself.
    EXPECT_DOUBLE_EQ(CurveOf(d.Element(next)).Length(), 3.0);
    EXPECT_TRUE(CurveOf(d.Element(d.MakeText("x", {0, 0, 0}, d.DefaultRotation()))).IsEmpty());
}

// The rarely used parts of an element read as their defaults until set, and copies own theirs.
TEST(InMemoryDrawing, RarePartsOfAnElementAreCopiedWithIt)
{
    DrawingElement e;
    EXPECT_FALSE(e.extras.IsSet());
    EXPECT_EQ(std::as_const(e).extras->text.height, kDefaultTextHeight);
    EXPECT_FALSE(e.extras.IsSet()); // reading did not set it
    e.extras->dxfKind = "HATCH";
    e.extras->spline.degree = 2;
    e.extras->spline.controlPoints = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}};
    DrawingElement copy = e;
    copy.extras->spline.controlPoints.push_back({3, 3, 0});
    copy.extras->dxfKind = "INSERT";
    EXPECT_EQ(e.extras->spline.controlPoints.size(), 3u);
    EXPECT_EQ(copy.extras->spline.controlPoints.size(), 4u);
    EXPECT_EQ(e.extras->dxfKind, "HATCH");
    EXPECT_EQ(copy.extras->dxfKind, "INSERT");
    copy = e;
    EXPECT_EQ(copy.extras->spline.controlPoints.size(), 3u);
    const DrawingElement moved = std::move(copy);
    EXPECT_EQ(moved.extras->spline.degree, 2);
}

} // namespace
} // namespace velrok::host
