// The length and turning-radius summary shown beside the vehicle fields and in status panel 1.
#pragma once

#include "vehicle/VehicleFields.h"

#include <string>

namespace velrok {

struct SegmentsSummary {
    // The plain sum of the length fields of the code; 0 for a code outside 1..13. When a field of
    // the sum is empty or not a number this is NaN and lengthOk is false.
    double totalLength = 0.0;
    bool lengthOk = true;
    // Caption of the total-length label: "Total Length: " and the sum in the locale's default form,
    // or "Total Length: ?" when a field of the sum could not be read.
    std::string totalLengthText;
    // Status panel 1: "Min Turning Radius (Centerline): " and R as "###.00"; empty when the maximum
    // turning angle is 0. When a field could not be read, this names the first such field instead
    // ("Missing value for Back2 (B2)!" or "Bad value for Back2 (B2)!").
    std::string panel1Text;
};

inline constexpr const char* kTotalLengthPrefix = "Total Length: ";
inline constexpr const char* kMinTurningRadiusPrefix = "Min Turning Radius (Centerline): ";

// Sums the length fields of configuration `code` and works out the minimum turning radius of the
// centreline, R = WB / sin(txt_MaxTurning in degrees), from unit #1 alone. Field texts are read
// with the given decimal separator; numbers are shown with it.
SegmentsSummary SumSegments(int code, const VehicleFields& fields, char decimalSeparator);

} // namespace velrok
