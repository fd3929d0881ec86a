// Attributes the user changes on elements read from a file are saved in the entity's own tags;
// everything else of the entity, and every entity not changed, comes back byte for byte.
#include "host/DxfDocument.h"
#include "host/DxfEntityEdit.h"
#include "host/DxfReader.h"
#include "host/DxfWriter.h"
#include "host/HostColors.h"

#include "TestFiles.h"
#include "TestPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace velrok::host {
namespace {

using testing::Shell;
using testing::Slurp;

const std::string kDir = VELROK_BINARY_DIR "/tests/ezdxf_edits/" + std::to_string(::getpid());
constexpr const char* kNewLevel = "Velrok_Edited";

using Tags = std::vector<std::pair<int, std::string>>;

DxfTagRange MainOf(const DxfDocument& doc, const DxfEntityRef& e)
{
    const auto subs = doc.EntitySubs(e);
    return {e.begin, subs.empty() ? e.end : subs.front().begin};
}

// The tags without the given codes in the common group, to compare what must not change.
Tags Without(const DxfDocument& doc, const DxfEntityRef& e, std::initializer_list<int> codes)
{
    const DxfTagRange group = CommonGroup(doc, MainOf(doc, e));
    Tags tags;
    for (size_t i = e.begin; i < e.end; ++i) {
        const DxfTag t = doc.Tag(i);
        if (i >= group.begin && i < group.end && std::find(codes.begin(), codes.end(), t.code) != codes.end())
            continue;
        tags.emplace_back(t.code, std::string(t.value));
    }
    return tags;
}

// Where a code stands in the entity's common group; -1 when not there.
long PlaceIn(const DxfDocument& doc, const DxfEntityRef& e, int code)
{
    const DxfTagRange group = CommonGroup(doc, MainOf(doc, e));
    for (size_t i = group.begin; i < group.end; ++i)
        if (doc.Tag(i).code == code)
            return static_cast<long>(i - group.begin);
    return -1;
}

const DxfEntityRef* ByHandle(const DxfDocument& doc, std::string_view handle)
{
    for (const DxfEntityRef& e : doc.Entities())
        if (doc.EntityHandle(e) == handle)
            return &e;
    return nullptr;
}

class EditedProject : public ::testing::TestWithParam<const char*> {
  protected:
    static void SetUpTestSuite()
    {
        if (std::filesystem::exists("/usr/bin/python3"))
            Shell("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/make_ezdxf_drawings.py '" + kDir + "'");
    }
    void SetUp() override
    {
        if (!std::filesystem::exists(Input()))
            GTEST_SKIP() << "no ezdxf drawings (python3-ezdxf missing)";
        read = ReadDxfFile(Input());
        ASSERT_TRUE(read.ok()) << read.error;
    }
    std::string Input() const { return kDir + "/project_" + GetParam() + ".dxf"; }
    bool R12() const { return std::string(GetParam()) == "R12"; }
    InMemoryDrawing& D() { return *read.drawing; }
    const DxfDocument& In() { return *D().Document(); }
    // The first model element read from an entity of that type.
    std::optional<ElementHandle> FirstOf(std::string_view type)
    {
        for (const DrawingElement* e : D().ModelElements())
            if (e->dxfEntity >= 0 && In().EntityType(In().Entities()[static_cast<size_t>(e->dxfEntity)]) == type)
                return e->id.Value() ? std::optional(ElementHandle{e->id.Value()}) : std::nullopt;
        return std::nullopt;
    }
    std::string HandleOf(ElementHandle h) { return std::string(D().DxfHandle(D().Element(h))); }
    DxfImport read;
};

TEST_P(EditedProject, ColourAndLevelChangedOnLinePolylinesAreSavedTheRestKept)
{
    std::vector<std::string> types = {"LINE", "POLYLINE"};
    if (!R12())
        types.push_back("LWPOLYLINE");
    const LevelHandle level = D().AddNewLevel(kNewLevel);
    std::map<std::string, std::string> edited; // handle -> type
    for (const std::string& type : types) {
        const auto h = FirstOf(type);
        ASSERT_TRUE(h) << type;
        D().SetColor(*h, 3); // red: colour index 1
        D().SetLevel(*h, level);
        edited[HandleOf(*h)] = type;
    }
    // The circle is red already: set again, it stays as it was.
    const auto circle = FirstOf("CIRCLE");
    ASSERT_TRUE(circle);
    ASSERT_EQ(D().Element(*circle).color, 3);
    D().SetColor(*circle, 3);

    const std::string saved = WriteDxfText(D());
    DxfDocument::Parsed parsed = DxfDocument::Parse(saved);
    ASSERT_TRUE(parsed.document) << parsed.error;
    const DxfDocument& out = *parsed.document;
    ASSERT_EQ(out.Entities().size(), In().Entities().size());
    for (const DxfEntityRef& e : In().Entities()) {
        const std::string_view type = In().EntityType(e), handle = In().EntityHandle(e);
        const DxfEntityRef* o = ByHandle(out, handle);
        ASSERT_NE(o, nullptr) << type << " " << handle;
        if (!edited.count(std::string(handle))) {
            EXPECT_EQ(out.Raw(o->Tags()), In().Raw(e.Tags())) << type << " " << handle;
            continue;
        }
        // Only layer and colour differ; handles, owner, reactors, XDATA and vertices are the same.
        EXPECT_EQ(Without(out, *o, {8, 62}), Without(In(), e, {8, 62})) << type;
        const DxfCommonTags c = CommonTagsOf(out, MainOf(out, *o));
        EXPECT_EQ(c.layer, kNewLevel) << type;
        EXPECT_EQ(c.aci, 1) << type;
        EXPECT_GT(PlaceIn(out, *o, 62), PlaceIn(out, *o, 8)) << type;
        const auto outSubs = out.EntitySubs(*o), inSubs = In().EntitySubs(e);
        ASSERT_EQ(outSubs.size(), inSubs.size());
        for (size_t k = 0; k < inSubs.size(); ++k)
            EXPECT_EQ(out.Raw(outSubs[k]), In().Raw(inSubs[k])) << type << " vertex " << k;
        if (!R12()) {
            // The common group follows the AcDbEntity marker.
            const DxfTagRange group = CommonGroup(out, MainOf(out, *o));
            EXPECT_EQ(out.Tag(group.begin - 1).value, "AcDbEntity") << type;
        }
    }
    ASSERT_NE(out.FindRecord("LAYER", kNewLevel), nullptr);

    // Our reader sees the new attributes.
    const DxfImport back = ReadDxfText(saved, "back.dxf");
    ASSERT_TRUE(back.ok()) << back.error;
    for (const auto& [handle, type] : edited) {
        const auto h = back.drawing->FindElementByDxfHandle(handle);
        ASSERT_TRUE(h) << type;
        EXPECT_EQ(back.drawing->LevelName(back.drawing->Element(*h).level), kNewLevel) << type;
        EXPECT_EQ(back.drawing->Element(*h).color, 3) << type;
    }

    // So does ezdxf, and it finds nothing wrong.
    const std::string file = kDir + "/edited_" + GetParam() + ".dxf";
    std::string error;
    ASSERT_TRUE(WriteDxfFile(D(), file, error)) << error;
    const std::string audit = Shell("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/dxf_audit.py '" + file + "'");
    EXPECT_NE(audit.find(" 0 errors"), std::string::npos) << audit;
    const nlohmann::json dump =
        nlohmann::json::parse(Shell("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/dxf_dump.py '" + file + "'"));
    const nlohmann::json before =
        nlohmann::json::parse(Shell("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/dxf_dump.py '" + Input() + "'"));
    ASSERT_EQ(dump["entities"].size(), before["entities"].size());
    size_t changed = 0;
    for (size_t i = 0; i < dump["entities"].size(); ++i) {
        nlohmann::json now = dump["entities"][i], was = before["entities"][i];
        if (now["layer"] == kNewLevel) {
            ++changed;
            EXPECT_EQ(now["color"], 1) << now["type"];
            now.erase("layer");
            now.erase("color");
            was.erase("layer");
            was.erase("color");
        }
        EXPECT_EQ(now, was) << i;
    }
    EXPECT_EQ(changed, edited.size());
}

TEST_P(EditedProject, SettingTheValuesItHasOrChangingBackSavesTheFileAsItWas)
{
    for (const DrawingElement* e : D().ModelElements()) {
        const ElementHandle h{e->id.Value()};
        const DrawingElement copy = *e;
        if (copy.dxfColor == 0)
            D().SetColor(h, copy.color);
        D().SetLevel(h, copy.level);
        D().SetLineStyle(h, copy.lineStyle);
        D().SetLineWeight(h, copy.weight);
        EXPECT_EQ(D().Element(h).editedAttributes, 0) << D().DxfHandle(*e);
    }
    EXPECT_EQ(WriteDxfText(D()), Slurp(Input()));

    // Changed and changed back: the writer finds the file's values again.
    const DxfImport again = ReadDxfFile(Input());
    ASSERT_TRUE(again.ok());
    InMemoryDrawing& d2 = *again.drawing;
    const LevelHandle trees = *d2.FindLevelByName("TREES"), kerb = *d2.FindLevelByName("KERB");
    for (const DrawingElement* e : d2.ModelElements()) {
        const ElementHandle h{e->id.Value()};
        const DrawingElement was = *e;
        if (was.dxfColor != 0)
            continue;
        d2.SetColor(h, 4);
        d2.SetLevel(h, was.level == trees ? kerb : trees);
        d2.SetLineWeight(h, 12);
        d2.SetColor(h, was.color);
        d2.SetLevel(h, was.level);
        d2.SetLineWeight(h, was.weight);
        EXPECT_NE(e->editedAttributes, 0);
    }
    EXPECT_EQ(WriteDxfText(d2), Slurp(Input()));
}

TEST_P(EditedProject, LineTypeAndWeightAreInsertedAndDroppedWhenByLayer)
{
    const auto line = FirstOf("LINE");
    const auto circle = FirstOf("CIRCLE");
    ASSERT_TRUE(line && circle);
    const std::string lineHandle = HandleOf(*line), circleHandle = HandleOf(*circle);
    D().SetLineStyle(*line, D().FindLineStyleByName("2"));
    D().SetLineWeight(*line, 9);
    D().SetColor(*circle, kColorByLevel); // had colour 1: the tag goes
    const std::string saved = WriteDxfText(D());
    DxfDocument::Parsed parsed = DxfDocument::Parse(saved);
    ASSERT_TRUE(parsed.document) << parsed.error;
    const DxfDocument& out = *parsed.document;
    const DxfEntityRef* l = ByHandle(out, lineHandle);
    const DxfEntityRef* c = ByHandle(out, circleHandle);
    ASSERT_TRUE(l && c);
    const DxfCommonTags lt = CommonTagsOf(out, MainOf(out, *l));
    EXPECT_FALSE(lt.lineType.empty());
    EXPECT_NE(out.FindRecord("LTYPE", lt.lineType), nullptr) << lt.lineType;
    EXPECT_GT(PlaceIn(out, *l, 6), PlaceIn(out, *l, 8));
    if (R12()) {
        EXPECT_EQ(PlaceIn(out, *l, 370), -1); // R12 has no line weights
    } else {
        EXPECT_EQ(lt.lineweight, WeightToLineweight(9));
        EXPECT_GT(PlaceIn(out, *l, 370), PlaceIn(out, *l, 6));
    }
    EXPECT_EQ(PlaceIn(out, *c, 62), -1);
    EXPECT_EQ(Without(out, *c, {62}), Without(In(), *ByHandle(In(), circleHandle), {62}));

    const DxfImport back = ReadDxfText(saved, "back.dxf");
    ASSERT_TRUE(back.ok()) << back.error;
    const DrawingElement& bl = back.drawing->Element(*back.drawing->FindElementByDxfHandle(lineHandle));
    ASSERT_TRUE(bl.lineStyle);
    EXPECT_EQ(back.drawing->LineStyleName(*bl.lineStyle), "2");
    if (!R12()) {
        EXPECT_EQ(bl.weight, 9);
    }
    EXPECT_EQ(back.drawing->Element(*back.drawing->FindElementByDxfHandle(circleHandle)).color, kColorByLevel);

    // Back to by-level style: the line type tag is dropped again.
    InMemoryDrawing& d2 = *back.drawing;
    d2.SetLineStyle(*d2.FindElementByDxfHandle(lineHandle), std::nullopt);
    DxfDocument::Parsed again = DxfDocument::Parse(WriteDxfText(d2));
    ASSERT_TRUE(again.document) << again.error;
    EXPECT_EQ(PlaceIn(*again.document, *ByHandle(*again.document, lineHandle), 6), -1);
}

INSTANTIATE_TEST_SUITE_P(Versions, EditedProject,
                         ::testing::Values("R12", "R2000", "R2007", "R2018"),
                         [](const auto& info) { return std::string(info.param); });

// A file of our own making for what ezdxf does not write: true colour, an entity without the
// common group's tags, an R12 entity without subclass markers.
constexpr const char* kSmallR2000 =
    "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n30\n0\nENDSEC\n"
    "0\nSECTION\n2\nENTITIES\n"
    "0\nLINE\n5\n20\n330\n1F\n100\nAcDbEntity\n8\nROAD\n62\n5\n420\n16711680\n100\nAcDbLine\n"
    "10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n1001\nAPP\n1000\nkeep 8 62\n"
    "0\nLINE\n5\n21\n100\nAcDbEntity\n100\nAcDbLine\n10\n0\n20\n0\n30\n0\n11\n2\n21\n0\n31\n0\n"
    "0\nENDSEC\n0\nEOF\n";

TEST(DxfAttributeEdit, TrueColourGoesWithTheColourAndMissingTagsGoInTheirPlace)
{
    const DxfImport r = ReadDxfText(kSmallR2000, "small.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    InMemoryDrawing& d = *r.drawing;
    const LevelHandle level = d.AddNewLevel("KERB");
    const ElementHandle first = *d.FindElementByDxfHandle("20"), second = *d.FindElementByDxfHandle("21");
    d.SetColor(first, 2);
    d.SetLevel(second, level);
    d.SetColor(second, 4);
    d.SetLineWeight(second, 3);
    const std::string saved = WriteDxfText(d);
    const std::string expectedFirst = "0\nLINE\n5\n20\n330\n1F\n100\nAcDbEntity\n8\nROAD\n62\n3\n100\nAcDbLine\n"
                                      "10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n1001\nAPP\n1000\nkeep 8 62\n";
    EXPECT_NE(saved.find(expectedFirst), std::string::npos) << saved;
    const std::string expectedSecond = "0\nLINE\n5\n21\n100\nAcDbEntity\n8\nKERB\n62\n2\n370\n" +
                                       std::to_string(WeightToLineweight(3)) + "\n100\nAcDbLine\n";
    EXPECT_NE(saved.find(expectedSecond), std::string::npos) << saved;
}

TEST(DxfAttributeEdit, R12EntityWithoutMarkersIsEditedAfterItsHandle)
{
    const std::string text = "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n2A\n8\nROAD\n6\nDASHED\n10\n0\n20\n0\n11\n3\n21\n4\n"
                             "1001\nAPP\n1070\n62\n0\nENDSEC\n0\nEOF\n";
    const DxfImport r = ReadDxfText(text, "r12.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    InMemoryDrawing& d = *r.drawing;
    const ElementHandle line = *d.FindElementByDxfHandle("2A");
    d.SetLineStyle(line, std::nullopt);
    d.SetColor(line, 3);
    d.SetLineWeight(line, 7);
    const std::string saved = WriteDxfText(d);
    EXPECT_NE(saved.find("0\nLINE\n5\n2A\n8\nROAD\n62\n1\n10\n0\n20\n0\n11\n3\n21\n4\n1001\nAPP\n1070\n62\n"),
              std::string::npos)
        << saved;
}

} // namespace
} // namespace velrok::host
