// A region of the plane (polygons with holes) and the few operations the swept area and the
// conflict checks need: union of convex pieces, outward offset, area, and queries against line
// strings. The geometry engine behind it (GEOS, reentrant C API) is seen by no other file.
#pragma once

#include "common/Point.h"
#include "output/CellGrid.h"

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace velrok {

using Ring = std::vector<Point2d>;       // closed implicitly: the last point is not repeated
using LineString2d = std::vector<Point2d>;

struct RegionPolygon {
    Ring outer;
    std::vector<Ring> holes;
};

// The engine refused an operation; the text is its own description.
class GeometryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class PlaneRegion {
  public:
    PlaneRegion(); // empty
    ~PlaneRegion();
    PlaneRegion(PlaneRegion&&) noexcept;
    PlaneRegion& operator=(PlaneRegion&&) noexcept;

    // The union of polygons, each a simple ring (convex ones are the case in point). Rings of
    // fewer than three points or of no area are left out. Throws GeometryError.
    static PlaneRegion UnionOf(const std::vector<Ring>& polygons);
    // Rebuilt from the polygons Polygons() gave.
    static PlaneRegion FromPolygons(const std::vector<RegionPolygon>& polygons);
    // The union of regions (each made in its own engine context, perhaps on another thread).
    // Throws GeometryError.
    static PlaneRegion Joined(const std::vector<PlaneRegion>& parts);

    // Offset outwards by `distance` (> 0), round corners.
    PlaneRegion Buffered(double distance) const;
    double Area() const;
    // The points in exactly one of the two regions.
    PlaneRegion SymDifference(const PlaneRegion& other) const;
    // The part inside the box: the engine looks only at the edges near it, however large the
    // region. Throws GeometryError.
    PlaneRegion ClippedTo(const Extent& box) const;
    bool IsEmpty() const;
    // Rings that are simple, do not cross one another, and holes inside their outer rings.
    bool IsValid() const;
    std::vector<RegionPolygon> Polygons() const;

    // Queries against a line string of at least two points.
    bool Intersects(const LineString2d& line) const;
    // The pieces of the line inside the region (boundary included), as line strings.
    std::vector<LineString2d> PartsInside(const LineString2d& line) const;
    // Shortest distance from the region to the line (0 when they meet), and the region's point
    // where it is reached.
    double Distance(const LineString2d& line) const;
    Point2d NearestPoint(const LineString2d& line) const;
    // Distance from a point to the region's boundary.
    double DistanceToBoundary(Point2d p) const;
    // The point lies in the region or on its boundary.
    bool Covers(Point2d p) const;

  private:
    struct Impl;
    explicit PlaneRegion(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m;
};

// A region's edges in a grid, for many queries against one large region: each distance or clip
// looks only at the edges near the line instead of every edge of the region. The answers are
// those of the region's own queries, to rounding. Keeps a pointer to the region, which must
// outlive it and stay unchanged.
class PreparedRegion {
  public:
    explicit PreparedRegion(const PlaneRegion& region);

    bool Intersects(const LineString2d& line) const { return m_region->Intersects(line); }
    // Exact when at most `beyond`; otherwise some value above `beyond` (the search stops there).
    double Distance(const LineString2d& line, double beyond = INFINITY) const;
    double DistanceToBoundary(Point2d p) const;
    // The pieces of the line inside the region (boundary included), in the line's direction, cut
    // wherever the line meets the boundary or itself, as the engine cuts them.
    std::vector<LineString2d> PartsInside(const LineString2d& line) const;

  private:
    struct Edge {
        Point2d a, b;
    };
    // The least distance over the edges (dist2: squared, from a geometry inside the box `near`),
    // looking outwards from `near` only as far as needed, and no farther than `beyond`.
    template <class Dist2> double Nearest(const Extent& near, Dist2 dist2, double beyond = INFINITY) const;

    const PlaneRegion* m_region;
    std::vector<Edge> m_edges;
    CellGrid m_grid;
};

} // namespace velrok
