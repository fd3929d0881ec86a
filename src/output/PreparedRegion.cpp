// The prepared region: the region's ring edges in a uniform grid, searched outwards from a query
// until nothing nearer can lie beyond what was searched.
#include "output/PlaneRegion.h"
#include "output/SegmentMath.h"

#include <algorithm>
#include <cmath>

namespace velrok {

namespace {

// Cells of about this many mean edge lengths: a handful of edges in each near the boundary.
constexpr double kCellEdgeLengths = 4.0;
// Parameters along a segment closer than this (relative) are one point of it.
constexpr double kSameParameter = 1e-12;

bool SegmentsMeet(Point2d a, Point2d b, Point2d c, Point2d d)
{
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

double SegmentSegmentDistance2(Point2d a, Point2d b, Point2d c, Point2d d)
{
    if (SegmentsMeet(a, b, c, d))
        return 0.0;
    // Touching and collinear cases come out as a zero end-point distance.
    return std::min({PointSegmentDistance2(a, c, d), PointSegmentDistance2(b, c, d),
                     PointSegmentDistance2(c, a, b), PointSegmentDistance2(d, a, b)});
}

Extent ExtentOf(Point2d a, Point2d b)
{
    Extent e;
    e.Add(a.x, a.y);
    e.Add(b.x, b.y);
    return e;
}

// Where edge c-d meets segment a-b, as parameters along a-b (0 at a, 1 at b): one for a crossing
// or a touch, the two ends of the shared stretch for an overlap.
void MeetingParameters(Point2d a, Point2d b, Point2d c, Point2d d, std::vector<double>& out)
{
    const double rx = b.x - a.x, ry = b.y - a.y, sx = d.x - c.x, sy = d.y - c.y;
    const double rr = rx * rx + ry * ry, ss = sx * sx + sy * sy;
    if (rr == 0.0 || ss == 0.0)
        return;
    const double den = rx * sy - ry * sx;
    const double qx = c.x - a.x, qy = c.y - a.y;
    const double tol = kSameParameter;
    if (std::fabs(den) > tol * std::sqrt(rr * ss)) {
        const double t = (qx * sy - qy * sx) / den;
        const double u = (qx * ry - qy * rx) / den;
        if (t >= -tol && t <= 1.0 + tol && u >= -tol && u <= 1.0 + tol)
            out.push_back(std::clamp(t, 0.0, 1.0));
        return;
    }
    // Parallel: only a collinear edge meets it, along a stretch.
    if (std::fabs(qx * ry - qy * rx) > tol * rr + tol * std::sqrt(rr) * std::hypot(qx, qy))
        return;
    double t0 = (qx * rx + qy * ry) / rr;
    double t1 = ((d.x - a.x) * rx + (d.y - a.y) * ry) / rr;
    if (t0 > t1)
        std::swap(t0, t1);
    if (t1 < -tol || t0 > 1.0 + tol)
        return;
    out.push_back(std::clamp(t0, 0.0, 1.0));
    out.push_back(std::clamp(t1, 0.0, 1.0));
}

// Where each segment of the line meets another segment of it (the engine cuts a line there
// too), as parameters along that segment; adjacent segments meeting only at their common point
// do not count.
std::vector<std::vector<double>> SelfMeetings(const LineString2d& line)
{
    const size_t n = line.size() - 1;
    std::vector<std::vector<double>> cuts(n);
    std::vector<Extent> boxes(n);
    for (size_t i = 0; i < n; ++i)
        boxes[i] = ExtentOf(line[i], line[i + 1]);
    auto meet = [&](size_t i, size_t j) {
        if (i == j)
            return;
        std::vector<double> t;
        MeetingParameters(line[i], line[i + 1], line[j], line[j + 1], t);
        for (double u : t) {
            if ((j == i + 1 && u >= 1.0 - kSameParameter) || (i == j + 1 && u <= kSameParameter))
                continue;
            cuts[i].push_back(u);
        }
    };
    auto meets = [](const Extent& p, const Extent& q) {
        return p.minX <= q.maxX && q.minX <= p.maxX && p.minY <= q.maxY && q.minY <= p.maxY;
    };
    // A long line is gridded so that the check does not grow with the square of its length.
    constexpr size_t kBruteForceSegments = 32;
    if (n <= kBruteForceSegments) {
        for (size_t i = 0; i < n; ++i)
            for (size_t j = 0; j < n; ++j)
                if (meets(boxes[i], boxes[j]))
                    meet(i, j);
        return cuts;
    }
    double length = 0.0;
    for (size_t i = 0; i < n; ++i)
        length += std::hypot(line[i + 1].x - line[i].x, line[i + 1].y - line[i].y);
    const CellGrid grid(boxes, 2.0 * length / static_cast<double>(n),
                        [](size_t, const Extent&) { return true; });
    for (size_t i = 0; i < n; ++i)
        for (uint32_t j : grid.Near(boxes[i]))
            if (meets(boxes[i], boxes[j]))
                meet(i, j);
    return cuts;
}

} // namespace

PreparedRegion::PreparedRegion(const PlaneRegion& region) : m_region(&region)
{
    double length = 0.0;
    for (const RegionPolygon& polygon : region.Polygons()) {
        auto addRing = [&](const Ring& ring) {
            for (size_t i = 0; i < ring.size(); ++i) {
                const Point2d a = ring[i], b = ring[(i + 1) % ring.size()];
                if (a == b)
                    continue;
                m_edges.push_back({a, b});
                length += std::hypot(b.x - a.x, b.y - a.y);
            }
        };
        addRing(polygon.outer);
        for (const Ring& hole : polygon.holes)
            addRing(hole);
    }
    if (m_edges.empty())
        return;
    std::vector<Extent> boxes;
    boxes.reserve(m_edges.size());
    for (const Edge& e : m_edges)
        boxes.push_back(ExtentOf(e.a, e.b));
    const double cell = kCellEdgeLengths * length / static_cast<double>(m_edges.size());
    m_grid = CellGrid(boxes, cell, [&](size_t id, const Extent& c) {
        // A cell the edge passes through: its centre within half a diagonal of the edge.
        const Point2d centre{0.5 * (c.minX + c.maxX), 0.5 * (c.minY + c.maxY)};
        const double half = 0.5 * std::hypot(c.maxX - c.minX, c.maxY - c.minY);
        return PointSegmentDistance2(centre, m_edges[id].a, m_edges[id].b) <= half * half * (1.0 + 1e-9);
    });
}

template <class Dist2> double PreparedRegion::Nearest(const Extent& near, Dist2 dist2, double beyond) const
{
    if (m_grid.IsEmpty())
        return INFINITY;
    const Extent all = m_grid.Bounds();
    double reach = std::min(m_grid.Cell(), beyond);
    double best2 = INFINITY;
    const auto visit = [&](const Extent& box) {
        m_grid.Visit(box, [&](uint32_t id) { best2 = std::min(best2, dist2(m_edges[id])); });
    };
    Extent searched = near.Grown(reach);
    visit(searched);
    for (;;) {
        // Every edge within `reach` of the query has a point in the searched box, so is listed in
        // a cell the visits covered: a best distance up to `reach` is the least of all.
        const double best = std::sqrt(best2);
        const bool everything = searched.minX <= all.minX && searched.minY <= all.minY &&
                                searched.maxX >= all.maxX && searched.maxY >= all.maxY;
        if (best <= reach || everything || reach >= beyond)
            return best;
        reach = std::min(beyond, std::isfinite(best) ? best : 2.0 * reach);
        // Only the frame between the old box and the grown one is new.
        const Extent p = searched, n = near.Grown(reach);
        visit({n.minX, n.minY, n.maxX, p.minY});
        visit({n.minX, p.maxY, n.maxX, n.maxY});
        visit({n.minX, p.minY, p.minX, p.maxY});
        visit({p.maxX, p.minY, n.maxX, p.maxY});
        searched = n;
    }
}

double PreparedRegion::DistanceToBoundary(Point2d p) const
{
    if (m_region->IsEmpty())
        return INFINITY;
    return Nearest(ExtentOf(p, p), [&](const Edge& e) { return PointSegmentDistance2(p, e.a, e.b); });
}

double PreparedRegion::Distance(const LineString2d& line, double beyond) const
{
    if (m_region->IsEmpty() || line.size() < 2)
        return INFINITY;
    double best = INFINITY;
    for (size_t i = 0; i + 1 < line.size() && best > 0.0; ++i) {
        const Point2d a = line[i], b = line[i + 1];
        best = std::min(best, Nearest(
                                  ExtentOf(a, b),
                                  [&](const Edge& e) { return SegmentSegmentDistance2(a, b, e.a, e.b); },
                                  std::min(best, beyond)));
    }
    // Meeting no edge, the line lies wholly inside or wholly outside.
    if (best > 0.0 && m_region->Covers(line[0]))
        return 0.0;
    return best;
}

std::vector<LineString2d> PreparedRegion::PartsInside(const LineString2d& line) const
{
    std::vector<LineString2d> out;
    if (m_region->IsEmpty() || line.size() < 2)
        return out;
    LineString2d piece;
    auto finish = [&] {
        if (piece.size() >= 2)
            out.push_back(std::move(piece));
        piece.clear();
    };
    const std::vector<std::vector<double>> selfCuts = SelfMeetings(line);
    bool nodeAtStart = false; // the boundary or the line itself passes through the segment's start
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const Point2d a = line[i], b = line[i + 1];
        if (a == b)
            continue;
        std::vector<double> meet = selfCuts[i];
        m_grid.Visit(ExtentOf(a, b),
                     [&](uint32_t id) { MeetingParameters(a, b, m_edges[id].a, m_edges[id].b, meet); });
        std::sort(meet.begin(), meet.end());
        meet.erase(
            std::unique(meet.begin(), meet.end(), [](double p, double q) { return q - p <= kSameParameter; }),
            meet.end());
        const bool nodeAtEnd = !meet.empty() && meet.back() >= 1.0 - kSameParameter;
        if (!meet.empty() && meet.front() <= kSameParameter)
            nodeAtStart = true;
        // The stretches between the meeting points, each wholly inside or outside.
        std::vector<double> cuts{0.0};
        for (double t : meet)
            if (t > kSameParameter && t < 1.0 - kSameParameter)
                cuts.push_back(t);
        cuts.push_back(1.0);
        auto at = [&](double t) {
            return t <= 0.0 ? a : t >= 1.0 ? b : Point2d{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
        };
        for (size_t k = 0; k + 1 < cuts.size(); ++k) {
            const double t0 = cuts[k], t1 = cuts[k + 1];
            if (!m_region->Covers(at(0.5 * (t0 + t1)))) {
                finish();
                continue;
            }
            // A piece is cut where the boundary meets the line, even when it goes on inside.
            const bool node = k > 0 || nodeAtStart;
            if (node)
                finish();
            if (piece.empty())
                piece.push_back(at(t0));
            piece.push_back(at(t1));
        }
        nodeAtStart = nodeAtEnd;
    }
    finish();
    return out;
}

} // namespace velrok
