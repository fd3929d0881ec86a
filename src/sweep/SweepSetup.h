// The run's input checks and the unit table `Segments` built from the edit fields, per
// configuration (1 Truck ... 13 Tandem Trailer).
#pragma once

#include "sweep/SweepRun.h"
#include "geometry/SweepTypes.h"
#include "vehicle/VehicleFields.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velrok {

// A check that failed: the warning box the user sees.
struct Refusal {
    std::string title;
    std::string text;
};

// The field checks in their order: speed (empty, not a number, above 30 in its typed unit),
// lock to lock (empty, not a number, not above zero), plot spacing (empty or not a number,
// negative), the seven fields of unit 1, then the configuration's own fields. Only emptiness is
// checked for dimension fields. The first failure is returned.
std::optional<Refusal> CheckRunFields(const SweepInputs& inputs, char decimalSeparator);

// The unit table for configuration `vType`, every value the field's text converted (some stored
// negated). A dimension text that is not a number throws std::runtime_error ("Type mismatch ..."),
// which the run's trap reports. A vType outside 1..13 builds nothing.
std::vector<SegmentSpec> BuildSegments(int16_t vType, const VehicleFields& fields, char decimalSeparator);

// Values no vehicle can have, refused before anything is drawn: a wheelbase or drawbar length not
// above zero, a negative width. Checked unit by unit on the built table.
std::optional<Refusal> CheckSegmentValues(int16_t vType, const std::vector<SegmentSpec>& segments);

// The vehicle length used for the plot spacing (the length summary's total for the configuration).
double RunVehicleLength(int16_t vType, const VehicleFields& fields, char decimalSeparator);

} // namespace velrok
