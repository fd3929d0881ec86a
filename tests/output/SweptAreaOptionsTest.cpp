// The swept-area options: the clearance text the window shows and stores, and the level choice
// that becomes "ObstacleLevels" / "KerbLevels".
#include "output/SweptAreaOptions.h"

#include <gtest/gtest.h>

namespace velrok {
namespace {

TEST(ClearanceText, AbsentSettingShowsTheDefaultInTheUsersForm)
{
    EXPECT_EQ(ClearanceFieldText("", ','), "0,5");
    EXPECT_EQ(ClearanceFieldText("", '.'), "0.5");
    EXPECT_EQ(ClearanceFieldText(" 1,25 ", ','), "1,25");
}

TEST(ClearanceText, NumbersOfAtLeastZeroAreStoredAsTyped)
{
    const struct {
        const char* text;
        char sep;
        bool ok;
        double value;
        const char* message;
    } cases[] = {
        {"0,75", ',', true, 0.75, ""},
        {"2", ',', true, 2.0, ""},
        {"0.5", ',', true, 0.5, ""}, // the stored default's own form
        {"0", '.', true, 0.0, ""},
        {"", ',', false, 0, "Missing value for Clearance distance!"},
        {"wide", ',', false, 0, "Bad value for Clearance distance!"},
        {"1,2,3", ',', false, 0, "Bad value for Clearance distance!"},
        {"-0,1", ',', false, 0, "Clearance distance must not be negative!"},
    };
    for (const auto& c : cases) {
        const ClearanceCheck check = CheckClearanceText(c.text, c.sep);
        EXPECT_EQ(check.ok, c.ok) << c.text;
        EXPECT_EQ(check.message, c.message) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(check.value, c.value) << c.text;
        }
    }
}

TEST(ClearanceText, StoredTextIsTrimmed)
{
    EXPECT_EQ(CheckClearanceText("  1,5 ", ',').stored, "1,5");
}

TEST(LevelNames, SplitTrimsAndDropsEmptyAndRepeatedNames)
{
    EXPECT_EQ(SplitLevelNames(" Walls ;Posts;;Walls; "), (std::vector<std::string>{"Walls", "Posts"}));
    EXPECT_TRUE(SplitLevelNames("").empty());
    EXPECT_TRUE(SplitLevelNames(";;").empty());
}

TEST(LevelChoice, DrawingLevelsComeFirstAndNamedOnesMissingFromTheDrawingAreKept)
{
    const std::vector<LevelChoice> choices =
        LevelChoices({"0", "Kerbs", "Walls", "Odd;name", "Kerbs"}, "Walls;Trees");
    const std::vector<LevelChoice> expected = {
        {"0", false, true}, {"Kerbs", false, true}, {"Walls", true, true}, {"Trees", true, false}};
    EXPECT_EQ(choices, expected);
    // Unchanged, the choice stores what was stored (nothing lost with another drawing open).
    EXPECT_EQ(LevelSettingOf(choices), "Walls;Trees");
}

TEST(LevelChoice, CheckedNamesAreJoinedInListOrder)
{
    std::vector<LevelChoice> choices = LevelChoices({"A", "B", "C"}, "");
    EXPECT_EQ(LevelSettingOf(choices), "");
    choices[2].checked = true;
    choices[0].checked = true;
    EXPECT_EQ(LevelSettingOf(choices), "A;C");
    choices.push_back({" A ", true, false});
    choices.push_back({"x;y", true, false});
    EXPECT_EQ(LevelSettingOf(choices), "A;C");
}

} // namespace
} // namespace velrok
