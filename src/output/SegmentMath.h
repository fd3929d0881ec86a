// Small plane-geometry pieces the swept area, the prepared region and the conflict checks share.
#pragma once

#include "common/Point.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace velrok {

// Twice the signed area of o, a, b: positive when b lies to the left of o -> a.
inline double Cross(Point2d o, Point2d a, Point2d b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Points in order of x, then of y.
inline bool PointLess(Point2d a, Point2d b)
{
    return a.x < b.x || (a.x == b.x && a.y < b.y);
}

// Signed area of a closed ring (the last point not repeated): positive when counter-clockwise.
inline double SignedArea(const std::vector<Point2d>& ring)
{
    // Taken about the first point: rings far from 0 (survey coordinates) would otherwise lose
    // their area to the rounding of products of large coordinates.
    if (ring.empty())
        return 0.0;
    const Point2d o = ring.front();
    double a = 0.0;
    for (size_t i = 1; i + 1 < ring.size(); ++i) {
        const double px = ring[i].x - o.x, py = ring[i].y - o.y;
        const double qx = ring[i + 1].x - o.x, qy = ring[i + 1].y - o.y;
        a += px * qy - qx * py;
    }
    return 0.5 * a;
}

// Liang-Barsky: narrows [t0, t1] to the part of p + t*d inside the box [minX, maxX] x [minY, maxY];
// false when that part is empty.
inline bool ClipLineToBox(double minX, double minY, double maxX, double maxY, Point2d p, Point2d d, double& t0,
                          double& t1)
{
    auto slab = [&](double from, double dir, double lo, double hi) {
        if (dir == 0.0)
            return from >= lo && from <= hi;
        double a = (lo - from) / dir, c = (hi - from) / dir;
        if (a > c)
            std::swap(a, c);
        t0 = std::max(t0, a);
        t1 = std::min(t1, c);
        return t0 <= t1;
    };
    return slab(p.x, d.x, minX, maxX) && slab(p.y, d.y, minY, maxY);
}

// The part of the segment a-b between the heights y0 and y1 (a row of a grid): [t0, t1] within
// [0, 1]; false when there is none.
inline bool ClipSegmentToRow(Point2d a, Point2d b, double y0, double y1, double& t0, double& t1)
{
    t0 = 0.0;
    t1 = 1.0;
    return ClipLineToBox(-INFINITY, y0, INFINITY, y1, a, {b.x - a.x, b.y - a.y}, t0, t1);
}

// Squared distance from p to the segment a-b: one square root per answer, not one per edge.
inline double PointSegmentDistance2(Point2d p, Point2d a, Point2d b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = p.x - a.x - t * dx, ey = p.y - a.y - t * dy;
    return ex * ex + ey * ey;
}

} // namespace velrok
