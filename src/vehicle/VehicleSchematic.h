// The schematic beside the vehicle fields: the picture per configuration, the sixteen dimension
// labels, and which optional controls each configuration shows. The desktop program draws the
// pictures and places the controls; this is the data it follows.
#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace velrok {

// Captions of the label array Label1, by index: "F=", "WB=", "H=", "B=", "H2=", ...
inline constexpr std::array<std::string_view, 16> kDimensionLabelCaptions = {
    "F=",  "WB=", "H=",   "B=",  "H2=", "F2=",  "WB2=", "B2=",
    "H3=", "F3=", "WB3=", "B3=", "B4=", "WB4=", "F4=",  "H4="};

// Group headings Label11..Label14: "#1".."#4". Label11 is always visible.
inline constexpr std::array<std::string_view, 4> kGroupHeadingNames = {"Label11", "Label12", "Label13",
                                                                       "Label14"};
inline constexpr std::array<std::string_view, 4> kGroupHeadingCaptions = {"#1", "#2", "#3", "#4"};

// What is visible for one configuration besides the controls that are always visible.
struct ShownControls {
    std::vector<std::string_view> headings; // of Label12..Label14
    std::vector<int> dimensionLabels;       // Label1 indices, always-visible 0, 1, 3 included
    std::vector<std::string_view> fields;   // edit-field control names, always-visible ones included
};

// Controls that every show/hide pass hides first: Label12..Label14, Label1 indices 2 and 4..15,
// and the optional edit fields.
const ShownControls& OptionalControls();

// The show/hide rule (ShowTypeFields): the controls visible for a code. For a code outside 1..13
// only the always-visible ones. Hidden fields keep their texts; this only says what is seen.
ShownControls ShowTypeFields(int code);

// The picture key of a code ("Truck", "Semitrailer", ...); empty for a code outside 1..13.
std::string_view PictureKey(int code);

} // namespace velrok
