// What the output style settings form shows and stores, as plain logic: the twelve line classes
// with their controls and defaults, the colour list, listing line types and levels from the host,
// loading the forty-eight lists from the stored keys, and storing them in order.
#pragma once

#include "common/SettingsStore.h"
#include "host/CadHost.h"
#include "host/HostRegistry.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace velrok::app {

inline constexpr const char* kStyleFormCaption = "Param.Sortie Epure Giration de Vehicule";
inline constexpr const char* kStyleLoadFailureTitle = "Velrok";
inline constexpr const char* kStyleStoreFailureTitle = "Velrok Settings";
inline constexpr const char* kByLevel = "ByLevel";
inline constexpr const char* kDefaultLineType = "0";
inline constexpr const char* kDefaultLineWeight = "0";
inline constexpr int kLineWeightCount = 32; // "0" to "31" after "ByLevel"
inline constexpr int kStyleClassCount = 12;

struct StyleClass {
    const char* stem;
    const char* frame;
    const char* row;
    const char* colorCombo;
    const char* lineTypeCombo;
    const char* weightCombo;
    const char* levelCombo;
    int defaultColor; // position in the colour list
    const char* defaultLevel;
};

// In this order the form stores each group of twelve keys.
inline constexpr std::array<StyleClass, kStyleClassCount> kStyleClasses{{
    {"VehicleBodyOutline", "Propriété Vehicule", "Gabarit Vehicule Ext", "Combo9", "Combo12", "Combo23",
     "Combo34", 7, "Velrok_Vehicle"},
    {"WheelOutline", "Propriété Vehicule", "Tracé de Roue", "Combo10", "Combo13", "Combo24", "Combo35", 7,
     "Velrok_Vehicle"},
    {"TyreTread", "Propriété Vehicule", "Tyre Tread", "Combo11", "Combo14", "Combo25", "Combo36", 2,
     "Velrok_Vehicle"},
    {"VehicleSweepRightFront", "Epure Vehic. ", "Right Front", "Combo3", "Combo15", "Combo26", "Combo39", 5,
     "Velrok_RightSweep"},
    {"VehicleSweepLeftFront", "Epure Vehic. ", "Left Front", "Combo1", "Combo16", "Combo27", "Combo38", 5,
     "Velrok_LeftSweep"},
    {"VehicleSweepRightBack", "Epure Vehic. ", "Right Back", "Combo2", "Combo17", "Combo28", "Combo37", 5,
     "Velrok_RightSweep"},
    {"VehicleSweepLeftBack", "Epure Vehic. ", "Left Back", "Combo4", "Combo18", "Combo29", "Combo40", 5,
     "Velrok_LeftSweep"},
    {"WheelSweepRightFront", "Braq. Roues", "Avant Droit", "Combo8", "Combo19", "Combo30", "Combo42", 3,
     "Velrok_RightSweep"},
    {"WheelSweepLeftFront", "Braq. Roues", "Avant Gauc", "Combo7", "Combo20", "Combo31", "Combo43", 3,
     "Velrok_LeftSweep"},
    {"WheelSweepRightBack", "Braq. Roues", "Arr. Droit", "Combo6", "Combo21", "Combo32", "Combo44", 3,
     "Velrok_RightSweep"},
    {"WheelSweepLeftBack", "Braq. Roues", "Arr. Gauc", "Combo5", "Combo22", "Combo33", "Combo41", 3,
     "Velrok_LeftSweep"},
    {"Envelope", "Epure Vehic. ", "Swept Envelope", "Combo48", "Combo47", "Combo46", "Combo45", 2,
     "Velrok_Envelope"},
}};

// Position in this list is the stored colour value.
inline constexpr std::array<const char*, 8> kColorEntries{"ByLevel", "Red",  "Yellow",  "Green",
                                                          "Cyan",    "Blue", "Magenta", "White"};

enum class StyleColumn { Color, LineType, Weight, Level };
std::string StyleKey(const StyleClass& styleClass, StyleColumn column);

// The line-style names of the host, trimmed, empty ones dropped; the level names unchanged.
std::vector<std::string> GetLineTypes(const host::CadHost& host);
std::vector<std::string> GetLayers(const host::CadHost& host);

// One drop-down list: its entries, the selected entry (-1 none) and, for a level, its edit text.
struct StyleList {
    std::vector<std::string> items;
    int index = -1;
    std::string editText;
    bool filled = false; // the load got as far as filling it
    // The stored value could not be shown (a colour that is no position of the list): the list
    // shows the default, and OK keeps the stored value unless the user picks another entry.
    bool storedValueBad = false;
    int loadedIndex = -1;
    std::string Text() const;
};

struct StyleFormState {
    std::array<StyleList, kStyleClassCount> colors, lineTypes, weights, levels;
};

struct StyleFormLoad {
    StyleFormState state;
    std::optional<std::string> error; // the load stopped here; later lists stay unfilled
    // Stored colours that could not be shown, one text each; they do not stop the load.
    std::vector<std::string> badValues;
    // The text of the one warning the form shows for the error and the bad values; empty: none.
    std::string WarningText() const;
};

// Load steps 2 to 5: colours from the keys, line types from the host, weights, levels from the
// host. Each host listing attaches afresh. A failure of the host ends the load; a bad stored
// colour only marks its own list, so the valid stored values of the other classes are loaded and
// stored again unchanged.
StyleFormLoad LoadStyleForm(const SettingsStore& settings, const host::HostRegistry& registry,
                            const std::string& progId);

// OK: the twelve colours, twelve line types, twelve weights, twelve levels, class by class. Lists
// a failed load never filled are not stored, so their stored keys are kept rather than emptied;
// nor is a list whose stored value was bad, unless the user chose another entry in it.
// Returns the failure text of the first key that could not be written (earlier keys stay written).
std::optional<std::string> StoreStyleForm(const StyleFormState& state, SettingsStore& settings);

} // namespace velrok::app
