// The texts a run ends with: the one-line turning report and the boxes of the limits.
#pragma once

#include <string>

namespace velrok {

struct SweepResults;

// " km/h", " mph" or " m/s" for the Combo4 index (anything else is km/h).
std::string SpeedUnitText(int speedUnitIndex);

// "Truck Max Turning Angle ..." (one unit, no colon) or "Truck Max Turning Angle: ...  Max Segment
// Angle: ..." (more units), then the lowest speed (" More than 30" above 30) and the unit.
std::string TurningReport(const SweepResults& results, char decimalSeparator);

// Numbers in boxes and reports: rounded half to even to one decimal, locale form.
std::string OneDecimal(double value, char decimalSeparator);

// RoundHalfEven to 1 or 2 decimals, the same result, without the decimal text when the value is
// nowhere near a tie: the run rounds two numbers at every station and the text form dominated its
// cost. Other decimals go to RoundHalfEven.
double RoundNear(double value, int decimals);

std::string LockToLockText(double station, char decimalSeparator);
std::string FrontWheelText(double station, double angle, char decimalSeparator);
std::string SegmentAngleText(double station, double angle, char decimalSeparator);
std::string CannotFollowText(double station, int unit, char decimalSeparator);

inline constexpr const char* kLockToLockTitle = "Decrease speed";
inline constexpr const char* kFrontWheelTitle = "Exceeded Front Wheel Angle!";
inline constexpr const char* kSegmentAngleTitle = "Exceeded Segment Angle!";
inline constexpr const char* kCannotFollowTitle = "Vehicle cannot follow path!";

} // namespace velrok
