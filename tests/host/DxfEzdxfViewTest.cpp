// What an independent reader (ezdxf) sees in the files we write: entity kinds, layers, colours,
// line types, weights, coordinates and group membership.
#include "host/DxfLineTypes.h"
#include "host/DxfWriter.h"
#include "host/HostColors.h"

#include "TestPaths.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace velrok::host {
namespace {

nlohmann::json EzdxfView(const std::string& file)
{
    const std::string command = "/usr/bin/python3 " VELROK_SOURCE_DIR "/tools/dxf_dump.py '" + file + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    if (!pipe || pclose(pipe) != 0)
        return nullptr;
    return nlohmann::json::parse(output, nullptr, false);
}

TEST(DxfEzdxfView, IndependentReaderSeesWhatWeWrote)
{
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "no /usr/bin/python3 with ezdxf";
    InMemoryDrawing d;
    LevelHandle sweep = d.AddLevel("Velrok_RightSweep", 2, d.FindLineStyleByName("5"), 4);
    NamedGroupHandle run = d.AddNewNamedGroup("998201208235959");
    struct Drawn {
        std::vector<Point3d> points;
        int color;
        const char* style;
        int weight;
    };
    const std::vector<Drawn> drawn = {
        {{{0.1, 0.2, -0.1}, {1e5 / 7, -3.3, -0.1}}, 0, "1", 0},
        {{{-5, 5, -0.1}, {6, 7, -0.1}, {8, 1.0 / 3, -0.1}}, -1, nullptr, -1},
        {{{0, 0, 0}, {1, 1, 2}}, 7, "7", 31},
    };
    for (const Drawn& e : drawn) {
        ElementHandle h = d.CreateLineElement1(e.points);
        d.SetColor(h, e.color);
        d.SetLevel(h, sweep);
        d.SetLineStyle(h, e.style ? d.FindLineStyleByName(e.style) : d.LevelLineStyle());
        d.SetLineWeight(h, e.weight);
        d.AddElement(h);
        if (&e != &drawn.back())
            d.AddGroupMember(run, h);
    }
    d.CommitGroup(run);
    const std::string file = VELROK_BINARY_DIR "/tests/host_ezdxf_view.dxf";
    std::string error;
    ASSERT_TRUE(WriteDxfFile(d, file, error)) << error;

    const nlohmann::json view = EzdxfView(file);
    ASSERT_TRUE(view.is_object()) << "ezdxf could not dump " << file;
    const auto& entities = view["entities"];
    ASSERT_EQ(entities.size(), drawn.size());
    for (size_t i = 0; i < drawn.size(); ++i) {
        const auto& e = entities[i];
        const bool flat = drawn[i].points.front().z == drawn[i].points.back().z;
        EXPECT_EQ(e["type"], flat ? "LWPOLYLINE" : "POLYLINE") << i;
        EXPECT_EQ(e["layer"], "Velrok_RightSweep") << i;
        EXPECT_EQ(e["color"].get<int>(), HostColorToAci(drawn[i].color)) << i;
        // The dashed host styles are written as line types of their own names.
        EXPECT_EQ(e["linetype"], drawn[i].style ? DxfLineTypeName(d.LineStyle(*d.FindLineStyleByName(drawn[i].style)))
                                                : "BYLAYER")
            << i;
        EXPECT_EQ(e["lineweight"].get<int>(), WeightToLineweight(drawn[i].weight)) << i;
        ASSERT_EQ(e["points"].size(), drawn[i].points.size()) << i;
        for (size_t k = 0; k < drawn[i].points.size(); ++k) {
            EXPECT_NEAR(e["points"][k][0].get<double>(), drawn[i].points[k].x, 1e-9) << i;
            EXPECT_NEAR(e["points"][k][1].get<double>(), drawn[i].points[k].y, 1e-9) << i;
            EXPECT_NEAR(e["points"][k][2].get<double>(), drawn[i].points[k].z, 1e-9) << i;
        }
    }
    // Layer colour: host green is AutoCAD 3; its line type the named style.
    bool found = false;
    for (const auto& layer : view["layers"])
        if (layer["name"] == "Velrok_RightSweep") {
            found = true;
            EXPECT_EQ(layer["color"].get<int>(), 3);
            EXPECT_EQ(layer["linetype"], "VELROK_SHORT_DASHED");
        }
    EXPECT_TRUE(found);
    ASSERT_EQ(view["groups"].size(), 1u);
    EXPECT_EQ(view["groups"][0]["name"], "998201208235959");
    // ezdxf keeps a group's members as a set, so only membership is compared.
    std::vector<int> members = view["groups"][0]["members"].get<std::vector<int>>();
    std::sort(members.begin(), members.end());
    EXPECT_EQ(members, (std::vector<int>{0, 1}));
}

} // namespace
} // namespace velrok::host
