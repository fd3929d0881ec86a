// The clearance envelope and the conflict highlights.
#include "output/PlotConflicts.h"

#include "common/NumberText.h"
#include "output/OutputStyle.h"

namespace velrok {

namespace {

void DrawLine(const PlotContext& ctx, const std::vector<Point2d>& points, bool closed, double z,
              const OutputStyle& style)
{
    std::vector<Point3d> vertices;
    for (const Point2d& p : points)
        vertices.push_back(ctx.host.Point3dFromXYZ(p.x, p.y, z));
    if (closed && !points.empty())
        vertices.push_back(ctx.host.Point3dFromXYZ(points.front().x, points.front().y, z));
    if (vertices.size() < 2) // the host refuses a line of one vertex
        return;
    host::ElementHandle element = ctx.host.CreateLineElement1(vertices);
    AddStyledElement(ctx.host, element, style, ctx.group);
}

std::string Caption(ConflictClass kind)
{
    std::string name = ConflictClassName(kind);
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
    return name;
}

} // namespace

void PlotClearanceEnvelope(const PlotContext& ctx, const PlaneRegion& envelope)
{
    const OutputStyle style =
        ResolveOutputStyles(ctx.host, ctx.settings, {{"Clearance", kClearanceColor, "Velrok_Clearance"}}).at(0);
    for (const RegionPolygon& polygon : envelope.Polygons()) {
        DrawLine(ctx, polygon.outer, true, kSweepZ, style);
        for (const Ring& hole : polygon.holes)
            DrawLine(ctx, hole, true, kSweepZ, style);
    }
    ctx.host.CommitGroup(ctx.group);
}

void PlotConflicts(const PlotContext& ctx, const ConflictResult& result)
{
    const OutputStyle style =
        ResolveOutputStyles(ctx.host, ctx.settings, {{"Conflicts", kConflictsColor, "Velrok_Conflicts"}}).at(0);
    for (const Conflict& c : result.conflicts) {
        for (const LineString2d& part : c.parts)
            DrawLine(ctx, part, false, kOutlineZ, style);
        const Point3d at = ctx.host.Point3dFromXYZ(c.marker.x, c.marker.y, kOutlineZ);
        host::ElementHandle circle = ctx.host.MakeEllipse(at, kConflictMarkerRadius, kConflictMarkerRadius,
                                                          ctx.host.DefaultRotation(), 0);
        AddStyledElement(ctx.host, circle, style, ctx.group);
        const std::string text = Caption(c.kind) + " at station " +
                                 FormatNumber(RoundHalfEven(c.firstStation, 1), ctx.decimalSeparator);
        const Point3d origin =
            ctx.host.Point3dFromXYZ(c.marker.x + kConflictMarkerRadius, c.marker.y + kConflictMarkerRadius, kOutlineZ);
        host::ElementHandle label = ctx.host.MakeText(text, origin, ctx.host.DefaultRotation());
        AddStyledElement(ctx.host, label, style, ctx.group);
    }
    ctx.host.CommitGroup(ctx.group);
}

} // namespace velrok
