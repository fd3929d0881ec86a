// One vehicle definition as the library file stores it (1634 bytes, little-endian, Windows-1252
// texts), and its mapping to and from the edit fields.
#pragma once

#include "vehicle/VehicleFields.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velrok {

inline constexpr std::size_t kVehicleRecordLength = 1634;
inline constexpr std::size_t kUnitRecordLength = 190;
inline constexpr std::size_t kNameLength = 100;
inline constexpr std::size_t kDescriptionLength = 250;
inline constexpr int kUnitSlots = 6;
inline constexpr std::int16_t kRecordLive = 0;
inline constexpr std::int16_t kRecordDeleted = -1;

using RecordBytes = std::array<std::uint8_t, kVehicleRecordLength>;

// One unit of the chain; the reserved members of the file are not kept (written as zero).
struct UnitRecord {
    std::int16_t Kind = 0; // UnitKind
    double WheelWidth = 0.0;
    double VehicleWidth = 0.0;
    double Front = 0.0;
    double Wheelbase = 0.0;
    double Back = 0.0;
    double Hitch = 0.0;
    bool operator==(const UnitRecord&) const = default;
};

// Name and Description are UTF-8 in memory. A record read from a file carries them at full width
// (padded with blanks, as stored); one built from the fields carries them trimmed.
struct VehicleRecord {
    std::string Name;
    std::string Description;
    std::int16_t Deleted = kRecordLive;
    std::int16_t VType = 0;
    double MaxTurning = 0.0;
    double MaxSegAngle = 0.0;
    double LockToLock = 0.0;
    std::array<UnitRecord, kUnitSlots> Units{}; // slot 1 is Units[0]
    bool operator==(const VehicleRecord&) const = default;
};

// Writes the record's 1634 bytes. Texts longer than their width are cut; a text holding a
// character Windows-1252 cannot represent is refused: the returned error names it and `out` is
// left untouched. Empty on success.
std::string EncodeVehicleRecord(const VehicleRecord& record, RecordBytes& out);

// Reads a record from its bytes; never fails (any byte is a Windows-1252 character).
VehicleRecord DecodeVehicleRecord(std::span<const std::uint8_t, kVehicleRecordLength> bytes);

// Builds a record from the edit fields for configuration `code` (1..13): name and description
// trimmed and cut to width, the limits, and the units by the slot table of the configuration.
// Only the fields in use are read. A field in use that is empty or not a number, or a name or
// description that the file's code page cannot hold, is refused with `error` naming it.
struct RecordFromFieldsResult {
    VehicleRecord record;
    std::string error;
    bool ok() const { return error.empty(); }
};
RecordFromFieldsResult RecordFromFields(const VehicleFields& fields, int code, char decimalSeparator);

// Why a stored record cannot be shown: a VType outside 1..13, or a number the record's
// configuration reads that is NaN or infinite. Empty when it can be shown.
std::string CheckRecordShowable(const VehicleRecord& record);

// Fills the fields the record's configuration uses (and, for code 13, txtHitch3) from the record,
// numbers in the locale's default form; every other field keeps its text. Name and description
// are trimmed. Precondition: CheckRecordShowable(record) is empty (throws std::invalid_argument
// otherwise).
void FieldsFromRecord(const VehicleRecord& record, VehicleFields& fields, char decimalSeparator);

} // namespace velrok
