// Plane geometry helpers. The conventions here (single-precision guard, tolerances, the rounding
// rule) feed every outline and limit of a run, so they are kept exactly as the program has them.
#include "geometry/Geometry.h"

#include "common/NumberText.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace velrok {

namespace {

constexpr float kVerticalGuard = 0.0001f;  // |adj| below this is taken as vertical
constexpr double kMinSquaredLength = 1e-7; // a line shorter than about 0.0003 has no direction

// Integer rounding with halves to the even neighbour, independent of the FPU rounding mode.
double RoundHalfEvenInt(double v)
{
    const double r = std::round(v); // halves away from zero
    if (std::fabs(v - std::trunc(v)) == 0.5)
        return 2.0 * std::round(v / 2.0);
    return r;
}

} // namespace

float ToSingle(double v)
{
    if (v > static_cast<double>(FLT_MAX))
        return std::numeric_limits<float>::infinity();
    if (v < -static_cast<double>(FLT_MAX))
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

double Pi()
{
    return 4.0 * std::atan(1.0);
}

double ATan2(double opp, float adj)
{
    double r;
    if (std::fabs(adj) < kVerticalGuard)
        r = Pi() / 2.0;
    else
        r = std::fabs(std::atan(opp / static_cast<double>(adj)));
    if (adj < 0.0f)
        r = Pi() - r;
    if (opp < 0.0)
        r = -r;
    return r;
}

double AngleAt(Point2d a, Point2d b, Point2d c)
{
    const double cross = (c.y - b.y) * (a.x - b.x) - (c.x - b.x) * (a.y - b.y);
    const double dot = (c.x - b.x) * (a.x - b.x) + (c.y - b.y) * (a.y - b.y);
    return ATan2(cross, ToSingle(dot));
}

double PointDistance(Point2d p, Point2d q)
{
    const double dx = q.x - p.x;
    const double dy = q.y - p.y;
    return std::sqrt(dx * dx + dy * dy);
}

double LineCircleIntersect(Point2d centre, double r, Point2d p1, Point2d p2, Point2d& i1, Point2d& i2)
{
    const double dx = p2.x - p1.x;
    const double dy = p2.y - p1.y;
    const double a = dx * dx + dy * dy;
    const double b = 2.0 * ((p1.x - centre.x) * dx + (p1.y - centre.y) * dy);
    const double c = (p1.x - centre.x) * (p1.x - centre.x) + (p1.y - centre.y) * (p1.y - centre.y) - r * r;
    const double det = b * b - 4.0 * a * c;
    if (det < 0.0 || a <= kMinSquaredLength)
        return 0.0;
    if (det == 0.0) {
        const double t = -b / (2.0 * a);
        i1 = {p1.x + t * dx, p1.y + t * dy};
        return 1.0;
    }
    const double root = std::sqrt(det);
    const double t1 = (-b + root) / (2.0 * a);
    const double t2 = (-b - root) / (2.0 * a);
    i1 = {p1.x + t1 * dx, p1.y + t1 * dy};
    i2 = {p1.x + t2 * dx, p1.y + t2 * dy};
    return 2.0;
}

double RadToDeg(double r)
{
    return r / Pi() * 180.0;
}

double DegToRad(double d)
{
    return d / 180.0 * Pi();
}

RoundResult RoundToMultiple(double x, double f, bool up)
{
    const double t = up ? x / f + 0.5 : x / f - 0.5;
    const double truncated = std::trunc(t);
    // The intermediate is a 16-bit integer; anything outside it (or not a number) is an overflow.
    if (!(truncated >= -32768.0 && truncated <= 32767.0))
        return {0.0, true};
    const double c = truncated;
    const double k = c + RoundHalfEvenInt(t - c);
    return {f * k, false};
}

RoundResult RoundToMultiple(const std::string& x, char decimalSeparator, double f, bool up)
{
    const ParsedNumber n = ParseNumber(x, decimalSeparator);
    if (!n.ok())
        return {0.0, false};
    return RoundToMultiple(n.value, f, up);
}

} // namespace velrok
