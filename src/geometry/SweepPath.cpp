// The trailing-axle step: a chord-based approximation of the rear axle's tractrix.
#include "geometry/SweepPath.h"

#include "geometry/Geometry.h"

#include <cmath>
#include <string>

namespace velrok {

namespace {

constexpr const char* kTrapTitle = "Veichle Turning Simulation";
constexpr const char* kTrapLabel = " SweepPath(Module)";

SweepPathResult Fail(MessageService& messages, const std::string& description)
{
    messages.Show(kTrapTitle, description + kTrapLabel, MsgIcon::Exclamation, MsgButtons::Ok);
    // Every field is assigned at the end only, so all are still 0. A rear axle at the origin
    // would drag the unit across the drawing, so the run is told this unit cannot follow.
    SweepPathResult result;
    result.CannotFollow = true;
    return result;
}

} // namespace

SweepPathResult SweepPath(Point2d p0, double l, Point2d p1, Point2d p2, double w, MessageService& messages)
{
    double d = PointDistance(p1, p0);
    if (d == 0.0)
        d = kZeroMoveDistance;

    // theta is the angle at the previous lead point between the new lead point and the previous
    // rear axle; phi is half the angle the unit turns during this step.
    const double theta = AngleAt(p0, p1, p2);
    const double denominator = 2.0 * l / d - std::cos(theta);
    if (denominator == 0.0)
        return Fail(messages, "Division by zero");
    const double phi = std::atan(std::sin(theta) / denominator);

    const double cosPhi = std::cos(phi);
    const Point2d q{p2.x + (p1.x - p2.x) * cosPhi, p2.y + (p1.y - p2.y) * cosPhi};

    // The rear axle lands on the previous body axis, 1.02 L from the new lead point.
    Point2d i1{0.0, 0.0};
    Point2d i2{0.0, 0.0};
    const double count = LineCircleIntersect(p0, kRadiusFactor * l, p2, q, i1, i2);
    const Point2d rear = PointDistance(p2, i1) < PointDistance(p2, i2) ? i1 : i2;

    const double chord = PointDistance(p2, rear);
    const double sinPhi = std::sin(phi);
    const double radius = sinPhi == 0.0 ? kInfiniteRadius : chord / 2.0 / sinPhi;

    const double leftDenominator = radius - w / 2.0;
    const double rightDenominator = radius + w / 2.0;
    if (leftDenominator == 0.0 || rightDenominator == 0.0)
        return Fail(messages, "Division by zero");

    SweepPathResult result;
    result.RearPoint = rear;
    result.LeftWheelAngle = std::atan(l / leftDenominator);
    result.RightWheelAngle = std::atan(l / rightDenominator);
    result.AverageAngleDeg = RadToDeg((result.LeftWheelAngle + result.RightWheelAngle) / 2.0);
    // No meeting point: the rule above took (0, 0); the run must not use it.
    result.CannotFollow = count == 0.0;
    return result;
}

} // namespace velrok
