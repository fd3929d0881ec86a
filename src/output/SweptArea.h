// The swept area of a run as polygons: the union of every unit's body outline over the whole run
// and the union of the tyre footprints, each between consecutive stations covered by the convex
// hull of the two positions, so that nothing between stations is missed.
#pragma once

#include "output/PlaneRegion.h"
#include "output/SegmentCorners.h"
#include "geometry/SweepTypes.h"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace velrok {

// Positions closer than this are one: the translation runs merged into one hull are exact to it.
inline constexpr double kSweptMergeTolerance = 1e-7;
inline constexpr int kTyreOutlinePoints = 8;

// An axis-aligned box; empty until a point is added.
struct Box {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();

    void Add(Point2d p);
    void Add(const Box& b);
    bool IsEmpty() const { return minX > maxX; }
    // Shortest distance between the boxes (0 when they overlap).
    double Distance(const Box& b) const;
};
Box BoxOf(const std::vector<Point2d>& points);

using TyreOutline = std::array<Point2d, kTyreOutlinePoints>;

// One unit at one station: its body corners (front left, front right, rear right, rear left) and
// the outlines of the tyres it computes.
struct UnitPose {
    double station = 0.0;
    std::array<Point2d, 4> body{};
    std::array<TyreOutline, 4> tyres{};
    uint8_t tyreCount = 0;
};

// Every unit's poses in run order, kept by the run for the swept area.
struct SweptFootprints {
    std::vector<std::vector<UnitPose>> byUnit;

    // Records unit `unit` at `station` from its outline; an all-zero outline (a failed corner
    // computation) is not recorded.
    void Add(size_t unit, double station, const SegmentCorners& corners, const SegmentSpec& spec);
    void Clear() { byUnit.clear(); }
    bool IsEmpty() const;
};

// A convex piece of a swept area and the station at which the vehicle has covered it.
struct SweptHull {
    Ring ring;    // the convex hull of the positions, counter-clockwise: for locating stations
    Ring outline; // what the union takes: the hull with the notch a turning edge leaves
    Box box;
    double station = 0.0;
};

// Cyrus-Beck: narrows [t0, t1] to the part of p + t*d inside a counter-clockwise convex ring;
// false when that part is empty.
bool ClipToConvex(const Ring& ring, Point2d p, Point2d d, double& t0, double& t1);

// Convex hull, counter-clockwise, collinear points dropped.
Ring ConvexHull(std::vector<Point2d> points);

// The hulls of the body (wheels = false) or of every tyre (true) between consecutive stations of
// each unit, each with the later station. With `merge`, stretches of pure straight translation
// are one hull (exact for a convex outline moving along a line), with the stretch's last station.
std::vector<SweptHull> SweptHulls(const SweptFootprints& footprints, bool wheels, bool merge);
// The same hulls track by track: one list per unit body, or per tyre of each unit, in the order
// SweptHulls lists them.
std::vector<std::vector<SweptHull>> SweptHullTracks(const SweptFootprints& footprints, bool wheels, bool merge);

// Both at once, as the swept area needs them, each piece made and kept once: `steps` as
// SweptHulls(merge = false) lists them, but each with its outline only where that is not its ring;
// `mergedTracks` the outlines of the pieces SweptHullTracks(merge = true) gives, track by track
// (what the unions take), pointing into `steps` and into `merged`, which holds the outlines of the
// pieces of more than one step. Moved, the pointers stay good; copied, they would not.
struct SweptHullLists {
    std::vector<SweptHull> steps;
    std::vector<Ring> merged;
    std::vector<std::vector<const Ring*>> mergedTracks;

    SweptHullLists() = default;
    SweptHullLists(SweptHullLists&&) = default;
    SweptHullLists& operator=(SweptHullLists&&) = default;
    SweptHullLists(const SweptHullLists&) = delete;
    SweptHullLists& operator=(const SweptHullLists&) = delete;
};
SweptHullLists BuildSweptHulls(const SweptFootprints& footprints, bool wheels);

struct SweptArea {
    PlaneRegion body, wheels;
    // One per station step, for locating stations: hull, box and station (no outline).
    std::vector<SweptHull> bodyHulls, wheelHulls;
    double bodyArea = 0.0;  // square drawing units
    double wheelArea = 0.0;
    double maxWidth = 0.0;  // widest cut of the body area square to the path
};

// `reach`: how far from the path the vehicle can extend (the diagonal of its length and widest
// unit). Throws GeometryError when the engine fails.
SweptArea ComputeSweptArea(const SweptFootprints& footprints, const std::vector<PathTrackEntry>& track,
                           double reach);
// The same on up to `threads` threads (at least one); the plain call uses the machine's cores.
SweptArea ComputeSweptArea(const SweptFootprints& footprints, const std::vector<PathTrackEntry>& track,
                           double reach, unsigned threads);

// The width of the body hulls along the line through each station square to the path (farthest
// left to farthest right crossing, within `reach` of the path point); the largest one.
double MaxSweptWidth(const std::vector<SweptHull>& bodyHulls, const std::vector<PathTrackEntry>& track,
                     double reach);
// The width of each of those cuts, one per track point but the last (0 where no hull meets it).
std::vector<double> SweptCutWidths(const std::vector<SweptHull>& bodyHulls, const std::vector<PathTrackEntry>& track,
                                   double reach);

} // namespace velrok
