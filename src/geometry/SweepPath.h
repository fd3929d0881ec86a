// The trailing-axle step: where a unit's rear axle goes when its lead point moves one station.
#pragma once

#include "common/Point.h"
#include "common/UiServices.h"

namespace velrok {

inline constexpr double kZeroMoveDistance = 0.001;    // replaces a lead point that did not move
inline constexpr double kRadiusFactor = 1.02;          // the rear axle lands at 1.02 * L
inline constexpr double kInfiniteRadius = 999999999.0; // radius when the step turns by exactly 0

// Field order is fixed.
struct SweepPathResult {
    Point2d RearPoint;
    double LeftWheelAngle = 0.0;   // radians, + = counter-clockwise
    double RightWheelAngle = 0.0;  // radians
    double AverageAngleDeg = 0.0;  // degrees, signed
    // The circle of radius 1.02 L about the new lead point does not meet the previous body axis:
    // the unit cannot follow its lead point (zero length, or a jump of over about 2 L). Also set
    // after a reported division by zero, whose zeroed rear axle is no position.
    bool CannotFollow = false;
};

// P0 new lead point, L unit length, P1 previous lead point, P2 previous rear axle, W track width.
// A division by zero in the step is reported through `messages` (" SweepPath(Module)") and the
// fields not yet assigned are returned as 0, with CannotFollow set.
SweepPathResult SweepPath(Point2d p0, double l, Point2d p1, Point2d p2, double w, MessageService& messages);

}  // namespace velrok
