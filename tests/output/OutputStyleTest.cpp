// Output style resolution, levels found or created once, and the styled element sequence.
#include "output/OutputStyle.h"

#include "host/InMemoryDrawing.h"

#include <gtest/gtest.h>

namespace velrok {
namespace {

using host::InMemoryDrawing;

// Remembers the order in which keys are read.
class ReadRecordingStore : public MemorySettingsStore {
  public:
    std::string Get(const std::string& key, const std::string& defaultValue) const override
    {
        reads.push_back(key);
        return MemorySettingsStore::Get(key, defaultValue);
    }
    mutable std::vector<std::string> reads;
};

struct ColorCase {
    int16_t position;
    int16_t color;
};
class ListIndexToColorTable : public ::testing::TestWithParam<ColorCase> {};
TEST_P(ListIndexToColorTable, MapsPositionToHostColour)
{
    EXPECT_EQ(ListIndexToColor(GetParam().position), GetParam().color);
}
INSTANTIATE_TEST_SUITE_P(Positions, ListIndexToColorTable,
                         ::testing::Values(ColorCase{0, -1}, ColorCase{1, 3}, ColorCase{2, 4},
                                           ColorCase{3, 2}, ColorCase{4, 7}, ColorCase{5, 1}, ColorCase{6, 5},
                                           ColorCase{7, 0}, ColorCase{8, 256}, ColorCase{-1, 256},
                                           ColorCase{32767, 256}, ColorCase{-32768, 256}));

const std::vector<StyleDefaults> kSweepPrefixes = {
    {"VehicleSweepLeftFront", 5, "Velrok_LeftSweep"},
    {"VehicleSweepLeftBack", 5, "Velrok_LeftSweep"},
    {"WheelSweepRightFront", 3, "Velrok_RightSweep"},
};

TEST(ResolveOutputStyles, DefaultsOnEmptyStore)
{
    InMemoryDrawing d;
    MemorySettingsStore s;
    const auto styles = ResolveOutputStyles(d, s, kSweepPrefixes);
    ASSERT_EQ(styles.size(), 3u);
    EXPECT_EQ(styles[0].color, 1); // position 5, blue
    EXPECT_EQ(styles[2].color, 2); // position 3, green
    ASSERT_TRUE(styles[0].lineStyle.has_value());
    EXPECT_EQ(d.LineStyleName(*styles[0].lineStyle), "0");
    EXPECT_EQ(styles[0].weight, 0);
    EXPECT_EQ(d.LevelName(styles[0].level), "Velrok_LeftSweep");
    EXPECT_EQ(d.LevelName(styles[2].level), "Velrok_RightSweep");
    // Two prefixes on one level: created once, found the second time.
    EXPECT_EQ(styles[1].level.id, styles[0].level.id);
    EXPECT_EQ(d.Levels().size(), 3u);
    EXPECT_EQ(d.LevelRewrites(), 2);
}

TEST(ResolveOutputStyles, StoredValues)
{
    InMemoryDrawing d;
    MemorySettingsStore s;
    s.Set("VehicleSweepLeftFrontColor", "0");
    s.Set("VehicleSweepLeftFrontLineType", "ByLevel");
    s.Set("VehicleSweepLeftFrontLineWeight", "ByLevel");
    s.Set("VehicleSweepLeftBackColor", "8");
    s.Set("VehicleSweepLeftBackLineType", "bylevel");
    s.Set("VehicleSweepLeftBackLineWeight", "3");
    s.Set("VehicleSweepLeftBackLevel", "My level");
    s.Set("WheelSweepRightFrontColor", "-1");
    s.Set("WheelSweepRightFrontLineType", "7");
    const auto styles = ResolveOutputStyles(d, s, kSweepPrefixes);
    EXPECT_EQ(styles[0].color, -1);
    EXPECT_EQ(styles[0].lineStyle->id, d.LevelLineStyle().id);
    EXPECT_EQ(styles[0].weight, -1);
    EXPECT_EQ(styles[1].color, 256);
    EXPECT_FALSE(styles[1].lineStyle.has_value()); // looked up as a name; the drawing has none such
    EXPECT_EQ(styles[1].weight, 3);
    EXPECT_EQ(d.LevelName(styles[1].level), "My level");
    EXPECT_EQ(styles[2].color, 256);
    EXPECT_EQ(d.LineStyleName(*styles[2].lineStyle), "7");
}

TEST(ResolveOutputStyles, ReadsAllColoursThenTypesThenWeightsThenLevels)
{
    InMemoryDrawing d;
    ReadRecordingStore s;
    ResolveOutputStyles(d, s, kSweepPrefixes);
    std::vector<std::string> expected;
    for (const char* suffix : {"Color", "LineType", "LineWeight", "Level"})
        for (const StyleDefaults& p : kSweepPrefixes)
            expected.push_back(p.prefix + suffix);
    EXPECT_EQ(s.reads, expected);
}

TEST(ResolveOutputStyles, WeightThatIsNotANumberFailsBeforeAnyLevelIsMade)
{
    InMemoryDrawing d;
    MemorySettingsStore s;
    s.Set("WheelSweepRightFrontLineWeight", "thick");
    EXPECT_THROW(ResolveOutputStyles(d, s, kSweepPrefixes), StyleError);
    EXPECT_EQ(d.Levels().size(), 1u); // only the drawing's own level "0"
    EXPECT_EQ(d.LevelRewrites(), 0);
}

TEST(ResolveOutputStyles, ColourThatIsNotANumberFails)
{
    InMemoryDrawing d;
    MemorySettingsStore s;
    s.Set("VehicleSweepLeftBackColor", "Blue");
    try {
        ResolveOutputStyles(d, s, kSweepPrefixes);
        ADD_FAILURE() << "a colour name was accepted as a position";
    } catch (const StyleError& e) {
        EXPECT_STREQ(e.what(), "Type mismatch");
    }
}

TEST(CreateMSlayer, CreatesOnceThenFinds)
{
    InMemoryDrawing d;
    const host::LevelHandle a = Create_MSlayer(d, "Velrok_Envelope");
    EXPECT_EQ(d.LevelRewrites(), 1);
    const host::LevelHandle b = Create_MSlayer(d, "Velrok_Envelope");
    EXPECT_EQ(b.id, a.id);
    EXPECT_EQ(d.LevelRewrites(), 1);
    EXPECT_EQ(d.Levels().size(), 2u);
}

TEST(AddStyledElement, AppliesStyleAddsToModelAndGroup)
{
    InMemoryDrawing d;
    const host::NamedGroupHandle g = Create_MSnamedgroup(d, "7201208143000");
    EXPECT_EQ(d.Group(g).name, "7201208143000");
    OutputStyle style;
    style.color = 4;
    style.lineStyle = d.FindLineStyleByName("2");
    style.weight = 5;
    style.level = Create_MSlayer(d, "Velrok_Vehicle");
    host::ElementHandle h = d.CreateLineElement1({{0, 0, 0}, {1, 1, 0}});
    const host::ElementHandle before = h;
    AddStyledElement(d, h, style, g);
    EXPECT_EQ(h.id, before.id);
    const host::DrawingElement& e = d.Element(h);
    EXPECT_TRUE(e.inModel);
    EXPECT_EQ(e.color, 4);
    EXPECT_EQ(d.LevelName(e.level), "Velrok_Vehicle");
    EXPECT_EQ(d.LineStyleName(*e.lineStyle), "2");
    EXPECT_EQ(e.weight, 5);
    ASSERT_EQ(d.Group(g).members.size(), 1u);
    EXPECT_EQ(d.Group(g).members[0].Value(), e.id.Value());
}

} // namespace
} // namespace velrok
