// Loading and storing the output style settings.
#include "app/styles/OutputStyleSettings.h"

#include "common/NumberText.h"
#include "host/PathAcquisition.h"

#include <cmath>
#include <stdexcept>

namespace velrok::app {

namespace {

// The entry whose text equals the stored one exactly (case counts), else entry 0.
int FindExact(const std::vector<std::string>& items, const std::string& text)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == text)
            return static_cast<int>(i);
    return 0;
}

int StoredColorPosition(const SettingsStore& settings, const StyleClass& c)
{
    const std::string key = StyleKey(c, StyleColumn::Color);
    const std::string text = settings.Get(key, std::to_string(c.defaultColor));
    const ParsedNumber n = ParseNumber(Trim(text), '.');
    if (!n.ok())
        throw std::runtime_error("Type mismatch: the stored " + key + " \"" + text + "\" is not a number");
    const double position = std::round(n.value);
    if (position < 0.0 || position >= static_cast<double>(kColorEntries.size()))
        throw std::runtime_error("Invalid property value: the stored " + key + " \"" + text +
                                 "\" is not a colour of the list");
    return static_cast<int>(position);
}

} // namespace

std::string StyleKey(const StyleClass& styleClass, StyleColumn column)
{
    static constexpr const char* kSuffix[] = {"Color", "LineType", "LineWeight", "Level"};
    return std::string(styleClass.stem) + kSuffix[static_cast<int>(column)];
}

std::vector<std::string> GetLineTypes(const host::CadHost& host)
{
    std::vector<std::string> names;
    for (host::LineStyleHandle style : host.LineStyleList()) {
        std::string name = Trim(host.LineStyleName(style));
        if (!name.empty())
            names.push_back(std::move(name));
    }
    return names;
}

std::vector<std::string> GetLayers(const host::CadHost& host)
{
    std::vector<std::string> names;
    for (host::LevelHandle level : host.Levels())
        names.push_back(host.LevelName(level));
    return names;
}

std::string StyleList::Text() const
{
    if (index >= 0 && index < static_cast<int>(items.size()))
        return items[static_cast<size_t>(index)];
    return {};
}

StyleFormLoad LoadStyleForm(const SettingsStore& settings, const host::HostRegistry& registry,
                            const std::string& progId)
{
    StyleFormLoad load;
    StyleFormState& s = load.state;
    try {
        for (StyleList& list : s.colors) {
            list.items.assign(kColorEntries.begin(), kColorEntries.end());
            list.index = 0;
            list.filled = true;
        }
        for (size_t i = 0; i < kStyleClasses.size(); ++i) {
            StyleList& list = s.colors[i];
            try {
                list.index = StoredColorPosition(settings, kStyleClasses[i]);
            } catch (const std::runtime_error& e) {
                list.index = kStyleClasses[i].defaultColor;
                list.storedValueBad = true;
                load.badValues.push_back(e.what());
            }
            list.loadedIndex = list.index;
        }

        const std::vector<std::string> lineTypes = GetLineTypes(host::Attach(registry, progId).Model());
        for (size_t i = 0; i < kStyleClasses.size(); ++i) {
            StyleList& list = s.lineTypes[i];
            list.items = {kByLevel};
            list.items.insert(list.items.end(), lineTypes.begin(), lineTypes.end());
            list.index = FindExact(list.items, settings.Get(StyleKey(kStyleClasses[i], StyleColumn::LineType),
                                                            kDefaultLineType));
            list.filled = true;
        }

        for (size_t i = 0; i < kStyleClasses.size(); ++i) {
            StyleList& list = s.weights[i];
            list.items = {kByLevel};
            for (int w = 0; w < kLineWeightCount; ++w)
                list.items.push_back(std::to_string(w));
            list.index = FindExact(list.items, settings.Get(StyleKey(kStyleClasses[i], StyleColumn::Weight),
                                                            kDefaultLineWeight));
            list.filled = true;
        }

        const std::vector<std::string> levels = GetLayers(host::Attach(registry, progId).DesignFile());
        for (size_t i = 0; i < kStyleClasses.size(); ++i) {
            StyleList& list = s.levels[i];
            list.items = levels;
            list.index = -1;
            // The edit field shows the stored name whether or not the drawing has that level.
            list.editText =
                settings.Get(StyleKey(kStyleClasses[i], StyleColumn::Level), kStyleClasses[i].defaultLevel);
            list.filled = true;
        }
    } catch (const std::exception& e) {
        load.error = e.what();
    }
    return load;
}

std::string StyleFormLoad::WarningText() const
{
    std::string text = error.value_or("");
    for (const std::string& bad : badValues)
        text += (text.empty() ? "" : "\r") + bad;
    if (!badValues.empty())
        text += "\r\rThe list shows the default; the stored value is kept unless another entry is chosen.";
    return text;
}

std::optional<std::string> StoreStyleForm(const StyleFormState& state, SettingsStore& settings)
{
    struct Group {
        const std::array<StyleList, kStyleClassCount>& lists;
        StyleColumn column;
    };
    const Group groups[] = {{state.colors, StyleColumn::Color},
                            {state.lineTypes, StyleColumn::LineType},
                            {state.weights, StyleColumn::Weight},
                            {state.levels, StyleColumn::Level}};
    for (const Group& group : groups) {
        for (size_t i = 0; i < kStyleClasses.size(); ++i) {
            const StyleList& list = group.lists[i];
            if (!list.filled || (list.storedValueBad && list.index == list.loadedIndex))
                continue;
            std::string value;
            if (group.column == StyleColumn::Color)
                value = std::to_string(list.index);
            else if (group.column == StyleColumn::Level)
                value = list.editText;
            else
                value = list.Text();
            const std::string key = StyleKey(kStyleClasses[i], group.column);
            if (!settings.Set(key, value))
                return "The setting " + key + " could not be stored.";
        }
    }
    return std::nullopt;
}

} // namespace velrok::app
