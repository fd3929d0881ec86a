// Writing the drawing to DXF: ezdxf audits it clean, and our reader gets the same drawing back.
#include "host/DxfReader.h"
#include "host/DxfWriter.h"
#include "host/HostColors.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace velrok::host {
namespace {

constexpr double kCoordTolerance = 1e-9;

// A drawing as a sweep run leaves it: program levels, line strings at z = -0.1 in a named group,
// a coupling circle, a marker text, plus the path kinds a designer draws.
std::shared_ptr<InMemoryDrawing> SweepLikeDrawing()
{
    auto d = std::make_shared<InMemoryDrawing>();
    LevelHandle vehicle = d->AddNewLevel("Velrok_Vehicle");
    LevelHandle sweep = d->AddLevel("Velrok_LeftSweep", 1, d->FindLineStyleByName("3"), 7);
    LevelHandle notes = d->AddLevel("Velrok_ErrNotes", 5, d->FindLineStyleByName("1"), 2);
    d->RewriteLevels();
    NamedGroupHandle run = d->AddNewNamedGroup("517201208143000");
    NamedGroupHandle other = d->AddNewNamedGroup("12201208150000");
    auto add = [&](ElementHandle h, LevelHandle level, int color, const char* style, int weight,
                   NamedGroupHandle g) {
        d->SetColor(h, color);
        d->SetLevel(h, level);
        d->SetLineStyle(h, style ? d->FindLineStyleByName(style) : d->LevelLineStyle());
        d->SetLineWeight(h, weight);
        d->AddElement(h);
        d->AddGroupMember(g, h);
        return h;
    };
    add(d->CreateLineElement1({{0.1, 0.2, -0.1}, {10.123456789012345, -3.3, -0.1}, {1e6 / 3, 7, -0.1}}),
        sweep, 1, "2", 9, run);
    add(d->CreateLineElement1({{0, 0, 0}, {1, 2, 3}, {4, 5, 6}}), vehicle, -1, nullptr, -1, run);
    add(d->MakeEllipse({5, 5, 0}, 0.1, 0.1, d->DefaultRotation(), -1), vehicle, 0, "0", 0, run);
    add(d->MakeText("12,2 Propri\xc3\xa9t\xc3\xa9", {2.5, -1.25, 0}, {0, -1, 0, 1, 0, 0, 0, 0, 1}), notes, 3,
        nullptr, -1, run);
    add(d->CreateLineElement1({{-1, -1, 0}, {-2, -2, 0}}), notes, 4, "7", 31, other);
    d->CommitGroup(run);
    d->CommitGroup(other);

    DrawingElement line;
    line.kind = ElementKind::Line;
    line.vertices = {{1, 1, 0}, {2, 3, 0}};
    d->AddNewElement(line);
    DrawingElement arc;
    arc.kind = ElementKind::Arc;
    arc.arc = {{3, 4, 0}, 2.5, 0.25, 2.0};
    arc.color = 5;
    d->AddNewElement(arc);
    DrawingElement circle;
    circle.kind = ElementKind::Circle;
    circle.arc = {{-3, 4, 1}, 0.75, 0.0, 0.0};
    d->AddNewElement(circle);
    DrawingElement poly;
    poly.kind = ElementKind::Polyline;
    poly.vertices = {{0, 0, 2}, {10, 0, 2}, {10, 5, 2}};
    poly.extras->bulges = {0.5, -0.25, 0.0};
    poly.closed = true;
    d->AddNewElement(poly);
    DrawingElement nurbs;
    nurbs.kind = ElementKind::Spline;
    nurbs.extras->spline.degree = 2;
    nurbs.extras->spline.controlPoints = {{3, 0, 0}, {3, 3, 0}, {0, 3, 0}};
    nurbs.extras->spline.weights = {1, std::sqrt(0.5), 1};
    nurbs.extras->spline.knots = {0, 0, 0, 1, 1, 1};
    d->AddNewElement(nurbs);
    DrawingElement cubic;
    cubic.kind = ElementKind::Spline;
    cubic.extras->spline.degree = 3;
    cubic.extras->spline.controlPoints = {{0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {4, 0, 0}, {6, -1, 0}};
    cubic.extras->spline.knots = {0, 0, 0, 0, 0.5, 1, 1, 1, 1};
    d->AddNewElement(cubic);
    DrawingElement ellipse;
    ellipse.kind = ElementKind::Ellipse;
    ellipse.extras->ellipse.centre = {7, 7, 0};
    ellipse.extras->ellipse.majorAxis = {0, 3, 0};
    ellipse.extras->ellipse.ratio = 0.25;
    ellipse.extras->ellipse.startParam = 0.5;
    ellipse.extras->ellipse.endParam = 4.0;
    d->AddNewElement(ellipse);
    return d;
}

void ExpectPointsNear(const std::vector<Point3d>& a, const std::vector<Point3d>& b, const std::string& what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_NEAR(a[i].x, b[i].x, kCoordTolerance) << what << " point " << i;
        EXPECT_NEAR(a[i].y, b[i].y, kCoordTolerance) << what << " point " << i;
        EXPECT_NEAR(a[i].z, b[i].z, kCoordTolerance) << what << " point " << i;
    }
}

std::string StyleOf(const InMemoryDrawing& d, std::optional<LineStyleHandle> s)
{
    return s ? d.LineStyleName(*s) : "ByLevel";
}

TEST(DxfRoundTrip, ReadsBackSameLevelsElementsAndGroups)
{
    auto original = SweepLikeDrawing();
    DxfImport back = ReadDxfText(WriteDxfText(*original), "roundtrip.dxf");
    ASSERT_TRUE(back.ok()) << back.error;
    const InMemoryDrawing& d = *back.drawing;
    EXPECT_EQ(back.skippedEntities, 0);

    ASSERT_EQ(d.LevelTable().size(), original->LevelTable().size());
    for (size_t i = 0; i < d.LevelTable().size(); ++i) {
        const DrawingLevel &a = original->LevelTable()[i], &b = d.LevelTable()[i];
        EXPECT_EQ(b.name, a.name);
        EXPECT_EQ(b.color, a.color) << a.name;
        EXPECT_EQ(StyleOf(d, b.lineStyle), StyleOf(*original, a.lineStyle)) << a.name;
        EXPECT_EQ(WeightToLineweight(b.weight), WeightToLineweight(a.weight)) << a.name;
    }

    const auto before = original->ModelElements();
    const auto after = d.ModelElements();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        const DrawingElement &a = *before[i], &b = *after[i];
        const std::string what = "element " + std::to_string(i);
        EXPECT_EQ(static_cast<int>(b.kind), static_cast<int>(a.kind)) << what;
        EXPECT_EQ(d.LevelName(b.level), original->LevelName(a.level)) << what;
        EXPECT_EQ(b.color, a.color) << what;
        EXPECT_EQ(StyleOf(d, b.lineStyle), StyleOf(*original, a.lineStyle)) << what;
        EXPECT_EQ(WeightToLineweight(b.weight), WeightToLineweight(a.weight)) << what;
        ExpectPointsNear(b.vertices, a.vertices, what);
        EXPECT_EQ(b.closed, a.closed) << what;
        ASSERT_EQ(b.extras->bulges.size(), a.extras->bulges.size()) << what;
        for (size_t k = 0; k < a.extras->bulges.size(); ++k)
            EXPECT_NEAR(b.extras->bulges[k], a.extras->bulges[k], kCoordTolerance) << what;
        ExpectPointsNear(b.extras->spline.controlPoints, a.extras->spline.controlPoints, what);
        EXPECT_EQ(b.extras->spline.knots, a.extras->spline.knots) << what;
        EXPECT_EQ(b.extras->spline.weights.size(), a.extras->spline.weights.size()) << what;
        ExpectPointsNear({b.arc->centre, b.extras->ellipse.centre, b.extras->ellipse.majorAxis, b.extras->text.origin},
                         {a.arc->centre, a.extras->ellipse.centre, a.extras->ellipse.majorAxis, a.extras->text.origin}, what);
        EXPECT_NEAR(b.arc->radius, a.arc->radius, kCoordTolerance) << what;
        EXPECT_NEAR(b.extras->ellipse.ratio, a.extras->ellipse.ratio, kCoordTolerance) << what;
        EXPECT_NEAR(b.extras->text.rotation, a.extras->text.rotation, kCoordTolerance) << what;
        EXPECT_EQ(b.extras->text.text, a.extras->text.text) << what;
        // The whole curve agrees, not just its defining numbers.
        EXPECT_NEAR(CurveOf(b).Length(), CurveOf(a).Length(), kCoordTolerance) << what;
        const Point3d pa = CurveOf(a).PointAtDistance(CurveOf(a).Length() / 3),
                      pb = CurveOf(b).PointAtDistance(CurveOf(b).Length() / 3);
        EXPECT_NEAR(pb.x, pa.x, kCoordTolerance) << what;
        EXPECT_NEAR(pb.y, pa.y, kCoordTolerance) << what;
    }

