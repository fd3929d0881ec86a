// The SVG picture: background, one group per level with its name, host colours, placement.
#include "host/SvgWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace velrok::host {
namespace {

TEST(SvgWriter, LevelsColoursAndPlacement)
{
    InMemoryDrawing d;
    d.SetCaption("Road & <sweep>");
    LevelHandle vehicle = d.AddNewLevel("Velrok_Vehicle");
    LevelHandle sweep = d.AddLevel("Velrok_LeftSweep", 1, d.FindLineStyleByName("3"), 0);
    ElementHandle a = d.CreateLineElement1({{0, 0, 0}, {100, 50, 0}});
    d.SetLevel(a, vehicle);
    d.SetColor(a, 3);
    d.AddElement(a);
    ElementHandle b = d.CreateLineElement1({{0, 50, -0.1}, {100, 0, -0.1}});
    d.SetLevel(b, sweep);
    d.AddElement(b);
    SvgOptions options;
    options.width = 220;
    options.margin = 10;
    const std::string svg = WriteSvgText(d, options);
    // 100 x 50 units into 200 px: 2 px per unit, 120 px high, y pointing down.
    EXPECT_NE(svg.find("width=\"220.00\" height=\"120.00\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("<rect width=\"100%\" height=\"100%\" fill=\"#1b1f24\"/>"), std::string::npos);
    EXPECT_NE(svg.find("<title>Road &amp; &lt;sweep&gt;</title>"), std::string::npos);
    const size_t g1 = svg.find("<g data-level=\"Velrok_Vehicle\">");
    const size_t g2 = svg.find("<g data-level=\"Velrok_LeftSweep\">");
    ASSERT_NE(g1, std::string::npos) << svg;
    ASSERT_NE(g2, std::string::npos) << svg;
    EXPECT_EQ(svg.find("<g data-level=\"0\">"), std::string::npos); // empty levels are left out
    const std::string red = svg.substr(g1, g2 - g1);
    EXPECT_NE(red.find("stroke=\"#ff0000\""), std::string::npos) << red;
    EXPECT_NE(red.find("points=\"10.00,110.00 210.00,10.00\""), std::string::npos) << red;
    // By-level colour blue and the level's dashed style.
    const std::string blue = svg.substr(g2);
    EXPECT_NE(blue.find("stroke=\"#0000ff\""), std::string::npos) << blue;
    EXPECT_NE(blue.find("stroke-dasharray=\"2.00 1.00\""), std::string::npos) << blue;
}

TEST(SvgWriter, ATallDrawingGetsATallCanvas)
{
    InMemoryDrawing d;
    ElementHandle a = d.CreateLineElement1({{0, 0, 0}, {50, 100, 0}});
    d.AddElement(a);
    SvgOptions options;
    options.width = 220;
    options.margin = 10;
    const std::string svg = WriteSvgText(d, options);
    // 100 units high into 200 px: 2 px per unit, so 50 units wide is 100 px plus the margins.
    EXPECT_NE(svg.find("width=\"120.00\" height=\"220.00\" viewBox=\"0 0 120.00 220.00\""), std::string::npos)
        << svg;
    EXPECT_NE(svg.find("points=\"10.00,210.00 110.00,10.00\""), std::string::npos) << svg;
}

TEST(SvgWriter, CurvesAreSampledOnTheCurve)
{
    InMemoryDrawing d;
    DrawingElement circle;
    circle.kind = ElementKind::Circle;
    circle.arc = {{0, 0, 0}, 10, 0, 0};
    d.AddNewElement(circle);
    SvgOptions options;
    options.width = 220;
    options.margin = 10;
    const std::string svg = WriteSvgText(d, options);
    // Circle of radius 10 across 200 px: centre at (110, 110), every sample 100 px from it.
    const size_t start = svg.find("points=\"");
    ASSERT_NE(start, std::string::npos);
    std::string points = svg.substr(start + 8, svg.find('"', start + 8) - start - 8);
    int count = 0;
    double x = 0, y = 0;
    for (const char* p = points.c_str(); std::sscanf(p, "%lf,%lf", &x, &y) == 2; ++count) {
        EXPECT_NEAR(std::hypot(x - 110, y - 110), 100.0, 0.02) << x << "," << y;
        p = std::strchr(p, ' ');
        if (!p)
            break;
        ++p;
    }
    EXPECT_GT(count, 24);
}

} // namespace
} // namespace velrok::host
