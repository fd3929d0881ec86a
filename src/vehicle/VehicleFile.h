// The vehicle library file: a flat run of 1634-byte records addressed by a 1-based record number,
// with no header. Every operation opens the file, does its work and closes it again.
#pragma once

#include "common/UiServices.h"
#include "vehicle/VehicleRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velrok {

// One entry of the vehicle list (List1): the stored 100-character name with its trailing blanks,
// and the record number as item data.
struct VehicleListEntry {
    std::string text;
    int itemData = 0;
    bool operator==(const VehicleListEntry&) const = default;
};
using VehicleList = std::vector<VehicleListEntry>;

// Records in a file of this many bytes: length / 1634 rounded to the nearest whole number, halves to
// even. A partly written last record thus counts once it is more than half there, and reads as if
// padded with zero bytes.
std::int64_t RecordCountForLength(std::uintmax_t length);

// True when the path names an existing file that is not a folder; any error gives false.
bool FileExists(const std::string& path);

// The file name without folder and without everything from its first "." ("C:\a\my.trucks.vdt"
// gives "my"). Both "\" and "/" separate folders.
std::string FileTitle(const std::string& path);

// Record count of an existing file; error text when the file cannot be examined.
struct RecordCountResult {
    std::int64_t count = 0;
    std::string error;
};
RecordCountResult CountVehicleRecords(const std::string& path);

// Fills `list` with the live records of the file, in record order. On an error the list keeps
// what was read so far and the error's description is returned; empty on success. The caller
// deals with a missing file before calling.
std::string ListVehicleRecords(const std::string& path, VehicleList& list);

// Reads record n (1..count). The last record of a truncated file reads zero-padded.
struct RecordReadResult {
    VehicleRecord record;
    std::string error;
    bool ok() const { return error.empty(); }
};
RecordReadResult ReadVehicleRecord(const std::string& path, std::int64_t n);

// Writes record n (1..count + 1) of an existing file in one piece and flushes it. A failed
// append is cut back so that the file keeps its old length. Nothing is written when the record
// cannot be encoded. Empty on success, else the error's description.
std::string WriteVehicleRecord(const std::string& path, std::int64_t n, const VehicleRecord& record);

// SaveVehicle's rules: an empty list counts as a new vehicle; a new vehicle goes into the lowest
// deleted slot, else is appended, and the flag is cleared; an existing vehicle (flag clear,
// n != -1) overwrites record n; flag clear and n == -1 shows "Nothing selected in List!" (title
// "Save Setting", critical icon) and returns an empty number. The record is written live.
// `recordNumber` is the written record number as text; `error` the description of a file error
// (then nothing was written and the flag is unchanged).
struct SaveVehicleResult {
    std::string recordNumber;
    std::string error;
};
SaveVehicleResult SaveVehicle(const VehicleRecord& record, std::int64_t n, const std::string& path,
                              bool listIsEmpty, bool& newVehicle, MessageService& messages);

// Marks record n of the file as a free slot in place; the file never shrinks. An empty path shows
// "Missing Vehicle file path!" (title "Missing path", critical icon) and does nothing. Returns the
// description of a file error, empty otherwise.
std::string DeleteVehicle(std::int64_t n, const std::string& path, MessageService& messages);

// Copies source onto target through a temporary file in the target's folder that is renamed into
// place, so a failed copy never leaves half a target. False when the source does not exist, when
// overwrite is false and the target exists, or on any error.
bool CopyVehicleFile(const std::string& source, const std::string& target, bool overwrite);

// Creates an empty vehicle file (File > New). Refuses an existing path. Empty on success.
std::string CreateEmptyVehicleFile(const std::string& path);

} // namespace velrok
