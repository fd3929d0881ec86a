// The envelope's style and drawing on top of its computation.
#include "output/PlotEnvelope.h"

#include "output/OutputStyle.h"

#include <algorithm>

namespace velrok {

namespace {

constexpr int kEnvelopeColor = 2; // "Yellow"

void DrawSide(const PlotContext& ctx, const std::vector<Point2d>& points, const OutputStyle& style)
{
    // The host refuses a line of fewer than two vertices; such a side has no outline to show.
    if (points.size() < 2)
        return;
    std::vector<Point3d> vertices;
    vertices.reserve(points.size());
    for (const Point2d& p : points)
        vertices.push_back(ctx.host.Point3dFromXYZ(p.x, p.y, kSweepZ));
    host::ElementHandle element = ctx.host.CreateLineElement1(vertices);
    AddStyledElement(ctx.host, element, style, ctx.group);
}

} // namespace

EnvelopePoints EvaluateEnvelope(const PlotContext& ctx, const std::vector<PathTrackEntry>& pathTrack,
                                SweepRecords& records, const std::vector<SegmentSpec>& segments,
                                double fordonslen)
{
    const OutputStyle style =
        ResolveOutputStyles(ctx.host, ctx.settings, {{"Envelope", kEnvelopeColor, "Velrok_Envelope"}}).at(0);
    double wmax = 0.0;
    for (const SegmentSpec& s : segments)
        wmax = std::max(wmax, s.VehicleWidth);
    EnvelopePoints points = ComputeEnvelope(pathTrack, records, fordonslen, wmax, ctx.status);
    DrawSide(ctx, points.right, style);
    DrawSide(ctx, points.left, style);
    ctx.host.CommitGroup(ctx.group);
    return points;
}

} // namespace velrok
