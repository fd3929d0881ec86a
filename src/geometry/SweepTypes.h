// Values the sweep run and the output routines share: one unit of the vehicle as the run uses it,
// and one station of the path track.
#pragma once

#include <cstdint>

namespace velrok {

// Unit kinds of a vehicle chain.
inline constexpr int32_t kKindMotor = 1;
inline constexpr int32_t kKindDrawbar = 2;
inline constexpr int32_t kKindBody = 3;

// One unit of the vehicle, built from the edit fields for each run (fields in stored order).
// Front, Back and Hitch may be stored negated for some configurations.
struct SegmentSpec {
    int32_t Kind = 0;
    double WheelWidth = 0.0;
    double VehicleWidth = 0.0;
    double Front = 0.0;
    double Wheelbase = 0.0;
    double Back = 0.0;
    double Hitch = 0.0;
    double MaxTurningAngle = 0.0;  // degrees, unit 1 only
    double MaxSegmentAngle = 0.0;  // degrees
    bool DrawHitchCircle = false;
};

// One processed station: the path point (unit 1's front axle centre) and its distance.
struct PathTrackEntry {
    double x = 0.0;
    double y = 0.0;
    double station = 0.0;
};

}  // namespace velrok
