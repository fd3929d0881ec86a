// A results file holds every member of the run's group: members read from the project file that
// the drawing cannot write from its data are copied from their own tags, with the blocks and
// styles they need; what cannot be copied soundly is named in a warning.
#include "host/DxfDocument.h"
#include "host/DxfReader.h"
#include "host/DxfWriter.h"

#include "TestFiles.h"
#include "TestPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace velrok::host {
namespace {

using testing::Shell;

const std::string kDir = VELROK_BINARY_DIR "/tests/ezdxf_results/" + std::to_string(::getpid());

std::map<std::string, int> ShownKinds(const InMemoryDrawing& d)
{
    std::map<std::string, int> kinds;
    for (const DrawingElement* e : d.ModelElements())
        if (e->kind == ElementKind::Shown)
            ++kinds[e->extras->dxfKind];
    return kinds;
}

class ResultsOfProject : public ::testing::TestWithParam<const char*> {
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
    // A group of every element of the drawing, as a user might gather a run with its surroundings.
    NamedGroupHandle GroupAll()
    {
        InMemoryDrawing& d = *read.drawing;
        const NamedGroupHandle g = d.AddNewNamedGroup("321201208100000");
        for (const DrawingElement* e : d.ModelElements())
            d.AddGroupMember(g, ElementHandle{e->id.Value()});
        return g;
    }
    DxfImport read;
};

TEST_P(ResultsOfProject, EveryMemberIsCopiedOrNamedAndTheFileAuditsClean)
{
    InMemoryDrawing& d = *read.drawing;
    const NamedGroupHandle group = GroupAll();
    const std::map<std::string, int> shown = ShownKinds(d);
    ASSERT_TRUE(shown.count("INSERT") && shown.count("DIMENSION") && (R12() || shown.count("HATCH")));
    const std::string file = kDir + "/results_" + GetParam() + ".dxf";
    std::string error;
    DxfWriteNotes notes;
    ASSERT_TRUE(WriteResultsDxfFile(d, group, file, error, notes)) << error;

    const DxfImport back = ReadDxfFile(file);
    ASSERT_TRUE(back.ok()) << back.error;
    ASSERT_EQ(back.drawing->Groups().size(), 1u);
    if (R12()) {
        // An R12 file's entities have no form for the new drawing: each kept one is named.
        ASSERT_EQ(notes.warnings.size(), 1u);
        EXPECT_EQ(notes.warnings.front(), ResultsLeftOutWarning(shown));
        EXPECT_TRUE(ShownKinds(*back.drawing).empty());
    } else {
        EXPECT_TRUE(notes.warnings.empty()) << notes.warnings.front();
        EXPECT_EQ(ShownKinds(*back.drawing), shown);
        // The block references bring their block along, under a record of their own.
        const DxfDocument& out = *back.drawing->Document();
        EXPECT_NE(out.FindBlock("TREE"), nullptr);
        EXPECT_NE(out.FindRecord("BLOCK_RECORD", "TREE"), nullptr);
        // Fresh handles: none is used twice.
        std::set<std::string> handles;
        for (const DxfEntityRef& e : out.Entities())
            EXPECT_TRUE(handles.insert(std::string(out.EntityHandle(e))).second) << out.EntityType(e) << " " << out.EntityHandle(e);
    }
    EXPECT_EQ(back.drawing->Groups()[0].members.size(), back.drawing->ModelElements().size());
    const size_t left = R12() ? [&] {
        size_t n = 0;
        for (const auto& [kind, count] : shown)
            n += static_cast<size_t>(count);
        return n;
    }() : 0u;
    EXPECT_EQ(back.drawing->ModelElements().size(), d.ModelElements().size() - left);

    const std::string audit = Shell("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/dxf_audit.py '" + file + "'");
    EXPECT_NE(audit.find(" 0 errors"), std::string::npos) << audit;
    EXPECT_NE(audit.find(std::to_string(d.ModelElements().size() - left) + " entities, 1 groups"), std::string::npos)
        << audit;
}

TEST_P(ResultsOfProject, CopiedMemberKeepsTheAttributesTheUserChanged)
{
    if (R12())
        GTEST_SKIP() << "an R12 file's kept entities are not copied";
    InMemoryDrawing& d = *read.drawing;
    const NamedGroupHandle g = d.AddNewNamedGroup("654201208100000");
    const LevelHandle level = d.AddNewLevel("Velrok_Moved");
    std::string handle;
    for (const DrawingElement* e : d.ModelElements())
        if (e->extras->dxfKind == "INSERT" && handle.empty()) {
            const ElementHandle h{e->id.Value()};
            handle = std::string(d.DxfHandle(*e));
            d.SetColor(h, 4); // yellow: colour index 2
            d.SetLevel(h, level);
            d.AddGroupMember(g, h);
        }
    ASSERT_FALSE(handle.empty());
    DxfWriteNotes notes;
    const DxfImport back = ReadDxfText(WriteResultsDxfText(d, g, notes), "moved.dxf");
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_TRUE(notes.warnings.empty());
    ASSERT_EQ(back.drawing->ModelElements().size(), 1u);
    const DrawingElement& copy = *back.drawing->ModelElements().front();
    EXPECT_EQ(copy.extras->dxfKind, "INSERT");
    EXPECT_NE(back.drawing->DxfHandle(copy), handle) << "a fresh handle";
    EXPECT_EQ(back.drawing->LevelName(copy.level), "Velrok_Moved");
    EXPECT_EQ(copy.color, 4);
    EXPECT_NE(back.drawing->Document()->FindRecord("LAYER", "Velrok_Moved"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Versions, ResultsOfProject, ::testing::Values("R12", "R2000", "R2007", "R2013", "R2018"),
                         [](const auto& info) { return std::string(info.param); });

// An image points to its definition among the file's objects, which a results file does not hold:
// it cannot be copied soundly, and the warning says so.
TEST(DxfResultsCopy, MemberPointingToAnObjectIsNamedInTheWarning)
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "no /usr/bin/python3 with ezdxf";
    std::filesystem::create_directories(kDir);
    const std::string input = kDir + "/image.dxf";
    Shell("/usr/bin/python3 -c \"import ezdxf; d = ezdxf.new('R2000'); m = d.modelspace(); "
          "i = d.add_image_def(filename='road.png', size_in_pixel=(100, 100)); "
          "m.add_image(i, insert=(0, 0), size_in_units=(10, 10)); m.add_line((0, 0), (5, 5)); "
          "d.saveas('" + input + "')\"");
    const DxfImport r = ReadDxfFile(input);
    ASSERT_TRUE(r.ok()) << r.error;
    InMemoryDrawing& d = *r.drawing;
    ASSERT_EQ(ShownKinds(d), (std::map<std::string, int>{{"IMAGE", 1}}));
    const NamedGroupHandle g = d.AddNewNamedGroup("5201208100000");
    for (const DrawingElement* e : d.ModelElements())
        d.AddGroupMember(g, ElementHandle{e->id.Value()});
    const std::string file = kDir + "/image_results.dxf";
    std::string error;
    DxfWriteNotes notes;
    ASSERT_TRUE(WriteResultsDxfFile(d, g, file, error, notes)) << error;
    ASSERT_EQ(notes.warnings.size(), 1u);
    EXPECT_EQ(notes.warnings.front(), ResultsLeftOutWarning({{"IMAGE", 1}}));
    EXPECT_EQ(notes.warnings.front(), "1 element of the group is not in the results file: it could not be copied "
                                      "from its file (IMAGE 1).");
    const DxfImport back = ReadDxfFile(file);
    ASSERT_TRUE(back.ok()) << back.error;
    ASSERT_EQ(back.drawing->ModelElements().size(), 1u);
    EXPECT_EQ(back.drawing->ModelElements().front()->kind, ElementKind::Line);
    ASSERT_EQ(back.drawing->Groups().size(), 1u);
    EXPECT_EQ(back.drawing->Groups()[0].members.size(), 1u); // no member left pointing to nothing
    const std::string audit = Shell("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/dxf_audit.py '" + file + "'");
    EXPECT_NE(audit.find(" 0 errors"), std::string::npos) << audit;
}

// What a copy may do without goes (its extension dictionary, its plot style); a pointer to an
// object the new drawing will not have keeps the member out.
TEST(DxfResultsCopy, BackPointersAreDroppedAndAPointerToAnObjectIsRefused)
{
    const std::string text =
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\nA0\n0\nENDSEC\n"
        "0\nSECTION\n2\nENTITIES\n"
        "0\nPOINT\n5\n20\n102\n{ACAD_XDICTIONARY\n360\n90\n102\n}\n330\n1F\n100\nAcDbEntity\n8\n0\n"
        "390\n91\n100\nAcDbPoint\n10\n1\n20\n2\n30\n0\n"
        "0\nPOINT\n5\n21\n330\n1F\n100\nAcDbEntity\n8\n0\n100\nAcDbPoint\n10\n3\n20\n4\n30\n0\n340\n92\n"
        "0\nENDSEC\n0\nEOF\n";
    const DxfImport r = ReadDxfText(text, "points.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    InMemoryDrawing& d = *r.drawing;
    ASSERT_EQ(ShownKinds(d), (std::map<std::string, int>{{"POINT", 2}}));
    const NamedGroupHandle g = d.AddNewNamedGroup("7201208100000");
    for (const DrawingElement* e : d.ModelElements())
        d.AddGroupMember(g, ElementHandle{e->id.Value()});
    DxfWriteNotes notes;
    const std::string written = WriteResultsDxfText(d, g, notes);
    ASSERT_EQ(notes.warnings.size(), 1u);
    EXPECT_EQ(notes.warnings.front(), ResultsLeftOutWarning({{"POINT", 1}}));
    DxfDocument::Parsed out = DxfDocument::Parse(written);
    ASSERT_TRUE(out.document) << out.error;
    std::vector<const DxfEntityRef*> points;
    for (const DxfEntityRef& e : out.document->Entities())
        if (out.document->EntityType(e) == "POINT")
            points.push_back(&e);
    ASSERT_EQ(points.size(), 1u);
    std::map<int, std::vector<std::string>> tags;
    for (const DxfTag& t : out.document->Span(points[0]->Tags()))
        tags[t.code].emplace_back(t.value);
    EXPECT_FALSE(tags.count(360));
    EXPECT_FALSE(tags.count(390));
    EXPECT_EQ(tags[10], std::vector<std::string>{"1"});
    ASSERT_EQ(tags[330].size(), 2u); // the new group as reactor, then the new model space as owner
    EXPECT_EQ(tags[330][1], out.document->FindRecord("BLOCK_RECORD", "*Model_Space")->handle);
    EXPECT_NE(tags[5][0], "20");
}

} // namespace
} // namespace velrok::host