    ASSERT_EQ(d.Groups().size(), 2u);
    for (size_t g = 0; g < 2; ++g) {
        const DrawingGroup &a = original->Groups()[g], &b = d.Groups()[g];
        EXPECT_EQ(b.name, a.name);
        ASSERT_EQ(b.members.size(), a.members.size()) << a.name;
        // Members are the elements at the same positions in drawing order.
        for (size_t m = 0; m < a.members.size(); ++m) {
            auto pos = [](const std::vector<const DrawingElement*>& all, ElementId id) {
                for (size_t i = 0; i < all.size(); ++i)
                    if (all[i]->id == id)
                        return i;
                return all.size();
            };
            EXPECT_EQ(pos(after, b.members[m]), pos(before, a.members[m])) << a.name;
        }
    }
}

std::string RunAudit(const std::string& file, int& status)
{
    const std::string command =
        "/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/dxf_audit.py '" + file + "' 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return "cannot run " + command;
    }
    std::array<char, 512> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe))
        output += buffer.data();
    status = pclose(pipe);
    return output;
}

TEST(DxfRoundTrip, EzdxfAuditsOurFileWithoutErrors)
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "no /usr/bin/python3 with ezdxf";
    const std::string file = VELROK_BINARY_DIR "/tests/host_audit_roundtrip.dxf";
    std::string error;
    ASSERT_TRUE(WriteDxfFile(*SweepLikeDrawing(), file, error)) << error;
    int status = 0;
    const std::string output = RunAudit(file, status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find(": 0 errors"), std::string::npos) << output;
    // ezdxf sees every element and both groups.
    EXPECT_NE(output.find("12 entities, 2 groups"), std::string::npos) << output;
}

