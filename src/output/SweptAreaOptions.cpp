// Clearance text and level choice of the swept-area options.
#include "output/SweptAreaOptions.h"

#include "common/NumberText.h"

#include <algorithm>

namespace velrok {

std::string ClearanceFieldText(const std::string& stored, char decimalSeparator)
{
    const std::string text = Trim(stored);
    return text.empty() ? FormatNumber(kDefaultClearanceDistance, decimalSeparator) : text;
}

ClearanceCheck CheckClearanceText(const std::string& text, char decimalSeparator)
{
    ClearanceCheck c;
    c.stored = Trim(text);
    if (c.stored.empty()) {
        c.message = "Missing value for Clearance distance!";
        return c;
    }
    // A stored "0.5" (the default's own form) reads on every locale.
    ParsedNumber n = ParseNumber(c.stored, decimalSeparator);
    if (!n.ok())
        n = ParseNumber(c.stored, '.');
    if (!n.ok()) {
        c.message = "Bad value for Clearance distance!";
        return c;
    }
    if (n.value < 0.0) {
        c.message = "Clearance distance must not be negative!";
        return c;
    }
    c.ok = true;
    c.value = n.value;
    return c;
}

std::vector<std::string> SplitLevelNames(const std::string& setting)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= setting.size()) {
        size_t end = setting.find(kLevelNameSeparator, start);
        if (end == std::string::npos)
            end = setting.size();
        std::string name = Trim(std::string_view(setting).substr(start, end - start));
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(std::move(name));
        start = end + 1;
    }
    return names;
}

std::vector<LevelChoice> LevelChoices(const std::vector<std::string>& drawingLevels,
                                      const std::string& setting)
{
    const std::vector<std::string> named = SplitLevelNames(setting);
    auto isNamed = [&named](const std::string& n) {
        return std::find(named.begin(), named.end(), n) != named.end();
    };
    std::vector<LevelChoice> choices;
    for (const std::string& level : drawingLevels) {
        const bool storable = !level.empty() && level.find(kLevelNameSeparator) == std::string::npos;
        const bool seen = std::any_of(choices.begin(), choices.end(),
                                      [&level](const LevelChoice& c) { return c.name == level; });
        if (storable && !seen)
            choices.push_back({level, isNamed(level), true});
    }
    for (const std::string& n : named) {
        const bool inDrawing =
            std::any_of(choices.begin(), choices.end(), [&n](const LevelChoice& c) { return c.name == n; });
        if (!inDrawing)
            choices.push_back({n, true, false});
    }
    return choices;
}

std::string LevelSettingOf(const std::vector<LevelChoice>& choices)
{
    std::string out;
    std::vector<std::string> written;
    for (const LevelChoice& c : choices) {
        const std::string name = Trim(c.name);
        if (!c.checked || name.empty() || name.find(kLevelNameSeparator) != std::string::npos ||
            std::find(written.begin(), written.end(), name) != written.end())
            continue;
        out += (out.empty() ? "" : std::string(1, kLevelNameSeparator)) + name;
        written.push_back(name);
    }
    return out;
}

} // namespace velrok
