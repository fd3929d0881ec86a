// Output styles: stored settings -> host colour, line style, weight and level.
#include "output/OutputStyle.h"

#include "common/NumberText.h"

#include <cmath>
#include <limits>

namespace velrok {

namespace {

constexpr const char* kByLevel = "ByLevel"; // exact: "bylevel" is an ordinary line-style name

// A stored colour position or weight as a whole number, rounded half to even as the settings
// have always been converted; text that is not a number fails the plotting routine.
int SettingToInteger(const std::string& text)
{
    const ParsedNumber n = ParseNumber(Trim(text), '.');
    if (!n.ok())
        throw StyleError("Type mismatch");
    const double rounded = std::nearbyint(n.value); // default rounding mode: half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        throw StyleError("Overflow");
    return static_cast<int>(rounded);
}

} // namespace

int16_t ListIndexToColor(int16_t myListIndex)
{
    switch (myListIndex) {
    case 0:
        return -1; // as the level's
    case 1:
        return 3; // red
    case 2:
        return 4; // yellow
    case 3:
        return 2; // green
    case 4:
        return 7; // cyan
    case 5:
        return 1; // blue
    case 6:
        return 5; // magenta
    case 7:
        return 0; // white
    default:
        return 256;
    }
}

std::vector<OutputStyle> ResolveOutputStyles(host::CadHost& host, const SettingsStore& settings,
                                             const std::vector<StyleDefaults>& prefixes)
{
    std::vector<OutputStyle> styles(prefixes.size());
    for (size_t i = 0; i < prefixes.size(); ++i) {
        const int position = SettingToInteger(
            settings.Get(prefixes[i].prefix + "Color", std::to_string(prefixes[i].colorPosition)));
        const bool inRange = position >= std::numeric_limits<int16_t>::min() &&
                             position <= std::numeric_limits<int16_t>::max();
        styles[i].color = inRange ? ListIndexToColor(static_cast<int16_t>(position)) : 256;
    }
    for (size_t i = 0; i < prefixes.size(); ++i) {
        const std::string lineType = settings.Get(prefixes[i].prefix + "LineType", "0");
        styles[i].lineStyle =
            lineType == kByLevel ? std::optional(host.LevelLineStyle()) : host.FindLineStyleByName(lineType);
    }
    for (size_t i = 0; i < prefixes.size(); ++i) {
        const std::string weight = settings.Get(prefixes[i].prefix + "LineWeight", "0");
        styles[i].weight = weight == kByLevel ? -1 : SettingToInteger(weight);
    }
    for (size_t i = 0; i < prefixes.size(); ++i)
        styles[i].level = Create_MSlayer(host, settings.Get(prefixes[i].prefix + "Level", prefixes[i].level));
    return styles;
}

host::LevelHandle Create_MSlayer(host::CadHost& host, const std::string& myLayer)
{
    if (auto found = host.FindLevelByName(myLayer))
        return *found;
    host::LevelHandle level = host.AddNewLevel(myLayer);
    host.RewriteLevels();
    return level;
}

host::NamedGroupHandle Create_MSnamedgroup(host::CadHost& host, const std::string& GroupName)
{
    return host.AddNewNamedGroup(GroupName);
}

void AddStyledElement(host::CadHost& host, host::ElementHandle& element, const OutputStyle& style,
                      host::NamedGroupHandle group)
{
    host.SetColor(element, style.color);
    host.SetLevel(element, style.level);
    host.SetLineStyle(element, style.lineStyle);
    host.SetLineWeight(element, style.weight);
    host.AddElement(element);
    host.AddGroupMember(group, element);
}

} // namespace velrok
