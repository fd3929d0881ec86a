// The swept-area options of the main window as plain logic: the clearance distance of the
// clearance envelopes, and the drawing levels that hold obstacles and kerbs. They are stored as
// settings the sweep run reads: "ClearanceDistance" (the text as typed), "ObstacleLevels" and
// "KerbLevels" (level names joined by ";").
#pragma once

#include <string>
#include <vector>

namespace velrok {

inline constexpr const char* kClearanceDistanceSetting = "ClearanceDistance";
inline constexpr const char* kObstacleLevelsSetting = "ObstacleLevels";
inline constexpr const char* kKerbLevelsSetting = "KerbLevels";
inline constexpr double kDefaultClearanceDistance = 0.5; // drawing units beside the swept area
inline constexpr char kLevelNameSeparator = ';';

// The clearance field's text at load: the stored text, or the default in the user's form ("0,5").
std::string ClearanceFieldText(const std::string& stored, char decimalSeparator);

// A typed clearance: a number of at least 0, with the user's decimal separator or with ".".
// `stored` is the trimmed text to store; `message` says what is wrong when it is refused.
struct ClearanceCheck {
    bool ok = false;
    double value = 0.0;
    std::string stored;
    std::string message;
};
ClearanceCheck CheckClearanceText(const std::string& text, char decimalSeparator);

// "Walls; Posts;;" -> {"Walls", "Posts"}: names trimmed, empty ones and repeats dropped.
std::vector<std::string> SplitLevelNames(const std::string& setting);

// One entry of the level choice: a level name and whether it is chosen.
struct LevelChoice {
    std::string name;
    bool checked = false;
    bool inDrawing = true; // false: named in the setting, not a level of the current drawing
    bool operator==(const LevelChoice&) const = default;
};

// The drawing's levels in their order, checked when the setting names them; then the named levels
// the drawing lacks, checked, so that a choice made on another drawing is not lost unseen. A level
// whose name holds ";" cannot be stored and is left out.
std::vector<LevelChoice> LevelChoices(const std::vector<std::string>& drawingLevels,
                                      const std::string& setting);

// The setting for a choice: the checked names in list order, joined by ";".
std::string LevelSettingOf(const std::vector<LevelChoice>& choices);

} // namespace velrok
