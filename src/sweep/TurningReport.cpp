// Report and limit texts, laid out with carriage returns as the boxes show them.
#include "sweep/TurningReport.h"

#include "common/NumberText.h"
#include "sweep/SweepRun.h"

#include <cmath>

namespace velrok {

std::string SpeedUnitText(int speedUnitIndex)
{
    switch (speedUnitIndex) {
    case 1:
        return " mph";
    case 2:
        return " m/s";
    default:
        return " km/h";
    }
}

std::string OneDecimal(double value, char sep)
{
    return FormatNumber(RoundHalfEven(value, 1), sep);
}

double RoundNear(double value, int decimals)
{
    const double scale = decimals == 1 ? 10.0 : decimals == 2 ? 100.0 : 0.0;
    const double x = std::fabs(value) * scale;
    // The text form differs from the value by far less than 1e-4 of a last digit below 1e9.
    if (scale == 0.0 || !(x < 1e9) || std::fabs(x - std::floor(x) - 0.5) < 1e-4)
        return RoundHalfEven(value, decimals);
    const double sign = value < 0 ? -1.0 : 1.0;
    return sign * (std::round(x) / scale);
}

std::string TurningReport(const SweepResults& r, char sep)
{
    // The lowest speed was rounded to one decimal when it was found.
    const std::string lowest = r.LowestSpeed > kMaxSpeed ? " More than 30" : FormatNumber(r.LowestSpeed, sep);
    const std::string tail = "  Lowest speed along path: " + lowest + SpeedUnitText(r.SpeedUnitIndex);
    if (r.Segments.size() <= 1)
        return "Truck Max Turning Angle " + OneDecimal(r.MaxFrontAngle, sep) + tail;
    return "Truck Max Turning Angle: " + OneDecimal(r.MaxFrontAngle, sep) +
           "  Max Segment Angle: " + OneDecimal(r.MaxSegmentAngle, sep) + tail;
}

std::string LockToLockText(double station, char sep)
{
    return "Lock to Lock exceeded at station: " + OneDecimal(station, sep) +
           "\r\rSet speed to Zero to prevent any stop, max speed is displayed after simulation.";
}

std::string FrontWheelText(double station, double angle, char sep)
{
    return "Max turning angle exceeded at station: " + OneDecimal(station, sep) +
           "\rVehicle stopped at position for exceeded turn angle." +
           "\r\rEvaluated average angle for truck frontwheels at this station is " +
           OneDecimal(std::fabs(angle), sep) + " Degrees";
}

std::string SegmentAngleText(double station, double angle, char sep)
{
    return "Max turning angle between segments exceeded at station: " + OneDecimal(station, sep) +
           "\rVehicle stopped at position for exceeded turn angle." +
           "\r\rEvaluated angle between two segments is " + OneDecimal(std::fabs(angle), sep) + " Degrees";
}

std::string CannotFollowText(double station, int unit, char sep)
{
    return "Segment #" + std::to_string(unit) +
           " cannot follow the path at station: " + OneDecimal(station, sep) +
           "\rVehicle stopped at its last good position." +
           "\r\rThe path turns too sharply for this segment, or it jumps.";
}

} // namespace velrok
