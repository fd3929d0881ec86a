// A region of the plane (polygons with holes) and the few operations the swept area and the
// conflict checks need: union of convex pieces, outward offset, area, and queries against line
// strings. The geometry engine behind it (GEOS, reentrant C API) is seen by no other file.
#pragma once

#include "common/Point.h"

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

    // Offset outwards by `distance` (> 0), round corners.
    PlaneRegion Buffered(double distance) const;
    double Area() const;
    bool IsEmpty() const;
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

  private:
    struct Impl;
    explicit PlaneRegion(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m;
};

} // namespace velrok
