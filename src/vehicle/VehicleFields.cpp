// Access to the edit fields by control name, as the window and the command line address them.
#include "vehicle/VehicleFields.h"

#include <array>
#include <utility>

namespace velrok {

namespace {

struct FieldInfo {
    std::string_view name;
    std::string VehicleFields::*member;
    std::string_view displayName;
};

constexpr std::array<FieldInfo, 29> kFields = {{
    {"txt_Name", &VehicleFields::txt_Name, "Name"},
    {"Text1", &VehicleFields::Text1, "Description"},
    {"txt_MaxTurning", &VehicleFields::txt_MaxTurning, "Max Turning Angle"},
    {"txt_MaxSegAnle", &VehicleFields::txt_MaxSegAnle, "Max Angle between Segments"},
    {"txt_LockToLock", &VehicleFields::txt_LockToLock, "Lock to lock"},
    {"txt_Front", &VehicleFields::txt_Front, "Front (F)"},
    {"txt_Wheelbase", &VehicleFields::txt_Wheelbase, "Wheel Base (WB)"},
    {"txt_Back", &VehicleFields::txt_Back, "Back (B)"},
    {"txtHitch", &VehicleFields::txtHitch, "Hitchpoint (H)"},
    {"txt_WheelWidth", &VehicleFields::txt_WheelWidth, "Wheel Width"},
    {"txt_VeichleWidth", &VehicleFields::txt_VeichleWidth, "Vehicle Width"},
    {"txtHitch2", &VehicleFields::txtHitch2, "Hitchpoint2 (H2)"},
    {"txtHitch3", &VehicleFields::txtHitch3, "Hitchpoint3 (H3)"},
    {"txtHitch4", &VehicleFields::txtHitch4, "Hitchpoint4 (H4)"},
    {"txt_Front2", &VehicleFields::txt_Front2, "Front2 (F2)"},
    {"txt_Front3", &VehicleFields::txt_Front3, "Front3 (F3)"},
    {"txt_Front4", &VehicleFields::txt_Front4, "Front4 (F4)"},
    {"txt_Wheelbase2", &VehicleFields::txt_Wheelbase2, "Wheelbase2 (WB2)"},
    {"txt_Wheelbase3", &VehicleFields::txt_Wheelbase3, "Wheelbase3 (WB3)"},
    {"txt_Wheelbase4", &VehicleFields::txt_Wheelbase4, "Wheelbase4 (WB4)"},
    {"txt_Back2", &VehicleFields::txt_Back2, "Back2 (B2)"},
    {"txt_Back3", &VehicleFields::txt_Back3, "Back3 (B3)"},
    {"txt_Back4", &VehicleFields::txt_Back4, "Back4 (B4)"},
    {"txt_WheelWidth_2", &VehicleFields::txt_WheelWidth_2, "segment #2 Wheel Width"},
    {"txt_WheelWidth_3", &VehicleFields::txt_WheelWidth_3, "segment #3 Wheel Width"},
    {"txt_WheelWidth_4", &VehicleFields::txt_WheelWidth_4, "segment #4 Wheel Width"},
    {"txt_VeichleWidth_2", &VehicleFields::txt_VeichleWidth_2, "segment #2 Vehicle Width"},
    {"txt_VeichleWidth_3", &VehicleFields::txt_VeichleWidth_3, "segment #3 Vehicle Width"},
    {"txt_VeichleWidth_4", &VehicleFields::txt_VeichleWidth_4, "segment #4 Vehicle Width"},
}};

constexpr size_t kFieldCount = kFields.size();

constexpr std::array<std::string_view, kFieldCount> MakeNames()
{
    std::array<std::string_view, kFieldCount> names{};
    for (size_t i = 0; i < kFieldCount; ++i)
        names[i] = kFields[i].name;
    return names;
}

constexpr std::array<std::string_view, kFieldCount> kNames = MakeNames();

const FieldInfo* Find(std::string_view name)
{
    for (size_t i = 0; i < kFieldCount; ++i) {
        if (kFields[i].name == name)
            return &kFields[i];
    }
    return nullptr;
}

} // namespace

std::span<const std::string_view> VehicleFieldNames()
{
    return kNames;
}

std::string* FieldByName(VehicleFields& fields, std::string_view controlName)
{
    const FieldInfo* f = Find(controlName);
    return f ? &(fields.*(f->member)) : nullptr;
}

const std::string* FieldByName(const VehicleFields& fields, std::string_view controlName)
{
    const FieldInfo* f = Find(controlName);
    return f ? &(fields.*(f->member)) : nullptr;
}

void ClearTextboxes(VehicleFields& fields)
{
    for (std::string_view name : kNames)
        FieldByName(fields, name)->clear();
}

std::string_view FieldDisplayName(std::string_view controlName)
{
    const FieldInfo* f = Find(controlName);
    return f ? f->displayName : controlName;
}

} // namespace velrok
