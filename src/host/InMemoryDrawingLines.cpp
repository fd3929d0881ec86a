// The in-memory drawing read as line strings for the obstacle and kerb checks: every element on
// the named levels, curves chorded, kept entities by their shown pieces.
#include "host/InMemoryDrawing.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace velrok::host {

namespace {

// Chords of a curve whose sagitta stays below the shapes' tolerance for a circle of that radius.
int ChordsForRadius(double radius, double sweep)
{
    const double half = std::acos(std::max(-1.0, 1.0 - kShapeChordTolerance / radius));
    const int n = half > 0.0 ? static_cast<int>(std::ceil(std::fabs(sweep) / (2.0 * half))) : kMaxChordsPerCurve;
    return std::clamp(n, 4, kMaxChordsPerCurve);
}

// A curve sampled evenly along its length; 0.1 units a chord keeps radii above 1.25 within the
// tolerance.
std::vector<Point2d> SampleCurve(const PathCurve& curve)
{
    const double length = curve.Length();
    const int n = std::clamp(static_cast<int>(std::ceil(length / 0.1)), 8, kMaxChordsPerCurve);
    std::vector<Point2d> out;
    out.reserve(static_cast<size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const Point3d p = curve.PointAtDistance(length * i / n);
        out.push_back({p.x, p.y});
    }
    return out;
}

std::vector<Point2d> LinesOfElement(const DrawingElement& e)
{
    std::vector<Point2d> out;
    const bool bulged = std::any_of(e.extras->bulges.begin(), e.extras->bulges.end(), [](double b) { return b != 0.0; });
    switch (e.kind) {
    case ElementKind::LineString:
    case ElementKind::Line:
    case ElementKind::Polyline:
        if (bulged)
            return SampleCurve(CurveOf(e));
        for (const Point3d& p : e.vertices)
            out.push_back({p.x, p.y});
        if (e.closed && !e.vertices.empty())
            out.push_back(out.front());
        return out;
    case ElementKind::Arc:
    case ElementKind::Circle: {
        double sweep = e.arc->endAngle - e.arc->startAngle;
        if (e.kind == ElementKind::Circle)
            sweep = 2.0 * 3.141592653589793;
        while (sweep < 0.0)
            sweep += 2.0 * 3.141592653589793;
        const int n = ChordsForRadius(e.arc->radius, sweep);
        for (int i = 0; i <= n; ++i) {
            const double a = e.arc->startAngle + sweep * i / n;
            out.push_back({e.arc->centre.x + e.arc->radius * std::cos(a), e.arc->centre.y + e.arc->radius * std::sin(a)});
        }
        return out;
    }
    case ElementKind::Spline:
    case ElementKind::Ellipse:
        return SampleCurve(CurveOf(e));
    default:
        return out;
    }
}

} // namespace

// An element by its entity handle, or by its identifier in hexadecimal when it has none.
std::string InMemoryDrawing::ElementName(const DrawingElement& e) const
{
    if (const std::string_view handle = DxfHandle(e); !handle.empty())
        return std::string(handle);
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(e.id.Value()));
    return text;
}

std::vector<ElementLines> InMemoryDrawing::LinesOnLevels(const std::vector<std::string>& levels) const
{
    auto named = [&](const std::string& name) {
        return std::any_of(levels.begin(), levels.end(),
                           [&](const std::string& l) { return SameNameIgnoringCase(l, name); });
    };
    std::vector<ElementLines> out;
    if (levels.empty())
        return out;
    for (const DrawingElement& e : m_elements) {
        if (e.id.IsZero() || !e.inModel || e.kind == ElementKind::Text)
            continue;
        const bool onLevel = named(Level(e.level).name);
        ElementLines lines{ElementName(e), {}};
        if (e.kind == ElementKind::Shown) {
            for (const ShownPiece& piece : e.extras->shown.pieces) {
                if (piece.points.size() < 2 || !(onLevel || named(piece.layer)))
                    continue;
                std::vector<Point2d> line;
                for (const Point3d& p : piece.points)
                    line.push_back({p.x, p.y});
                if (piece.closed)
                    line.push_back(line.front());
                lines.lines.push_back(std::move(line));
            }
        } else if (onLevel) {
            std::vector<Point2d> line = LinesOfElement(e);
            if (line.size() >= 2)
                lines.lines.push_back(std::move(line));
        }
        if (!lines.lines.empty())
            out.push_back(std::move(lines));
    }
    return out;
}

} // namespace velrok::host
