// A whole session against a drawing made by another program: load it, take its path with Add
// path, sample it, draw on levels in a named group, save, audit with ezdxf and read it back.
#include "host/DxfReader.h"
#include "host/DxfWriter.h"
#include "host/PathAcquisition.h"

#include "TestPaths.h"
#include "fakes/RecordingServices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace velrok::host {
namespace {

TEST(RoadSession, LoadTakePathDrawSaveAuditReadBack)
{
    DxfImport road = ReadDxfFile(VELROK_TEST_DATA_DIR "/dxf/road.dxf");
    ASSERT_TRUE(road.ok()) << road.error;
    HostRegistry registry;
    registry.Register(kStandardProgId, road.drawing);

    velrok::testing::RecordingMessages messages;
    velrok::testing::RecordingStatus status;
    CurrentPath path;
    road.drawing->Select(*road.drawing->FindElementByDxfHandle("31"));
    ASSERT_TRUE(AddPath(registry, kStandardProgId, messages, status, path));
    EXPECT_TRUE(messages.shown.empty());

    // The sweep's reading of the path: every 0.2 units, each station 0.2 from the last.
    HostSession session = Attach(registry, kStandardProgId);
    CadHost& host = session.Model();
    ElementHandle element = FindPath(session, path.Id());
    const double length = host.Length(element);
    EXPECT_NEAR(length, 60 + 6 * std::numbers::pi, 1e-9);
    std::vector<Point3d> stations;
    for (double d = 0.0; d <= length; d += 0.2)
        stations.push_back(host.PointAtDistance(element, d));
    for (size_t i = 1; i < stations.size(); ++i) {
        const double chord = std::hypot(stations[i].x - stations[i - 1].x, stations[i].y - stations[i - 1].y);
        EXPECT_NEAR(chord, 0.2, 2e-5) << "station " << i; // a 0.2 chord on radius 12 is 0.2 - 3e-6
    }

    // Draw a sweep line through the stations at z = -0.1 on a new level, in the run's group.
    LevelHandle level = host.AddNewLevel("Velrok_LeftSweep");
    host.RewriteLevels();
    NamedGroupHandle group = host.AddNewNamedGroup("517201208143000");
    for (auto& p : stations)
        p.z = -0.1;
    ElementHandle line = host.CreateLineElement1(stations);
    host.SetColor(line, 1);
    host.SetLevel(line, level);
    host.SetLineStyle(line, host.FindLineStyleByName("2"));
    host.SetLineWeight(line, 3);
    host.AddElement(line);
    host.AddGroupMember(group, line);
    host.CommitGroup(group);

    const std::string file = VELROK_BINARY_DIR "/tests/host_road_session.dxf";
    std::string error;
    ASSERT_TRUE(WriteDxfFile(*road.drawing, file, error)) << error;
    FILE* pipe =
        popen(("/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/dxf_audit.py " + file + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    EXPECT_EQ(pclose(pipe), 0) << output;
    // All 13 entities of the road drawing (the point, hatch, block reference and note included) and the sweep line.
    EXPECT_NE(output.find("0 errors, 0 fixes, 14 entities, 2 groups"), std::string::npos) << output;

    DxfImport back = ReadDxfFile(file);
    ASSERT_TRUE(back.ok()) << back.error;
    const auto onLevel = PathElementsOnLevel(*back.drawing, "Velrok_LeftSweep");
    ASSERT_EQ(onLevel.size(), 1u);
    const DrawingElement& sweep = back.drawing->Element(onLevel.front());
    ASSERT_EQ(sweep.vertices.size(), stations.size());
    for (size_t i = 0; i < stations.size(); ++i) {
        EXPECT_NEAR(sweep.vertices[i].x, stations[i].x, 1e-9);
        EXPECT_NEAR(sweep.vertices[i].y, stations[i].y, 1e-9);
        EXPECT_NEAR(sweep.vertices[i].z, -0.1, 1e-12);
    }
    ASSERT_EQ(back.drawing->Groups().size(), 2u);
    EXPECT_EQ(back.drawing->Groups()[1].name, "517201208143000");
    ASSERT_EQ(back.drawing->Groups()[1].members.size(), 1u);
    EXPECT_EQ(back.drawing->Groups()[1].members[0].Value(), sweep.id.Value());
}

} // namespace
} // namespace velrok::host
