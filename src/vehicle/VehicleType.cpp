// The configuration table and the fields each configuration uses.
#include "vehicle/VehicleType.h"

#include <stdexcept>
#include <string>

namespace velrok {

namespace {

using enum UnitKind;

const std::vector<VehicleType>& Table()
{
    static const std::vector<VehicleType> table = {
        {1, "Truck", "Truck", {Motor}},
        {2, "Semitrailer", "Semi-Trailer", {Motor, Body}},
        {3, "TowBar", "Tow Bar", {Motor, Drawbar, Body}},
        {4, "TowBarSemi", "Tow Bar Semi", {Motor, Body}},
        {5, "Ledbuss", "Articulated Bus", {Motor, Body}},
        {6, "Bus", "Bus", {Motor}},
        {7, "Car", "Car", {Motor}},
        {8, "CarWithCamper", "Car With Camper", {Motor, Body}},
        {9, "DoubleTrailer", "Double Trailer", {Motor, Body, Drawbar, Body}},
        {10, "TripleTrailer", "Triple Trailer", {Motor, Body, Drawbar, Body, Drawbar, Body}},
        {11, "DoubleTowBarSemi", "Double Tow Bar Semi", {Motor, Body, Body}},
        {12, "TrailerTowBarSemi", "Trailer Tow Bar Semi", {Motor, Body, Body}},
        {13, "TandemTrailer", "Tandem Trailer", {Motor, Body, Body}},
    };
    return table;
}

} // namespace

std::span<const VehicleType> VehicleTypes()
{
    return Table();
}

bool IsVehicleType(int code)
{
    return code >= kFirstVehicleType && code <= kLastVehicleType;
}

const VehicleType& VehicleTypeOf(int code)
{
    if (!IsVehicleType(code))
        throw std::out_of_range("VehicleTypeOf: no configuration " + std::to_string(code));
    return Table()[static_cast<size_t>(code - 1)];
}

int CanonicalVehicleType(int code)
{
    switch (code) {
    case 1:
    case 6:
    case 7:
        return 1;
    case 2:
    case 4:
    case 5:
    case 8:
        return 2;
    case 3:
        return 3;
    case 9:
        return 9;
    case 10:
        return 10;
    case 11:
    case 12:
    case 13:
        return 11;
    default:
        return 0;
    }
}

std::vector<std::string_view> DimensionFieldsInUse(int code)
{
    const int c = CanonicalVehicleType(code);
    if (c == 0)
        return {};
    std::vector<std::string_view> f = {"txt_Front", "txt_Wheelbase", "txt_Back", "txt_WheelWidth",
                                       "txt_VeichleWidth"};
    if (c == 1)
        return f;
    f.insert(f.end(), {"txtHitch", "txt_Front2", "txt_Wheelbase2", "txt_Back2", "txt_WheelWidth_2",
                       "txt_VeichleWidth_2"});
    if (c == 2)
        return f;
    f.push_back("txtHitch2");
    if (c == 3)
        return f;
    if (c == 9 || c == 10)
        f.push_back("txtHitch3");
    f.insert(f.end(),
             {"txt_Front3", "txt_Wheelbase3", "txt_Back3", "txt_WheelWidth_3", "txt_VeichleWidth_3"});
    if (c == 10)
        f.insert(f.end(), {"txtHitch4", "txt_Front4", "txt_Wheelbase4", "txt_Back4", "txt_WheelWidth_4",
                           "txt_VeichleWidth_4"});
    return f;
}

std::vector<std::string_view> FieldsFilledFromRecord(int code)
{
    if (!IsVehicleType(code))
        return {};
    std::vector<std::string_view> f = {"txt_Name", "Text1", "txt_MaxTurning", "txt_MaxSegAnle",
                                       "txt_LockToLock"};
    const auto dims = DimensionFieldsInUse(code);
    f.insert(f.end(), dims.begin(), dims.end());
    // Showing a code-13 record also sets H3 from slot 3, although code 13 does not use it.
    if (code == 13)
        f.push_back("txtHitch3");
    return f;
}

} // namespace velrok
