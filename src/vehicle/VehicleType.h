// The thirteen vehicle configurations: code, picture key, list text and unit chain, and which
// edit fields each configuration uses.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace velrok {

// Unit kinds as stored in a UnitRecord (0 = slot not in use).
enum class UnitKind : std::int16_t { None = 0, Motor = 1, Drawbar = 2, Body = 3 };

struct VehicleType {
    std::int16_t code;
    std::string_view key;         // name of the schematic picture
    std::string_view displayName; // text of the Combo1 entry
    std::vector<UnitKind> units;  // front to back
};

inline constexpr std::int16_t kFirstVehicleType = 1;
inline constexpr std::int16_t kLastVehicleType = 13;

// All thirteen, in code order (the order of Combo1).
std::span<const VehicleType> VehicleTypes();

bool IsVehicleType(int code);

// Throws std::out_of_range for a code outside 1..13.
const VehicleType& VehicleTypeOf(int code);

// Codes that behave alike in this subsystem map to one representative: 6, 7 -> 1; 4, 5, 8 -> 2;
// 12, 13 -> 11. 0 for a code outside 1..13.
int CanonicalVehicleType(int code);

// The dimension and width fields a code uses, by control name, in tab order. The name,
// description, type and the three limit fields are in use for every code and not listed.
std::vector<std::string_view> DimensionFieldsInUse(int code);

// The fields that showing a record of this code writes, by control name: txt_Name, Text1, the three
// limits, the dimension fields in use, and for code 13 also txtHitch3 (read back from slot 3).
std::vector<std::string_view> FieldsFilledFromRecord(int code);

} // namespace velrok
