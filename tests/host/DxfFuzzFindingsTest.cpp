// Two inputs the fuzzer found against an earlier reader, kept as they were found.
#include "host/DxfReader.h"
#include "host/DxfWriter.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace velrok::host {
namespace {

std::string Finding(const char* name)
{
    std::ifstream in(std::string(VELROK_SOURCE_DIR "/tests/fuzz/findings/") + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_FALSE(s.str().empty()) << name;
    return s.str();
}

size_t LineAt(const std::string& text, size_t offset)
{
    return static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n')) + 1;
}

std::vector<std::string> LevelNames(const InMemoryDrawing& d)
{
    std::vector<std::string> names;
    for (const DrawingLevel& l : d.LevelTable())
        names.push_back(l.name);
    return names;
}

TEST(DxfFuzzFindings, CoordinateBeyondTheLimitIsNeverKept)
{
    const std::string text = Finding("reader_keeps_coordinate_beyond_limit.dxf");
    const size_t bad = text.find("-71e308");
    ASSERT_NE(bad, std::string::npos);
    const size_t eof = text.find("  0\nEOF\n");
    ASSERT_NE(eof, std::string::npos);
    ASSERT_LT(eof, bad) << "the finding has the coordinate after its end of file";

    // As found: what follows the end of file is no drawing, so the coordinate is in no element.
    const DxfImport asFound = ReadDxfText(text, "finding.dxf");
    ASSERT_TRUE(asFound.ok()) << asFound.error;
    for (const DrawingElement* e : asFound.drawing->ModelElements())
        for (const Point3d& p : e->vertices)
            EXPECT_TRUE(std::abs(p.x) < 1e20 && std::abs(p.y) < 1e20 && std::abs(p.z) < 1e20);

    // The finding's LINE with that coordinate moved into an ENTITIES section before the end: refused,
    // naming the line of the coordinate.
    const size_t line = text.rfind("  0\nLINE\n", bad);
    ASSERT_NE(line, std::string::npos);
    const std::string entities = "  0\nSECTION\n  2\nENTITIES\n" + text.substr(line, bad + 8 - line) +
                                 " 30\n0.0\n 11\n1.0\n 21\n1.0\n 31\n0.0\n  0\nENDSEC\n";
    const std::string moved = text.substr(0, eof) + entities + text.substr(eof);
    const size_t at = moved.find("-71e308");
    const DxfImport refused = ReadDxfText(moved, "moved.dxf");
    EXPECT_FALSE(refused.ok());
    EXPECT_NE(refused.error.find(": line " + std::to_string(LineAt(moved, at)) + ": "), std::string::npos)
        << refused.error;
    EXPECT_NE(refused.error.find("-71e308"), std::string::npos) << refused.error;
}

TEST(DxfFuzzFindings, LevelNameWithAByteOutsideUtf8ComesBackTheSame)
{
    const std::string text = Finding("roundtrip_level_name_not_read_back.dxf");
    ASSERT_NE(text.find("Ro\x9d" "adEdge"), std::string::npos);
    ASSERT_NE(text.find("AC1024"), std::string::npos);
    // As found (a UTF-8 file), and the same text declared a code-page file.
    std::string codePage = text;
    codePage.replace(codePage.find("AC1024"), 6, "AC1015");
    for (const std::string& input : {text, codePage}) {
        const DxfImport first = ReadDxfText(input, "finding.dxf");
        ASSERT_TRUE(first.ok()) << first.error;
        const std::vector<std::string> names = LevelNames(*first.drawing);
        const size_t odd = static_cast<size_t>(
            std::count_if(names.begin(), names.end(), [](const std::string& n) {
                return n != "RoadEdge" && n.rfind("Ro", 0) == 0 && n.ends_with("adEdge");
            }));
        EXPECT_EQ(odd, 1u);
        const DxfImport second = ReadDxfText(WriteDxfText(*first.drawing), "written.dxf");
        ASSERT_TRUE(second.ok()) << second.error;
        EXPECT_EQ(LevelNames(*second.drawing), names);
        ASSERT_EQ(second.drawing->ModelElements().size(), first.drawing->ModelElements().size());
        for (size_t i = 0; i < first.drawing->ModelElements().size(); ++i)
            EXPECT_EQ(second.drawing->LevelName(second.drawing->ModelElements()[i]->level),
                      first.drawing->LevelName(first.drawing->ModelElements()[i]->level));
    }
}

} // namespace
} // namespace velrok::host
