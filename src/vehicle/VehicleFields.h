// The edit fields of the vehicle definition tab as plain texts, named after their controls.
// The texts a fresh window shows are the defaults below, written with a decimal comma.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace velrok {

struct VehicleFields {
    std::string txt_Name;
    std::string Text1;
    std::string txt_MaxTurning = "40";
    std::string txt_MaxSegAnle = "70";
    std::string txt_LockToLock = "7";

    // Group #1: the motor unit.
    std::string txt_Front = "1,4";
    std::string txt_Wheelbase = "5,6";
    std::string txt_Back = "2,6";
    std::string txtHitch = "2,65";
    std::string txt_WheelWidth = "2,55";
    std::string txt_VeichleWidth = "2,60";

    // Groups #2 to #4: bodies, with the coupling length H of their group.
    std::string txtHitch2 = "3", txtHitch3 = "3", txtHitch4 = "3";
    std::string txt_Front2 = "0,91", txt_Front3 = "0,91", txt_Front4 = "0,91";
    std::string txt_Wheelbase2 = "9,3", txt_Wheelbase3 = "9,3", txt_Wheelbase4 = "9,3";
    std::string txt_Back2 = "2,1", txt_Back3 = "2,1", txt_Back4 = "2,1";
    std::string txt_WheelWidth_2 = "2,55", txt_WheelWidth_3 = "2,55", txt_WheelWidth_4 = "2,55";
    std::string txt_VeichleWidth_2 = "2,60", txt_VeichleWidth_3 = "2,60", txt_VeichleWidth_4 = "2,60";
};

// Every control name of VehicleFields, in the order of the members above.
std::span<const std::string_view> VehicleFieldNames();

// The member of the control with this name; nullptr for a name that is not one of them.
std::string* FieldByName(VehicleFields& fields, std::string_view controlName);
const std::string* FieldByName(const VehicleFields& fields, std::string_view controlName);

// Empties every field (the New vehicle command): name, description, limits, lengths and widths.
void ClearTextboxes(VehicleFields& fields);

// How a message names a dimension field to the user: "Front2 (F2)", "Wheel Base (WB)", ...
// The control name itself for fields without a dimension letter.
std::string_view FieldDisplayName(std::string_view controlName);

} // namespace velrok
