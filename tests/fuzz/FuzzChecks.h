// Checks shared by the fuzz harnesses: a failed one aborts, so libFuzzer keeps the input that broke it.
#pragma once

#include "host/InMemoryDrawing.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velrok::fuzz {

// What the shown entities of one input may cost before their share per entity: a fiftieth of a
// real drawing's, so that inputs nesting block arrays reach the limits in milliseconds and the
// fuzzer spends its time on new inputs, not on re-expanding the same nest.
inline constexpr host::ShapeAllowance kShapeBase{host::kDrawingVisitsBase / 50, host::kDrawingPointsBase / 50};

[[noreturn]] inline void Fail(const char* what, double value)
{
    std::fprintf(stderr, "fuzz check failed: %s (%.17g)\n", what, value);
    std::abort();
}

inline void RequireFinite(const Point3d& p, const char* what)
{
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        Fail(what, std::isfinite(p.x) ? (std::isfinite(p.y) ? p.z : p.y) : p.x);
}

// The sampling the sweep does on a path: its length, then points at distances along it, including
// both ends and distances before the start and beyond the end (clamped). The length may be close to
// the largest double, so the distance beyond the end is length + 1, never a multiple of it.
template <typename LengthFn, typename PointFn>
void RequireSoundSampling(LengthFn length, PointFn pointAt)
{
    const double l = length();
    if (!std::isfinite(l) || l < 0.0)
        Fail("path length is not a finite, non-negative number", l);
    for (double f : {0.0, 0.001, 0.25, 1.0 / 3.0, 0.5, 0.999, 1.0})
        RequireFinite(pointAt(l * f), "point at a distance along the path is not finite");
    RequireFinite(pointAt(l + 1.0), "point beyond the end is not finite");
    RequireFinite(pointAt(-1.0), "point before the start is not finite");
}

// Every element the drawing holds that has a path curve is sampled through the host interface.
inline void RequireSoundElements(const host::InMemoryDrawing& drawing)
{
    for (const host::DrawingElement* e : drawing.ModelElements()) {
        if (e->kind == host::ElementKind::Text || e->kind == host::ElementKind::Shown)
            continue;
        const host::ElementHandle h = drawing.GetElementByID(e->id);
        RequireSoundSampling([&] { return drawing.Length(h); },
                             [&](double d) { return drawing.PointAtDistance(h, d); });
    }
}

} // namespace velrok::fuzz
