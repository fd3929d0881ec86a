// Plane geometry helpers shared by the trailing-axle step, the sweep run, the outlines, the
// markers and the length summary. Their quirks (the single-precision guard of ATan2, the
// tolerance of LineCircleIntersect, the rounding rule of RoundToMultiple) are part of the results
// the rest of the program relies on, so they are kept exactly.
#pragma once

#include "common/Point.h"

#include <optional>
#include <string>

namespace velrok {

// pi as 4 * atan(1), the way every angle conversion of the program computes it.
double Pi();

// A double narrowed to single precision, the way the `adj` argument of ATan2 takes it; values beyond
// the single range become infinite (a plain cast would be undefined there).
float ToSingle(double v);

// Quadrant-aware arc tangent of opp/adj in (-pi, pi]; |adj| below 0.0001f gives +-pi/2.
double ATan2(double opp, float adj);

// Signed angle at B from ray B->A to ray B->C; the dot product enters in single precision.
double AngleAt(Point2d a, Point2d b, Point2d c);

double PointDistance(Point2d p, Point2d q);

// Intersections of the infinite line P1P2 with the circle (centre, r). Returns 0, 1 or 2 (as a
// double) and writes I1 (and I2); outputs not written keep their values. I1 is the point farther
// along P1->P2. A line whose points are closer than about 0.0003 gives 0.
double LineCircleIntersect(Point2d centre, double r, Point2d p1, Point2d p2, Point2d& i1, Point2d& i2);

double RadToDeg(double r);
double DegToRad(double d);

// Result of RoundToMultiple: a value, or an overflow of the 16-bit intermediate, which is a
// failure of the caller's run.
struct RoundResult {
    double value = 0.0;
    bool overflow = false;
};

// Rounds x to a multiple of f, downward (up = false) or upward, with the program's rule: an exact
// multiple rounded down goes one step lower (5, 1, false -> 4).
RoundResult RoundToMultiple(double x, double f, bool up);
// The same for a field text; a text that is not a number gives 0.
RoundResult RoundToMultiple(const std::string& x, char decimalSeparator, double f, bool up);

} // namespace velrok
