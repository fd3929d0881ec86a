// The DXF document: a project drawing drawn by another program (ezdxf here) comes back from a
// save with everything it held, byte for byte where nothing changed, plus the run's results.
#include "host/DxfDocument.h"
#include "host/DxfEntityWriter.h"
#include "host/DxfLineTypes.h"
#include "host/DxfReader.h"
#include "host/DxfWriter.h"

#include "TestFiles.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace velrok::host {
namespace {

using testing::Shell;
using testing::Slurp;

// Each test runs in a process of its own and makes the drawings afresh, so each has its own folder:
// two processes writing one file at once would compare a file half rewritten by the other.
const std::string kEzdxfDir = VELROK_BINARY_DIR "/tests/ezdxf_projects/" + std::to_string(::getpid());

std::shared_ptr<DxfDocument> Parse(const std::string& text)
{
    DxfDocument::Parsed p = DxfDocument::Parse(text);
    EXPECT_TRUE(p.document) << p.error;
    return p.document;
}

// A sweep's results as the run draws them: a new level, a line string in a dashed style, a text,
// all in the run's new group.
NamedGroupHandle DrawRun(InMemoryDrawing& d, const std::string& groupName)
{
    LevelHandle level = d.FindLevelByName("Velrok_LeftSweep").value_or(LevelHandle{});
    if (level.id == 0)
        level = d.AddLevel("Velrok_LeftSweep", 1, d.FindLineStyleByName("3"), 7);
    NamedGroupHandle group = d.AddNewNamedGroup(groupName);
    ElementHandle line = d.CreateLineElement1({{0, 0, -0.1}, {10, 2, -0.1}, {20, 8, -0.1}});
    d.SetColor(line, 3);
    d.SetLevel(line, level);
    d.SetLineStyle(line, d.FindLineStyleByName("2"));
    d.AddElement(line);
    d.AddGroupMember(group, line);
    ElementHandle text = d.MakeText("12,2", {5, 5, 0}, d.DefaultRotation());
    d.SetLevel(text, level);
    d.AddElement(text);
    d.AddGroupMember(group, text);
    d.CommitGroup(group);
    return group;
}

std::vector<std::pair<int, std::string>> TagsOf(const DxfDocument& doc, DxfTagRange range)
{
    std::vector<std::pair<int, std::string>> tags;
    for (const DxfTag& t : doc.Span(range))
        tags.emplace_back(t.code, std::string(t.value));
    return tags;
}

class EzdxfProject : public ::testing::TestWithParam<const char*> {
  protected:
    static void SetUpTestSuite()
    {
        if (std::filesystem::exists("/usr/bin/python3"))
            Shell("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/make_ezdxf_drawings.py '" + kEzdxfDir + "'");
    }
    std::string Input() const { return kEzdxfDir + "/project_" + GetParam() + ".dxf"; }
};

TEST_P(EzdxfProject, UnchangedSaveIsTheFileByteForByte)
{
    if (!std::filesystem::exists(Input()))
        GTEST_SKIP() << "no ezdxf drawings (python3-ezdxf missing)";
    const DxfImport r = ReadDxfFile(Input());
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(WriteDxfText(*r.drawing), Slurp(Input()));
}

TEST_P(EzdxfProject, SaveAfterARunKeepsEveryEntityAndAddsTheRun)
{
    if (!std::filesystem::exists(Input()))
        GTEST_SKIP() << "no ezdxf drawings (python3-ezdxf missing)";
    const bool r12 = std::string(GetParam()) == "R12";
    const DxfImport r = ReadDxfFile(Input());
    ASSERT_TRUE(r.ok()) << r.error;
    DrawRun(*r.drawing, "517201208143000");
    DxfWriteNotes notes;
    const std::string saved = WriteDxfText(*r.drawing, notes);
    const std::shared_ptr<const DxfDocument> in = r.drawing->Document();
    const std::shared_ptr<DxfDocument> out = Parse(saved);
    ASSERT_TRUE(out);

    EXPECT_EQ(out->Version(), in->Version());
    // Every input entity is written with its handle and the same tags; the run adds two.
    std::map<std::string, const DxfEntityRef*> byHandle;
    for (const DxfEntityRef& e : out->Entities())
        byHandle[std::string(out->EntityHandle(e))] = &e;
    ASSERT_EQ(out->Entities().size(), in->Entities().size() + 2);
    for (const DxfEntityRef& e : in->Entities()) {
        ASSERT_FALSE(in->EntityHandle(e).empty()) << in->EntityType(e);
        auto found = byHandle.find(std::string(in->EntityHandle(e)));
        ASSERT_NE(found, byHandle.end()) << in->EntityType(e) << " " << in->EntityHandle(e);
        EXPECT_EQ(TagsOf(*out, found->second->Tags()), TagsOf(*in, e.Tags())) << in->EntityType(e) << " " << in->EntityHandle(e);
    }
    // Blocks, classes and every table record the file had are there as they were.
    for (const DxfTable& t : in->Tables())
        for (const DxfTableRecord& rec : t.records) {
            const DxfTableRecord* o = out->FindRecord(t.name, rec.name);
            ASSERT_NE(o, nullptr) << t.name << " " << rec.name;
            EXPECT_EQ(TagsOf(*out, o->tags), TagsOf(*in, rec.tags)) << t.name << " " << rec.name;
        }
    ASSERT_EQ(out->Blocks().size(), in->Blocks().size());
    for (size_t i = 0; i < in->Blocks().size(); ++i)
        EXPECT_EQ(TagsOf(*out, out->Blocks()[i].tags), TagsOf(*in, in->Blocks()[i].tags));

    // The new level and the dashed line types are real table records.
    ASSERT_NE(out->FindRecord("LAYER", "Velrok_LeftSweep"), nullptr);
    EXPECT_NE(out->FindRecord("LTYPE", "VELROK_LONG_DASHED"), nullptr);
    EXPECT_NE(out->FindRecord("LTYPE", "VELROK_MEDIUM_DASHED"), nullptr);

    // Fresh handles lie above the old seed, and the new seed above every handle.
    const uint64_t oldSeed = HandleValue(in->Tags()[*in->HeaderVariable("$HANDSEED")].value);
    const uint64_t newSeed = HandleValue(out->Tags()[*out->HeaderVariable("$HANDSEED")].value);
    EXPECT_GT(newSeed, out->MaxHandle());
    std::set<std::string> inputHandles;
    for (const DxfEntityRef& e : in->Entities())
        inputHandles.insert(std::string(in->EntityHandle(e)));
    int added = 0;
    for (const DxfEntityRef& e : out->Entities())
        if (!inputHandles.count(std::string(out->EntityHandle(e)))) {
            ++added;
            EXPECT_GE(HandleValue(out->EntityHandle(e)), oldSeed) << out->EntityType(e);
        }
    EXPECT_EQ(added, 2);

    size_t groups = 0;
    for (const DxfObjectRef& o : out->Objects())
        groups += o.type == "GROUP" ? 1 : 0;
    if (r12) {
        EXPECT_EQ(groups, 0u);
        ASSERT_EQ(notes.warnings.size(), 1u);
        EXPECT_EQ(notes.warnings.front(), kR12GroupWarning);
    } else {
        EXPECT_EQ(groups, 2u); // the file's KERBS and the run's
        EXPECT_TRUE(notes.warnings.empty());
    }

    // An independent reader audits it clean.
    const std::string file = kEzdxfDir + "/saved_" + GetParam() + ".dxf";
    std::string error;
    ASSERT_TRUE(WriteDxfFile(*r.drawing, file, error)) << error;
    if (std::filesystem::exists("/usr/bin/python3")) {
        const std::string audit = Shell("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/dxf_audit.py '" + file + "'");
        EXPECT_NE(audit.find(" 0 errors"), std::string::npos) << audit;
        EXPECT_NE(audit.find(std::to_string(in->Entities().size() + 2) + " entities"), std::string::npos) << audit;
    }

    // A second load and save changes nothing.
    const DxfImport again = ReadDxfFile(file);
    ASSERT_TRUE(again.ok()) << again.error;
    EXPECT_EQ(WriteDxfText(*again.drawing), saved);
    const auto onLevel = PathElementsOnLevel(*again.drawing, "Velrok_LeftSweep");
    ASSERT_EQ(onLevel.size(), 1u);
    const DrawingElement& sweep = again.drawing->Element(onLevel.front());
    EXPECT_EQ(again.drawing->LineStyleName(*sweep.lineStyle), "2"); // our line type names come back as our styles
    EXPECT_EQ(sweep.vertices.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Versions, EzdxfProject,
                         ::testing::Values("R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"),
                         [](const auto& info) { return std::string(info.param); });

TEST(DxfDocumentEdit, DeletingAPastRunLeavesItAndItsGroupOut)
{
    const DxfImport road = ReadDxfFile(VELROK_TEST_DATA_DIR "/dxf/road.dxf");
    ASSERT_TRUE(road.ok()) << road.error;
    DrawRun(*road.drawing, "11201208100000");
    const DxfImport past = ReadDxfText(WriteDxfText(*road.drawing), "past.dxf");
    ASSERT_TRUE(past.ok()) << past.error;
    InMemoryDrawing& d = *past.drawing;
    ASSERT_EQ(d.Groups().size(), 2u);
    const DrawingGroup run = d.Groups()[1];
    ASSERT_EQ(run.name, "11201208100000");
    ASSERT_EQ(run.members.size(), 2u);
    std::vector<std::string> deleted;
    for (const ElementId& id : run.members) {
        deleted.push_back(std::string(d.DxfHandle(d.Element({id.Value()}))));
        d.DeleteElement({id.Value()});
    }
    d.DeleteGroup(run.handle);
    // One member of the file's own group goes too: the group stays, without it.
    const ElementHandle kerbLine = *d.FindElementByDxfHandle("32");
    d.DeleteElement(kerbLine);

    const std::string saved = WriteDxfText(d);
    EXPECT_EQ(saved.find("11201208100000"), std::string::npos);
    const std::shared_ptr<DxfDocument> out = Parse(saved);
    ASSERT_TRUE(out);
    for (const DxfEntityRef& e : out->Entities()) {
        EXPECT_NE(out->EntityHandle(e), "32");
        for (const std::string& h : deleted)
            EXPECT_NE(out->EntityHandle(e), h);
    }
    EXPECT_EQ(out->Entities().size(), past.drawing->Document()->Entities().size() - 3);
    int groups = 0;
    for (const DxfObjectRef& o : out->Objects())
        if (o.type == "GROUP") {
            ++groups;
            std::vector<std::string> members;
            for (const DxfTag& t : out->Span(o.tags))
                if (t.code == 340)
                    members.emplace_back(t.value);
            EXPECT_EQ(members, (std::vector<std::string>{"35"}));
        }
    EXPECT_EQ(groups, 1);
    const DxfImport back = ReadDxfText(saved, "back.dxf");
    ASSERT_TRUE(back.ok()) << back.error;
    ASSERT_EQ(back.drawing->Groups().size(), 1u);
    EXPECT_EQ(back.drawing->Groups()[0].name, "KERBS");
}

TEST(DxfDocumentEdit, GroupDictionaryIsCreatedWhenTheFileHasNone)
{
    // An R2000 file with a root dictionary but no ACAD_GROUP entry.
    const std::string text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n30\n0\nENDSEC\n"
                             "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n20\n8\n0\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n"
                             "0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n0\nDICTIONARY\n5\nC\n330\n0\n100\nAcDbDictionary\n"
                             "0\nENDSEC\n0\nEOF\n";
    const DxfImport r = ReadDxfText(text, "nogroups.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    DrawRun(*r.drawing, "5201208100000");
    const DxfImport back = ReadDxfText(WriteDxfText(*r.drawing), "back.dxf");
    ASSERT_TRUE(back.ok()) << back.error;
    ASSERT_EQ(back.drawing->Groups().size(), 1u);
    EXPECT_EQ(back.drawing->Groups()[0].name, "5201208100000");
    EXPECT_EQ(back.drawing->Groups()[0].members.size(), 2u);
    EXPECT_TRUE(back.drawing->FindElementByDxfHandle("20").has_value());
    // The new handles start at the seed.
    EXPECT_GE(HandleValue(back.drawing->DxfHandle(*back.drawing->ModelElements().back())), 0x30u);
}

TEST(DxfDocumentEdit, AdditionsFollowTheFilesLineEnds)
{
    const std::string text = "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n8\r\nROAD\r\n10\r\n0\r\n20\r\n0\r\n"
                             "11\r\n3\r\n21\r\n4\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
    const DxfImport r = ReadDxfText(text, "crlf.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    DrawRun(*r.drawing, "7201208100000");
    DxfWriteNotes notes;
    const std::string saved = WriteDxfText(*r.drawing, notes);
    EXPECT_GT(saved.size(), text.size());
    for (size_t i = 0; i < saved.size(); ++i) {
        if (saved[i] == '\n') {
            ASSERT_TRUE(i > 0 && saved[i - 1] == '\r') << "bare line feed at byte " << i;
        }
    }
    // No version: an R12 file, which keeps the run's elements but cannot keep its group.
    ASSERT_EQ(notes.warnings.size(), 1u);
    const DxfImport back = ReadDxfText(saved, "back.dxf");
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_EQ(back.drawing->ModelElements().size(), 3u);
    EXPECT_TRUE(back.drawing->Groups().empty());
}

// Found by fuzzing the earlier reader.
TEST(DxfDocumentFuzzFindings, LongLinesReadAndComeBack)
{
    InMemoryDrawing d;
    std::string name;
    for (int i = 0; i < 150; ++i)
        name += "\xc4\x80"; // each written as a 7-byte \U+0100: the code page lacks it
    LevelHandle level = d.AddLevel(name, 2, d.FindLineStyleByName("0"), 0);
    ElementHandle line = d.CreateLineElement1({{0, 0, 0}, {1, 1, 0}});
    d.SetLevel(line, level);
    d.AddElement(line);
    std::string text = WriteDxfText(d);
    size_t longest = 0;
    for (size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
        longest = std::max(longest, nl - at);
    ASSERT_GE(longest, 1050u); // the length that hung the earlier reader
    const DxfImport r = ReadDxfText(text, "long.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.drawing->FindLevelByName(name).has_value());
    // A single line of a megabyte is just a long text.
    const std::string big(1 << 20, 'a');
    const DxfImport huge = ReadDxfText("0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n0\n10\n0\n20\n0\n1\n" + big +
                                           "\n0\nENDSEC\n0\nEOF\n",
                                       "huge.dxf");
    ASSERT_TRUE(huge.ok()) << huge.error;
    EXPECT_EQ(huge.drawing->ModelElements().front()->extras->text.text.size(), big.size());
}

TEST(DxfDocumentFuzzFindings, EntitiesOutsideTheEntitiesSectionAreKeptNotDrawn)
{
    const std::string line = "0\nLINE\n8\n0\n10\n1e300\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n";
    for (const std::string& where : {std::string("HEADER"), std::string("entities")}) {
        const std::string text = "0\nSECTION\n2\n" + where + "\n" + line + "0\nENDSEC\n0\nEOF\n";
        const DxfImport r = ReadDxfText(text, "odd.dxf");
        ASSERT_TRUE(r.ok()) << where << ": " << r.error;
        EXPECT_TRUE(r.drawing->ModelElements().empty()) << where;
        const std::string saved = WriteDxfText(*r.drawing);
        EXPECT_EQ(saved, text) << where;
        EXPECT_TRUE(ReadDxfText(saved, "again.dxf").ok()) << where;
    }
    const DxfImport inEntities = ReadDxfText("0\nSECTION\n2\nENTITIES\n" + line + "0\nENDSEC\n0\nEOF\n", "e.dxf");
    EXPECT_FALSE(inEntities.ok());
    EXPECT_NE(inEntities.error.find("line 10: coordinate 1e300 is out of range"), std::string::npos) << inEntities.error;
}

// Found by fuzzing: a seed under a real's group code was given the new seed as its value, a handle
// that is no number, and the saved file could not be read again.
TEST(DxfDocumentFuzzFindings, ASeedUnderAnotherGroupCodeIsWrittenAsAHandle)
{
    const std::string text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n40\n2461383.8962962963\n"
                             "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n2A\n8\n0\n10\n0\n20\n0\n30\n0\n"
                             "11\n1\n21\n0\n31\n0\n0\nENDSEC\n0\nEOF\n";
    const DxfImport r = ReadDxfText(text, "seed.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    DrawRun(*r.drawing, "6201208100000");
    const DxfImport back = ReadDxfText(WriteDxfText(*r.drawing), "back.dxf");
    ASSERT_TRUE(back.ok()) << back.error;
    const DxfDocument& doc = *back.drawing->Document();
    const auto seed = doc.HeaderVariable("$HANDSEED");
    ASSERT_TRUE(seed.has_value());
    EXPECT_EQ(doc.Tags()[*seed].code, 5);
    uint64_t largest = 0;
    for (const DrawingElement* e : back.drawing->ModelElements())
        largest = std::max(largest, HandleValue(back.drawing->DxfHandle(*e)));
    EXPECT_GT(largest, 0x2Au); // the run's elements have handles of their own
    EXPECT_GT(HandleValue(doc.Tags()[*seed].value), largest);
}

// Found by fuzzing: an item count was held against the whole file, text after EOF included, and
// the saved file, which ends at EOF, was then refused for it.
TEST(DxfDocumentFuzzFindings, ItemCountsAreHeldAgainstTheDrawingNotWhatFollowsItsEof)
{
    const std::string drawing = [](int count) {
        return "0\nSECTION\n2\nENTITIES\n0\nSPLINE\n8\n0\n70\n8\n71\n3\n72\n" + std::to_string(count) +
               "\n0\nENDSEC\n0\nEOF\n";
    }(80);
    const std::string tail(400, 'x');
    const DxfImport r = ReadDxfText(drawing + tail, "tail.dxf");
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.error.find("line 14: SPLINE count 80 does not fit the file (group code 72)"), std::string::npos)
        << r.error;
    // A count the drawing itself has room for is read, saved and read again.
    const std::string small = "0\nSECTION\n2\nENTITIES\n0\nSPLINE\n8\n0\n70\n8\n71\n3\n72\n4\n"
                              "0\nENDSEC\n0\nEOF\n";
    const DxfImport fits = ReadDxfText(small + tail, "fits.dxf");
    ASSERT_TRUE(fits.ok()) << fits.error;
    const DxfImport again = ReadDxfText(WriteDxfText(*fits.drawing), "again.dxf");
    EXPECT_TRUE(again.ok()) << again.error;
}

TEST(DxfDocumentFuzzFindings, DamageIsRefusedNamingTheLine)
{
    const DxfDocument::Parsed p = DxfDocument::Parse("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\nten\n1\n0\nENDSEC\n0\nEOF\n");
    EXPECT_FALSE(p.document);
    EXPECT_EQ(p.error, "line 9: \"ten\" is not a DXF group code");
    const DxfDocument::Parsed table =
        DxfDocument::Parse("0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nA\n0\nENDSEC\n0\nEOF\n");
    EXPECT_FALSE(table.document);
    EXPECT_EQ(table.error, "line 5: table LAYER is not closed by ENDTAB");
}

TEST(DxfDocumentViews, BlocksAndSubEntities)
{
    const std::string file = kEzdxfDir + "/project_R2018.dxf";
    // This suite may run before, or in a process without, the one that makes the drawings.
    if (!std::filesystem::exists(file) && std::filesystem::exists("/usr/bin/python3"))
        Shell("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/make_ezdxf_drawings.py '" + kEzdxfDir + "'");
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << "no ezdxf drawings";
    const DxfImport r = ReadDxfFile(file);
    ASSERT_TRUE(r.ok()) << r.error;
    const DxfDocument& doc = *r.drawing->Document();
    const DxfBlockDef* tree = doc.FindBlock("tree"); // names match without regard to case
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->name, "TREE");
    EXPECT_DOUBLE_EQ(tree->basePoint.x, 1.0);
    ASSERT_EQ(tree->entities.size(), 3u); // circle, line, attribute definition
    EXPECT_EQ(tree->entities[0].main.front().value, "CIRCLE");
    EXPECT_EQ(doc.FindBlock("NO_SUCH_BLOCK"), nullptr);
    int inserts = 0, polylines = 0;
    for (const DxfEntityRef& e : doc.Entities()) {
        std::vector<DxfTag> storage;
        const DxfEntityTags view = doc.EntityTags(e, storage);
        EXPECT_EQ(view.main.front().code, 0);
        EXPECT_EQ(view.main.front().value, doc.EntityType(e));
        for (const DxfTag& t : view.main)
            EXPECT_FALSE(t.code == 0 && &t != &view.main.front()) << doc.EntityType(e);
        for (const DxfTagSpan& sub : view.subs)
            EXPECT_NE(sub.front().value, "SEQEND");
        if (doc.EntityType(e) == "INSERT" && !view.subs.empty()) {
            ++inserts;
            EXPECT_EQ(view.subs.size(), 1u);
            EXPECT_EQ(view.subs[0].front().value, "ATTRIB");
        }
        if (doc.EntityType(e) == "POLYLINE") {
            ++polylines;
            EXPECT_EQ(view.subs.size(), 3u);
        }
    }
    EXPECT_EQ(inserts, 1);
    EXPECT_EQ(polylines, 2);
}

TEST(DxfFileWrite, ReplacesThroughATemporaryFileAndAFailureKeepsTheOld)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(VELROK_BINARY_DIR) / "tests" / "dxf_replace";
    fs::remove_all(dir);
    fs::create_directories(dir);
    InMemoryDrawing d;
    DrawRun(d, "1201208100000");
    const std::string target = (dir / "drawing.dxf").string();
    {
        std::ofstream(target) << "old";
    }
    std::string error;
    ASSERT_TRUE(WriteDxfFile(d, target, error)) << error;
    EXPECT_EQ(Slurp(target), WriteDxfText(d));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1); // no temporary left

    // A folder in the way cannot be replaced: it stays as it was, and so does the folder's content.
    const fs::path blocked = dir / "blocked.dxf";
    fs::create_directories(blocked);
    std::ofstream(blocked / "inside.txt") << "keep";
    EXPECT_FALSE(WriteDxfFile(d, blocked.string(), error));
    EXPECT_NE(error.find("Cannot write DXF file \"" + blocked.string() + "\""), std::string::npos) << error;
    EXPECT_EQ(Slurp((blocked / "inside.txt").string()), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    EXPECT_FALSE(WriteDxfFile(d, (dir / "no_such_folder" / "x.dxf").string(), error));
}

// A saved file is streamed out as it is made, in pieces; the pieces must join up to the same
// bytes as the text made whole, for a file far larger than one piece, with kept, deleted and new
// entities and a header whose handle seed moves.
TEST(DxfFileWrite, StreamedFileIsTheSameBytesAsTheText)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(VELROK_BINARY_DIR) / "tests" / "dxf_stream" / std::to_string(::getpid());
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n2000\n0\nENDSEC\n"
                       "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 4000; ++i)
        text += "0\nLINE\n5\n" + HandleText(0x200 + i) + "\n100\nAcDbEntity\n8\nKERB\n100\nAcDbLine\n10\n" +
                std::to_string(i) + ".5\n20\n0\n11\n" + std::to_string(i) + ".5\n21\n7\n";
    text += "0\nENDSEC\n0\nEOF\n";
    ASSERT_GT(text.size(), 4 * DxfOut::kSpillBytes);
    DxfImport r = ReadDxfText(text, "big.dxf");
    ASSERT_TRUE(r.ok()) << r.error;
    InMemoryDrawing& d = *r.drawing;
    const std::string unchanged = (dir / "unchanged.dxf").string();
    std::string error;
    ASSERT_TRUE(WriteDxfFile(d, unchanged, error)) << error;
    // Compared whole, not diffed: a diff of two 300 kB texts is too big to print. (The file has no
    // layer table, so even unchanged it gains one.)
    const std::string unchangedText = WriteDxfText(d);
    EXPECT_TRUE(Slurp(unchanged) == unchangedText) << Slurp(unchanged).size() << " bytes for " << unchangedText.size();

    d.DeleteElement(*d.FindElementByDxfHandle("201"));
    d.DeleteElement(*d.FindElementByDxfHandle("F9F"));
    DrawRun(d, "1201208100000");
    const std::string edited = (dir / "edited.dxf").string();
    ASSERT_TRUE(WriteDxfFile(d, edited, error)) << error;
    const std::string whole = WriteDxfText(d);
    EXPECT_TRUE(whole != text);
    EXPECT_EQ(whole.find("\n5\n201\n"), std::string::npos);
    EXPECT_TRUE(Slurp(edited) == whole) << Slurp(edited).size() << " bytes for " << whole.size();
    fs::remove_all(dir);
}

TEST(DxfResultsOnly, HoldsOnlyTheRunsLevelsElementsAndGroups)
{
    const DxfImport road = ReadDxfFile(VELROK_TEST_DATA_DIR "/dxf/road.dxf");
    ASSERT_TRUE(road.ok()) << road.error;
    InMemoryDrawing& d = *road.drawing;
    const NamedGroupHandle first = DrawRun(d, "111201208100000");
    DrawRun(d, "222201208110000");

    const DxfImport one = ReadDxfText(WriteResultsDxfText(d, first), "one.dxf");
    ASSERT_TRUE(one.ok()) << one.error;
    ASSERT_EQ(one.drawing->Groups().size(), 1u);
    EXPECT_EQ(one.drawing->Groups()[0].name, "111201208100000");
    EXPECT_EQ(one.drawing->ModelElements().size(), 2u);
    EXPECT_EQ(one.drawing->Document()->Entities().size(), 2u);
    EXPECT_FALSE(one.drawing->FindLevelByName("KERB").has_value());
    EXPECT_TRUE(one.drawing->FindLevelByName("Velrok_LeftSweep").has_value());
    // In the drawing's coordinates.
    const auto sweep = PathElementsOnLevel(*one.drawing, "Velrok_LeftSweep");
    ASSERT_EQ(sweep.size(), 1u);
    EXPECT_DOUBLE_EQ(one.drawing->Element(sweep[0]).vertices[2].x, 20.0);
    EXPECT_DOUBLE_EQ(one.drawing->Element(sweep[0]).vertices[2].y, 8.0);

    // Without a group: every run's group, the file's own KERBS with its two path elements too.
    const DxfImport all = ReadDxfText(WriteResultsDxfText(d, std::nullopt), "all.dxf");
    ASSERT_TRUE(all.ok()) << all.error;
    EXPECT_EQ(all.drawing->Groups().size(), 3u);
    EXPECT_EQ(all.drawing->ModelElements().size(), 6u);
}

} // namespace
} // namespace velrok::host
