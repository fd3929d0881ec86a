// Reading DXF drawn by another program, and refusing broken files with a clear message.
#include "host/DxfReader.h"

#include "host/DxfDocument.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>

namespace velrok::host {
namespace {

constexpr double kPi = std::numbers::pi;
const std::string kRoad = VELROK_TEST_DATA_DIR "/dxf/road.dxf";

class RoadImport : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { road = new DxfImport(ReadDxfFile(kRoad)); }
    static void TearDownTestSuite() { delete road; }

    const InMemoryDrawing& D() const { return *road->drawing; }
    const DrawingElement& ByHandle(const char* h) const
    {
        auto e = D().FindElementByDxfHandle(h);
        if (!e)
            throw std::runtime_error(std::string("no entity with handle ") + h);
        return D().Element(*e);
    }
    static DxfImport* road;
};
DxfImport* RoadImport::road = nullptr;

TEST_F(RoadImport, LayersBecomeLevelsWithColoursAndStyles)
{
    ASSERT_TRUE(road->ok()) << road->error;
    std::vector<std::string> names;
    for (const DrawingLevel& l : D().LevelTable())
        names.push_back(l.name);
    EXPECT_EQ(names, (std::vector<std::string>{"0", "Defpoints", "PATH", "KERB"}));
    const DrawingLevel& path = D().Level(*D().FindLevelByName("PATH"));
    EXPECT_EQ(path.color, 3); // AutoCAD red is host red
    EXPECT_EQ(D().LineStyleName(*path.lineStyle), "DASHED");
    const DrawingLevel& kerb = D().Level(*D().FindLevelByName("KERB"));
    EXPECT_EQ(kerb.dxfColor, 8); // grey has no host colour; kept for writing back
}

TEST_F(RoadImport, SupportedEntitiesKeptOthersCounted)
{
    ASSERT_TRUE(road->ok()) << road->error;
    // Nine path and text elements; the point, hatch, block reference and multi-line note are kept
    // in the document and either shown by their pieces or counted as kept but not shown.
    int paths = 0;
    for (const DrawingElement* e : D().ModelElements())
        paths += e->kind == ElementKind::Shown ? 0 : 1;
    EXPECT_EQ(paths, 9);
    EXPECT_EQ(road->shownEntities + road->keptNotShown, 4);
    EXPECT_EQ(road->skippedEntities, road->keptNotShown);
    EXPECT_EQ(D().Document()->Entities().size(), 13u);
    EXPECT_EQ(D().Caption(), kRoad);
}

TEST_F(RoadImport, BulgedPolylineIsAPathWithAnalyticLength)
{
    ASSERT_TRUE(road->ok()) << road->error;
    const DrawingElement& e = ByHandle("31");
    EXPECT_EQ(static_cast<int>(e.kind), static_cast<int>(ElementKind::Polyline));
    EXPECT_NEAR(CurveOf(e).Length(), 60 + 6 * kPi, 1e-9);
    // Halfway round the radius-12 bend centred at (40, 12).
    const Point3d p = CurveOf(e).PointAtDistance(40 + 3 * kPi);
    EXPECT_NEAR(p.x, 40 + 12 * std::sin(kPi / 4), 1e-9);
    EXPECT_NEAR(p.y, 12 - 12 * std::cos(kPi / 4), 1e-9);
    const auto onPath = PathElementsOnLevel(D(), "PATH");
    ASSERT_EQ(onPath.size(), 3u); // polyline, spline, old-style polyline
    EXPECT_EQ(onPath.front().id, D().FindElementByDxfHandle("31")->id);
    EXPECT_TRUE(PathElementsOnLevel(D(), "NO_SUCH_LAYER").empty());
}

TEST_F(RoadImport, ArcsCirclesAndMirroredArc)
{
    ASSERT_TRUE(road->ok()) << road->error;
    const DrawingElement& arc = ByHandle("33");
    EXPECT_NEAR(CurveOf(arc).Length(), 2.5 * kPi, 1e-12);
    // Drawn with its extrusion pointing down: in plan the centre is (-20, 10), 90 to 180 degrees.
    const DrawingElement& mirrored = ByHandle("34");
    const Point3d start = CurveOf(mirrored).PointAtDistance(0);
    const Point3d end = CurveOf(mirrored).PointAtDistance(100);
    EXPECT_NEAR(start.x, -20, 1e-12);
    EXPECT_NEAR(start.y, 15, 1e-12);
    EXPECT_NEAR(end.x, -25, 1e-12);
    EXPECT_NEAR(end.y, 10, 1e-12);
    const DrawingElement& circle = ByHandle("35");
    EXPECT_NEAR(CurveOf(circle).Length(), 6 * kPi, 1e-12);
    EXPECT_EQ(circle.color, 1);         // AutoCAD blue
    EXPECT_EQ(ByHandle("32").color, 2); // AutoCAD green
}

TEST_F(RoadImport, FitPointSplineRunsThroughItsEnds)
{
    ASSERT_TRUE(road->ok()) << road->error;
    const DrawingElement& s = ByHandle("36");
    EXPECT_EQ(s.extras->spline.fitPoints.size(), 5u);
    const Point3d a = CurveOf(s).PointAtDistance(0), b = CurveOf(s).PointAtDistance(1e9);
    EXPECT_NEAR(a.x, 0, 1e-9);
    EXPECT_NEAR(a.y, 50, 1e-9);
    EXPECT_NEAR(b.x, 40, 1e-9);
    EXPECT_NEAR(b.y, 50, 1e-9);
    EXPECT_GT(CurveOf(s).Length(), 40.0);
}

TEST_F(RoadImport, TextsEllipseAndOldPolyline)
{
    ASSERT_TRUE(road->ok()) << road->error;
    const DrawingElement& t = ByHandle("38");
    EXPECT_EQ(t.extras->text.text, "Road 1");
    EXPECT_NEAR(t.extras->text.rotation, kPi / 6, 1e-12);
    EXPECT_NEAR(t.extras->text.height, 2.5, 1e-12);
    // The multi-line note is no text element of the drawing; it is shown by its pieces, if at all.
    if (auto note = D().FindElementByDxfHandle("39")) {
        EXPECT_EQ(D().Element(*note).extras->dxfKind, "MTEXT");
    }
    EXPECT_NEAR(ByHandle("37").extras->ellipse.ratio, 0.5, 1e-12);
    const DrawingElement& old = ByHandle("3A");
    EXPECT_NEAR(CurveOf(old).Length(), 5 * kPi + 10, 1e-9);
}

TEST_F(RoadImport, GroupKeepsItsMembers)
{
    ASSERT_TRUE(road->ok()) << road->error;
    ASSERT_EQ(D().Groups().size(), 1u);
    const DrawingGroup& g = D().Groups().front();
    EXPECT_EQ(g.name, "KERBS");
    ASSERT_EQ(g.members.size(), 2u);
    EXPECT_EQ(g.members[0].Value(), ByHandle("32").id.Value());
    EXPECT_EQ(g.members[1].Value(), ByHandle("35").id.Value());
}

struct BrokenCase {
    const char* file;
    const char* reason;
};

class BrokenDxf : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenDxf, RefusedWithClearMessageAndNoDrawing)
{
    const std::string path = VELROK_TEST_DATA_DIR "/dxf/broken/" + std::string(GetParam().file);
    const DxfImport result = ReadDxfFile(path);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.drawing, nullptr);
    EXPECT_EQ(result.error.rfind("Cannot read DXF file \"" + path + "\": ", 0), 0u) << result.error;
    EXPECT_NE(result.error.find(GetParam().reason), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, BrokenDxf,
    ::testing::Values(BrokenCase{"truncated.dxf", "truncated"},
                      BrokenCase{"truncated_mid_pair.dxf", "truncated"},
                      BrokenCase{"bad_group_code.dxf", "\"LINE?\" is not a DXF group code"},
                      BrokenCase{"huge_coordinate.dxf", "coordinate 1e300 is out of range"},
                      BrokenCase{"nan_coordinate.dxf", "\"nan\" is not finite"},
                      BrokenCase{"text_in_number.dxf", "\"twelve\" is not a number"},
                      BrokenCase{"binary.dxf", "binary DXF is not supported"},
                      BrokenCase{"empty.dxf", "the file is empty"},
                      BrokenCase{"not_dxf.dxf", "this is not a DXF drawing"},
                      BrokenCase{"unclosed_section.dxf", "section TABLES is not closed"},
                      BrokenCase{"no_such_file.dxf", "the file cannot be opened"}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(DxfText, MinimalEntitiesOnlyFileWithCrLf)
{
    const char* text =
        "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n8\r\nROAD\r\n10\r\n0\r\n20\r\n0\r\n30\r\n0\r\n"
        "11\r\n3\r\n21\r\n4\r\n31\r\n0\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
    const DxfImport r = ReadDxfText(text, "r12.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    ASSERT_EQ(r.drawing->ModelElements().size(), 1u);
    EXPECT_NEAR(CurveOf(*r.drawing->ModelElements().front()).Length(), 5.0, 1e-15);
    EXPECT_TRUE(r.drawing->FindLevelByName("ROAD").has_value()); // layer made on first use
}

TEST(DxfText, DegenerateEntityIsSkippedNotFatal)
{
    const char* text = "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n8\n0\n10\n1\n20\n1\n30\n0\n40\n0\n"
                       "0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n0\nENDSEC\n0\nEOF\n";
    const DxfImport r = ReadDxfText(text, "zero.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.drawing->ModelElements().size(), 1u);
    EXPECT_EQ(r.skippedEntities, 1);
}

} // namespace
} // namespace velrok::host

namespace velrok::host {
namespace {

TEST(DxfText, NumbersBeyondDoubleRangeAreRefusedTinyOnesAccepted)
{
    const std::string head = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n";
    const std::string tail = "\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n0\nENDSEC\n0\nEOF\n";
    const DxfImport huge = ReadDxfText(head + "1e400" + tail, "huge.dxf");
    EXPECT_FALSE(huge.ok());
    EXPECT_NE(huge.error.find("number 1e400 is out of range"), std::string::npos) << huge.error;
    const DxfImport tiny = ReadDxfText(head + "+1e-400" + tail, "tiny.dxf");
    ASSERT_TRUE(tiny.ok()) << tiny.error;
    EXPECT_NEAR(CurveOf(*tiny.drawing->ModelElements().front()).Length(), 1.0, 1e-15);
}

} // namespace
} // namespace velrok::host

namespace velrok::host {
namespace {

std::string TextFile(const std::string& version, const std::string& text)
{
    return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\n" + version +
           "\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n" + text + "\n10\n0\n20\n0\n30\n0\n40\n1\n1\n" +
           text + "\n0\nENDSEC\n0\nEOF\n";
}

struct EncodingCase {
    const char* name;
    const char* version;
    const char* written;
    const char* utf8;
};
class DxfTextEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(DxfTextEncoding, TextsAndLayerNamesBecomeUtf8)
{
    const DxfImport r = ReadDxfText(TextFile(GetParam().version, GetParam().written), "enc.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.drawing->ModelElements().front()->extras->text.text, GetParam().utf8);
    EXPECT_TRUE(r.drawing->FindLevelByName(GetParam().utf8).has_value());
}

INSTANTIATE_TEST_SUITE_P(Versions, DxfTextEncoding,
                         ::testing::Values(EncodingCase{"R2000CodePage", "AC1015", "Propri\xe9t\xe9 \x80",
                                                        "Propri\xc3\xa9t\xc3\xa9 \xe2\x82\xac"},
                                           EncodingCase{"R2000Escape", "AC1015", "Propri\\U+00E9t\\U+00E9",
                                                        "Propri\xc3\xa9t\xc3\xa9"},
                                           EncodingCase{"R2010Utf8", "AC1024", "Propri\xc3\xa9t\xc3\xa9",
                                                        "Propri\xc3\xa9t\xc3\xa9"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace velrok::host

namespace velrok::host {
namespace {

std::string RoadText()
{
    std::ifstream in(kRoad, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Cut anywhere, the road drawing is refused as truncated and never half read.
TEST(DxfDamage, EveryTruncationIsRefused)
{
    const std::string text = RoadText();
    ASSERT_GT(text.size(), 10000u);
    int refused = 0, cuts = 0;
    for (size_t cut = 1; cut + 8 < text.size(); cut += 211, ++cuts) {
        const DxfImport r = ReadDxfText(std::string_view(text).substr(0, cut), "cut.dxf");
        EXPECT_FALSE(r.ok()) << "cut at " << cut;
        refused += r.ok() ? 0 : 1;
    }
    EXPECT_EQ(refused, cuts);
}

// Any single line replaced by junk: either a clear refusal or a drawing, never a crash.
TEST(DxfDamage, JunkLinesGiveRefusalOrDrawing)
{
    const std::string text = RoadText();
    std::vector<size_t> starts{0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            starts.push_back(i + 1);
    const char* junk[] = {"", "-1", "99999", "1e999", "SECTION", "EOF", "0", "nan", "\t", "ENDSEC", "-0x10"};
    std::mt19937 random(20261208);
    int refused = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const size_t line = random() % (starts.size() - 1);
        const size_t end = text.find('\n', starts[line]);
        std::string damaged =
            text.substr(0, starts[line]) + junk[random() % std::size(junk)] + text.substr(end);
        const DxfImport r = ReadDxfText(damaged, "junk.dxf");
        if (r.ok())
            EXPECT_TRUE(r.error.empty());
        else {
            ++refused;
            EXPECT_EQ(r.error.rfind("Cannot read DXF file \"junk.dxf\": ", 0), 0u) << r.error;
        }
    }
    EXPECT_GT(refused, 0);
}

} // namespace
} // namespace velrok::host

namespace velrok::host {
namespace {

TEST(DxfText, VertexCountBeyondTheFileIsRefused)
{
    const std::string text =
        "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\n0\n90\n2000000000\n70\n0\n10\n0\n20\n0\n"
        "10\n1\n20\n0\n0\nENDSEC\n0\nEOF\n";
    const DxfImport r = ReadDxfText(text, "count.dxf");
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.error.find("LWPOLYLINE count 2000000000 does not fit the file"), std::string::npos)
        << r.error;
    std::string fine = text;
    fine.replace(fine.find("2000000000"), 10, "2");
    const DxfImport ok = ReadDxfText(fine, "count.dxf");
    ASSERT_TRUE(ok.ok()) << ok.error;
    EXPECT_NEAR(CurveOf(*ok.drawing->ModelElements().front()).Length(), 1.0, 1e-15);
}

// Elements read from a file keep no copy of their handle: it is read from the document, found
// without regard to case, and an entity without one (R12) is named by its identifier instead.
TEST(DxfHandles, ElementsAreKnownByTheirEntityHandles)
{
    const std::string text = "0\nSECTION\n2\nENTITIES\n"
                             "0\nLINE\n5\n1a\n8\nKERB\n10\n0\n20\n0\n11\n4\n21\n0\n"
                             "0\nLINE\n8\nKERB\n10\n0\n20\n1\n11\n5\n21\n1\n"
                             "0\nLINE\n5\n  2B\n8\nKERB\n10\n0\n20\n2\n11\n6\n21\n2\n"
                             "0\nENDSEC\n0\nEOF\n";
    const DxfImport r = ReadDxfText(text, "handles.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    const InMemoryDrawing& d = *r.drawing;
    const std::vector<const DrawingElement*> elements = d.ModelElements();
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(d.DxfHandle(*elements[0]), "1a");
    EXPECT_EQ(d.DxfHandle(*elements[1]), "");
    EXPECT_EQ(d.DxfHandle(*elements[2]), "2B"); // blanks around a value are not part of it
    EXPECT_FALSE(elements[0]->extras.IsSet()); // a line read from a file keeps nothing out of line
    EXPECT_EQ(d.FindElementByDxfHandle("1A")->id, elements[0]->id.Value());
    EXPECT_EQ(d.FindElementByDxfHandle("2b")->id, elements[2]->id.Value());
    EXPECT_DOUBLE_EQ(d.Length(*d.FindElementByDxfHandle("2B")), 6.0);

    const std::vector<ElementLines> lines = d.LinesOnLevels({"kerb"});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].handle, "1a");
    char id[24];
    std::snprintf(id, sizeof id, "%llX", static_cast<unsigned long long>(elements[1]->id.Value()));
    EXPECT_EQ(lines[1].handle, id);
    EXPECT_EQ(lines[2].handle, "2B");
}

} // namespace
} // namespace velrok::host

namespace velrok::host {
namespace {

// What shown entities may cost is the drawing's base plus a share per entity; a lower base (the
// fuzzers') ends a large block array sooner, and the default shows all of it.
TEST(DxfShown, TheDrawingsShapeBaseBoundsWhatIsShown)
{
    const std::string text = "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nL\n70\n0\n10\n0\n20\n0\n"
                             "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n0\n"
                             "0\nLINE\n8\n0\n10\n0\n20\n1\n11\n1\n21\n1\n0\nENDBLK\n0\nENDSEC\n"
                             "0\nSECTION\n2\nENTITIES\n"
                             "0\nINSERT\n8\n0\n2\nL\n10\n0\n20\n0\n70\n10\n71\n10\n44\n2\n45\n2\n"
                             "0\nENDSEC\n0\nEOF\n";
    auto shownPieces = [&](ShapeAllowance base) {
        const DxfImport r = ReadDxfText(text, "grid.dxf", base);
        EXPECT_TRUE(r.ok()) << r.error;
        size_t pieces = 0;
        if (r.ok())
            for (const DrawingElement* e : r.drawing->ModelElements())
                pieces += e->extras->shown.pieces.size();
        return pieces;
    };
    EXPECT_EQ(shownPieces({}), 200u);
    const size_t small = shownPieces({0, 0});
    EXPECT_LT(small, 200u);
    EXPECT_EQ(small, kDrawingVisitsPerEntity); // one entity's share of entities read in blocks
}

} // namespace
} // namespace velrok::host
