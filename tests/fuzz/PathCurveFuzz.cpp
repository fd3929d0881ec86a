// Path curves built from fuzzed numbers (ordinary values, the extremes a damaged file holds, and raw
// bit patterns): each factory refuses them with std::invalid_argument or gives a curve whose length
// and points are finite, without hanging or allocating without bound.
#include "FuzzChecks.h"
#include "host/PathCurve.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

using velrok::Point3d;
using namespace velrok::host;

constexpr double kSpecial[] = {0.0,    -0.0,    1.0,     -1.0,    0.5,   1e308, -1e308,
                               1e200,  1e20,    -1e116,  1e7,     1e12,  1e-300, 4.9e-324,
                               6.283185307179586, 3.141592653589793, std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};

double Number(FuzzedDataProvider& in)
{
    const uint8_t mode = in.ConsumeIntegral<uint8_t>();
    if (mode < 24) { // raw bits: every double, NaN payloads included
        const uint64_t bits = in.ConsumeIntegral<uint64_t>();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    if (mode < 64)
        return kSpecial[in.ConsumeIntegralInRange<size_t>(0, std::size(kSpecial) - 1)];
    return in.ConsumeIntegral<int16_t>() / 16.0; // ordinary drawing coordinates
}

Point3d Point(FuzzedDataProvider& in)
{
    const double x = Number(in), y = Number(in);
    return {x, y, in.ConsumeBool() ? Number(in) : 0.0};
}

void RequireSound(const PathCurve& curve)
{
    velrok::fuzz::RequireSoundSampling([&] { return curve.Length(); },
                                       [&](double d) { return curve.PointAtDistance(d); });
}

SplineData Spline(FuzzedDataProvider& in)
{
    SplineData s;
    s.degree = in.ConsumeIntegralInRange<int>(0, 16);
    const size_t count = in.ConsumeIntegralInRange<size_t>(0, 40);
    for (size_t i = 0; i < count; ++i)
        s.controlPoints.push_back(Point(in));
    const bool ordered = in.ConsumeBool();
    // Mostly the right number of knots, sometimes one off either way.
    const size_t knots = count + static_cast<size_t>(std::max(0, s.degree)) + 1 +
                         in.ConsumeIntegralInRange<size_t>(0, 2) - 1;
    double knot = ordered ? Number(in) : 0.0;
    for (size_t i = 0; i < knots; ++i) {
        if (ordered) {
            if (in.ConsumeBool())
                knot += std::abs(Number(in));
        } else {
            knot = Number(in);
        }
        s.knots.push_back(knot);
    }
    if (in.ConsumeBool())
        for (size_t i = 0; i < count; ++i)
            s.weights.push_back(in.ConsumeBool() ? std::abs(Number(in)) : Number(in));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    try {
        switch (in.ConsumeIntegralInRange<int>(0, 4)) {
        case 0: {
            std::vector<Point3d> vertices(in.ConsumeIntegralInRange<size_t>(0, 64));
            for (Point3d& v : vertices)
                v = Point(in);
            std::vector<double> bulges(in.ConsumeIntegralInRange<size_t>(0, vertices.size()));
            for (double& b : bulges)
                b = Number(in);
            const bool closed = in.ConsumeBool();
            RequireSound(PathCurve::FromVertices(vertices, bulges, closed));
            break;
        }
        case 1: {
            const Point3d centre = Point(in);
            const double radius = Number(in), start = Number(in), end = Number(in);
            RequireSound(PathCurve::FromArc(centre, radius, start, end));
            break;
        }
        case 2: {
            const SplineData s = Spline(in);
            if (s.IsValid()) {
                velrok::fuzz::RequireFinite(s.Evaluate(Number(in)), "spline evaluation is not finite");
            }
            RequireSound(PathCurve::FromSpline(s));
            break;
        }
        case 3: {
            SplineData s;
            s.fitPoints.resize(in.ConsumeIntegralInRange<size_t>(0, 40));
            for (Point3d& p : s.fitPoints)
                p = Point(in);
            if (InterpolateFitPoints(s))
                RequireSound(PathCurve::FromSpline(s));
            break;
        }
        default: {
            EllipseData e;
            e.centre = Point(in);
            e.majorAxis = Point(in);
            e.ratio = Number(in);
            e.startParam = Number(in);
            e.endParam = Number(in);
            if (in.ConsumeBool())
                e.normal = Point(in);
            RequireSound(PathCurve::FromEllipse(e));
            break;
        }
        }
    } catch (const std::invalid_argument&) {
        // a clear refusal
    }
    return 0;
}
