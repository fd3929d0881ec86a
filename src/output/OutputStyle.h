// Output styles: how a stored style (colour, line type, line weight, level under four settings
// keys sharing a prefix) becomes host attributes; finding or creating levels; the run's named group.
#pragma once

#include "common/SettingsStore.h"
#include "host/CadHost.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velrok {

// A style key prefix ("VehicleBodyOutline", "Envelope", ...) with its defaults.
struct StyleDefaults {
    std::string prefix;
    int colorPosition = 0;  // position in the colour list, stored under prefix + "Color"
    std::string level;      // stored under prefix + "Level"
};

struct OutputStyle {
    int color = host::kColorByLevel;                 // host colour number
    std::optional<host::LineStyleHandle> lineStyle;  // none when the drawing lacks the named style
    int weight = 0;                                  // -1 = the level's
    host::LevelHandle level;
};

// A colour or weight setting that is not a number; the calling plotting routine reports it.
class StyleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Stored colour-list position -> host colour number; anything outside 0..7 gives 256.
int16_t ListIndexToColor(int16_t myListIndex);

// Resolves every prefix in this order: all colours, then all line types, all weights, all levels.
std::vector<OutputStyle> ResolveOutputStyles(host::CadHost& host, const SettingsStore& settings,
                                             const std::vector<StyleDefaults>& prefixes);

// The level of that name in the active design file, created (and the level table rewritten) if missing.
host::LevelHandle Create_MSlayer(host::CadHost& host, const std::string& myLayer);

host::NamedGroupHandle Create_MSnamedgroup(host::CadHost& host, const std::string& GroupName);

// The fixed sequence for a new element: Color, Level, LineStyle, LineWeight, AddElement, then
// AddGroupMember on the run's group.
void AddStyledElement(host::CadHost& host, host::ElementHandle& element, const OutputStyle& style,
                      host::NamedGroupHandle group);

}  // namespace velrok