TEST(DxfRoundTrip, ImportedRoadWrittenAgainAuditsCleanAndKeepsItsPath)
{
    DxfImport road = ReadDxfFile(VELROK_TEST_DATA_DIR "/dxf/road.dxf");
    ASSERT_TRUE(road.ok()) << road.error;
    const std::string file = VELROK_BINARY_DIR "/tests/host_audit_road.dxf";
    std::string error;
    ASSERT_TRUE(WriteDxfFile(*road.drawing, file, error)) << error;
    DxfImport back = ReadDxfFile(file);
    ASSERT_TRUE(back.ok()) << back.error;
    const auto path = PathElementsOnLevel(*back.drawing, "PATH");
    ASSERT_FALSE(path.empty());
    EXPECT_NEAR(back.drawing->Length(path.front()), 60 + 6 * 3.141592653589793, 1e-9);
    int status = 0;
    const std::string output = RunAudit(file, status);
    EXPECT_EQ(status, 0) << output;
}

TEST(DxfRoundTrip, UnwritablePathIsReported)
{
    InMemoryDrawing d;
    std::string error;
    EXPECT_FALSE(WriteDxfFile(d, "/nonexistent-dir/x.dxf", error));
    EXPECT_EQ(error, "Cannot write DXF file \"/nonexistent-dir/x.dxf\"");
}

struct ColourCase {
    int host;
    int aci;
};
class HostColourToAci : public ::testing::TestWithParam<ColourCase> {};
TEST_P(HostColourToAci, MapsAndMapsBack)
{
    EXPECT_EQ(HostColorToAci(GetParam().host), GetParam().aci);
    if (GetParam().aci != kAciByLayer) {
        EXPECT_EQ(AciToHostColor(GetParam().aci), GetParam().host);
    }
}
INSTANTIATE_TEST_SUITE_P(Table, HostColourToAci,
                         ::testing::Values(ColourCase{0, 7}, ColourCase{1, 5}, ColourCase{2, 3},
                                           ColourCase{3, 1}, ColourCase{4, 2}, ColourCase{5, 6},
                                           ColourCase{7, 4}, ColourCase{-1, 256}, ColourCase{6, 256},
                                           ColourCase{256, 256}, ColourCase{42, 256}));

TEST(HostColours, WeightsNeverDecreaseAndSpanTheDxfRange)
{
    EXPECT_EQ(WeightToLineweight(-1), -1);
    EXPECT_EQ(WeightToLineweight(0), 0);
    EXPECT_EQ(WeightToLineweight(31), 211);
    for (int w = 1; w <= 31; ++w) {
        EXPECT_GE(WeightToLineweight(w), WeightToLineweight(w - 1)) << w;
        // Reading back gives a weight written the same way.
        EXPECT_EQ(WeightToLineweight(LineweightToWeight(WeightToLineweight(w))), WeightToLineweight(w)) << w;
    }
    EXPECT_EQ(LineweightToWeight(-3), -1);
}

} // namespace
} // namespace velrok::host
