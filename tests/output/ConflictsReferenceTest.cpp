// FindConflicts against a plain reference on a few hundred random obstacles and kerbs around a
// real run. The reference is the first, unindexed way of working it out: every hull scanned for
// the stations, the engine's own region queries for the pieces, distances and depth samples.
#include "output/Conflicts.h"
#include "output/DragAlongPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace velrok {
namespace {

double Cross(Point2d o, Point2d a, Point2d b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool InsideConvex(const Ring& ring, Point2d p)
{
    for (size_t i = 0; i < ring.size(); ++i)
        if (Cross(ring[i], ring[(i + 1) % ring.size()], p) < 0.0)
            return false;
    return true;
}

double PointSegmentDistance(Point2d p, Point2d a, Point2d b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

bool SegmentsCross(Point2d a, Point2d b, Point2d c, Point2d d)
{
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
}

// Distance from segment a-b to a convex ring (0 when they meet).
double SegmentHullDistance(const Ring& ring, Point2d a, Point2d b)
{
    if (InsideConvex(ring, a) || InsideConvex(ring, b))
        return 0.0;
    double best = INFINITY;
    for (size_t i = 0; i < ring.size(); ++i) {
        const Point2d c = ring[i], d = ring[(i + 1) % ring.size()];
        if (SegmentsCross(a, b, c, d))
            return 0.0;
        best = std::min({best, PointSegmentDistance(a, c, d), PointSegmentDistance(b, c, d),
                         PointSegmentDistance(c, a, b), PointSegmentDistance(d, a, b)});
    }
    return best;
}

double PointHullDistance(const Ring& ring, Point2d p)
{
    if (InsideConvex(ring, p))
        return 0.0;
    double best = INFINITY;
    for (size_t i = 0; i < ring.size(); ++i)
        best = std::min(best, PointSegmentDistance(p, ring[i], ring[(i + 1) % ring.size()]));
    return best;
}

struct Element {
    const host::ElementLines* lines = nullptr;
    Box box;
};

// First and last station of the hulls within `within` of the element, and a point of the element
// where the first one meets it. False when none does.
bool StationsOf(const std::vector<SweptHull>& hulls, const Element& e, double within, double& first,
                double& last, Point2d& marker)
{
    bool found = false;
    for (const SweptHull& h : hulls) {
        if (h.box.Distance(e.box) > within)
            continue;
        for (const LineString2d& line : e.lines->lines) {
            bool hit = false;
            for (size_t i = 0; i + 1 < line.size() && !hit; ++i) {
                Box seg;
                seg.Add(line[i]);
                seg.Add(line[i + 1]);
                if (seg.Distance(h.box) > within ||
                    SegmentHullDistance(h.ring, line[i], line[i + 1]) > within)
                    continue;
                hit = true;
                if (!found || h.station < first) {
                    // The middle of the segment's piece inside the hull, or its end nearest to it.
                    const Point2d d{line[i + 1].x - line[i].x, line[i + 1].y - line[i].y};
                    double t0 = 0.0, t1 = 1.0;
                    if (ClipToConvex(h.ring, line[i], d, t0, t1)) {
                        const double t = 0.5 * (t0 + t1);
                        marker = {line[i].x + t * d.x, line[i].y + t * d.y};
                    } else {
                        marker = PointHullDistance(h.ring, line[i]) <= PointHullDistance(h.ring, line[i + 1])
                                     ? line[i]
                                     : line[i + 1];
                    }
                }
            }
            if (!hit)
                continue;
            if (!found) {
                first = last = h.station;
                found = true;
            } else {
                first = std::min(first, h.station);
                last = std::max(last, h.station);
            }
            break;
        }
    }
    return found;
}

// The largest distance from the area's edge of points along the pieces.
double DepthOf(const PlaneRegion& area, const std::vector<LineString2d>& parts)
{
    double depth = 0.0;
    for (const LineString2d& part : parts) {
        for (size_t i = 0; i + 1 < part.size(); ++i) {
            const Point2d a = part[i], b = part[i + 1];
            const double len = std::hypot(b.x - a.x, b.y - a.y);
            const int n = std::clamp(static_cast<int>(std::ceil(len / kDepthSampleStep)), 1, 2000);
            for (int k = 0; k <= n; ++k) {
                const double t = static_cast<double>(k) / n;
                depth =
                    std::max(depth, area.DistanceToBoundary({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}));
            }
        }
    }
    return depth;
}

double DistanceOf(const PlaneRegion& area, const Element& e)
{
    double d = INFINITY;
    for (const LineString2d& line : e.lines->lines)
        d = std::min(d, area.Distance(line));
    return d;
}

bool IntersectsAny(const PlaneRegion& area, const Element& e)
{
    return std::any_of(e.lines->lines.begin(), e.lines->lines.end(),
                       [&](const LineString2d& line) { return area.Intersects(line); });
}

std::vector<LineString2d> PartsOf(const PlaneRegion& area, const Element& e)
{
    std::vector<LineString2d> parts;
    for (const LineString2d& line : e.lines->lines)
        for (LineString2d& p : area.PartsInside(line))
            parts.push_back(std::move(p));
    return parts;
}

// The station of the hull nearest to the region's point closest to the element.
double NearestStation(const std::vector<SweptHull>& hulls, const PlaneRegion& area, const Element& e)
{
    Point2d at;
    double best = INFINITY;
    for (const LineString2d& line : e.lines->lines) {
        const double d = area.Distance(line);
        if (d < best) {
            best = d;
            at = area.NearestPoint(line);
        }
    }
    double station = 0.0, nearest = INFINITY;
    for (const SweptHull& h : hulls) {
        Box p;
        p.Add(at);
        if (h.box.Distance(p) > nearest)
            continue;
        const double d = PointHullDistance(h.ring, at);
        if (d < nearest - 1e-9 || (d <= nearest + 1e-9 && h.station < station)) {
            nearest = std::min(nearest, d);
            station = h.station;
        }
    }
    return station;
}

Element Prepare(const host::ElementLines& lines)
{
    Element e{&lines, {}};
    for (const LineString2d& line : lines.lines)
        e.box.Add(BoxOf(line));
    return e;
}

Box BoxOfHulls(const std::vector<SweptHull>& hulls)
{
    Box b;
    for (const SweptHull& h : hulls)
        b.Add(h.box);
    return b;
}

ConflictResult ReferenceConflicts(const SweptArea& area, const PlaneRegion& clearanceEnvelope,
                                  double clearance, const std::vector<host::ElementLines>& obstacles,
                                  const std::vector<host::ElementLines>& kerbs)
{
    ConflictResult result;
    const Box bodyBox = BoxOfHulls(area.bodyHulls);
    const Box wheelBox = BoxOfHulls(area.wheelHulls);
    const double reach = std::max(clearance, 0.0) + kClearanceSearchReach;
    auto consider = [&](double distance, double station, const std::string& handle) {
        if (!result.least.found || distance < result.least.distance) {
            result.least = {true, distance, station, handle};
        }
    };
    auto add = [&](Conflict c, const Element& e, const std::vector<SweptHull>& hulls, double within) {
        for (const LineString2d& p : c.parts)
            c.box.Add(BoxOf(p));
        if (c.box.IsEmpty())
            c.box = e.box;
        if (!StationsOf(hulls, e, within, c.firstStation, c.lastStation, c.marker))
            c.marker = c.parts.empty() || c.parts.front().empty()
                           ? Point2d{e.box.minX, e.box.minY}
                           : c.parts.front()[c.parts.front().size() / 2];
        result.conflicts.push_back(std::move(c));
    };

    for (const host::ElementLines& lines : obstacles) {
        const Element e = Prepare(lines);
        if (e.box.IsEmpty() || e.box.Distance(bodyBox) > reach)
            continue;
        if (IntersectsAny(area.body, e)) {
            Conflict c;
            c.kind = ConflictClass::Obstacle;
            c.handle = lines.handle;
            c.parts = PartsOf(area.body, e);
            c.depth = DepthOf(area.body, c.parts);
            add(std::move(c), e, area.bodyHulls, 0.0);
            continue;
        }
        const double distance = DistanceOf(area.body, e);
        if (clearance > 0.0 && distance <= clearance && IntersectsAny(clearanceEnvelope, e)) {
            Conflict c;
            c.kind = ConflictClass::Clearance;
            c.handle = lines.handle;
            c.parts = PartsOf(clearanceEnvelope, e);
            c.depth = clearance - distance;
            c.leastClearance = distance;
            add(std::move(c), e, area.bodyHulls, clearance);
            continue;
        }
        if (distance <= reach && (!result.least.found || distance < result.least.distance))
            consider(distance, NearestStation(area.bodyHulls, area.body, e), lines.handle);
    }

    for (const host::ElementLines& lines : kerbs) {
        const Element e = Prepare(lines);
        if (e.box.IsEmpty() || (e.box.Distance(bodyBox) > reach && e.box.Distance(wheelBox) > reach))
            continue;
        if (IntersectsAny(area.wheels, e)) {
            Conflict c;
            c.kind = ConflictClass::Kerb;
            c.handle = lines.handle;
            c.parts = PartsOf(area.wheels, e);
            c.depth = DepthOf(area.wheels, c.parts);
            add(std::move(c), e, area.wheelHulls, 0.0);
            continue;
        }
        // The wheels are what must clear a kerb; the body may overhang it.
        double distance = DistanceOf(area.body, e);
        const bool overhung = distance == 0.0;
        if (overhung)
            distance = DistanceOf(area.wheels, e);
        if (distance <= reach && (!result.least.found || distance < result.least.distance))
            consider(distance,
                     overhung ? NearestStation(area.wheelHulls, area.wheels, e)
                              : NearestStation(area.bodyHulls, area.body, e),
                     lines.handle);
    }
    std::stable_sort(result.conflicts.begin(), result.conflicts.end(),
                     [](const Conflict& a, const Conflict& b) { return a.firstStation < b.firstStation; });
    return result;
}

constexpr double kPi = 3.141592653589793;

struct SampleRun {
    SweptArea area;
    PlaneRegion envelope;
    std::vector<Point2d> stations;
};

SampleRun RunOf(const std::vector<SegmentSpec>& units, int vType, const testing::PathBuilder& path)
{
    testing::NullMessages messages;
    const auto run = testing::DragAlongPath(units, path.Stations(), vType, messages);
    EXPECT_EQ(run.cannotFollow, 0);
    SweptFootprints f;
    for (size_t s = 0; s < run.corners.size(); ++s)
        for (size_t k = 0; k < units.size(); ++k)
            f.Add(k, run.track[s].station, run.corners[s][k], units[k]);
    SampleRun out;
    out.area = ComputeSweptArea(f, run.track, 20.0);
    out.envelope = out.area.body.Buffered(kDefaultClearance);
    out.stations = path.Stations();
    return out;
}

SampleRun SemiTrailerRun()
{
    testing::PathBuilder path({0.0, 0.0}, 0.2);
    path.Line(20.0).Arc(12.0, kPi / 2.0).Line(10.0).Arc(15.0, -0.6 * kPi).Line(20.0);
    return RunOf(testing::SemiTrailer(), 2, path);
}

// A truck turning back on itself: late hulls lie over early ones, so an element's first and last
// stations come from far apart in the run.
SampleRun TruckUTurnRun()
{
    testing::PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(15.0).Arc(9.0, kPi).Line(15.0);
    return RunOf(testing::Truck(), 1, path);
}

// Short lines and polylines (some closed) scattered within 8 units of the path.
std::vector<host::ElementLines> Scatter(const std::vector<Point2d>& path, int count, unsigned seed,
                                        const std::string& prefix)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> along(0, path.size() - 1);
    std::uniform_real_distribution<double> off(-8.0, 8.0), step(-1.5, 1.5);
    std::vector<host::ElementLines> out;
    for (int i = 0; i < count; ++i) {
        const Point2d c = path[along(random)];
        LineString2d line{{c.x + off(random), c.y + off(random)}};
        const int points = 2 + i % 3;
        for (int k = 1; k < points; ++k)
            line.push_back({line.back().x + step(random), line.back().y + step(random)});
        // A closed outline, like a post or a block's edge. (Not of two points: a line running back
        // over itself gives the doubled stretch twice, where the engine dissolves it into one.)
        if (i % 7 == 0 && points >= 3)
            line.push_back(line.front());
        host::ElementLines e{prefix + std::to_string(i), {line}};
        if (i % 11 == 0) // an element of two lines, like a block reference
            e.lines.push_back({{line[0].x + 1.0, line[0].y}, {line[0].x + 1.0, line[0].y + 2.0}});
        out.push_back(std::move(e));
    }
    return out;
}

// Every value is a distance or station that the two ways reach by the same steps on the same
// points (the same pieces, so the same depth samples): they differ by rounding only, which 1e-9
// of a drawing unit covers many times over.
constexpr double kSame = 1e-9;

void ExpectSameAsFullScan(const SampleRun& run, unsigned seed)
{
    const auto obstacles = Scatter(run.stations, 300, seed, "O");
    const auto kerbs = Scatter(run.stations, 200, seed + 12, "K");
    const ConflictResult fast = FindConflicts(run.area, run.envelope, kDefaultClearance, obstacles, kerbs);
    const ConflictResult ref =
        ReferenceConflicts(run.area, run.envelope, kDefaultClearance, obstacles, kerbs);

    ASSERT_EQ(fast.conflicts.size(), ref.conflicts.size());
    int counts[3] = {0, 0, 0};
    for (size_t i = 0; i < ref.conflicts.size(); ++i) {
        const Conflict& a = fast.conflicts[i];
        const Conflict& b = ref.conflicts[i];
        SCOPED_TRACE(::testing::Message() << "conflict " << i << " " << b.handle);
        EXPECT_EQ(a.handle, b.handle);
        EXPECT_EQ(a.kind, b.kind);
        EXPECT_NEAR(a.firstStation, b.firstStation, kSame);
        EXPECT_NEAR(a.lastStation, b.lastStation, kSame);
        EXPECT_NEAR(a.depth, b.depth, kSame);
        EXPECT_NEAR(a.leastClearance, b.leastClearance, kSame);
        EXPECT_NEAR(a.marker.x, b.marker.x, kSame);
        EXPECT_NEAR(a.marker.y, b.marker.y, kSame);
        ASSERT_EQ(a.parts.size(), b.parts.size());
        for (size_t p = 0; p < a.parts.size(); ++p)
            EXPECT_EQ(a.parts[p].size(), b.parts[p].size());
        EXPECT_NEAR(a.box.minX, b.box.minX, kSame);
        EXPECT_NEAR(a.box.maxY, b.box.maxY, kSame);
        ++counts[static_cast<int>(b.kind)];
    }
    // The scatter must reach every class and leave some elements clear, or the comparison is idle.
    EXPECT_GT(counts[static_cast<int>(ConflictClass::Kerb)], 10);
    EXPECT_GT(counts[static_cast<int>(ConflictClass::Obstacle)], 10);
    EXPECT_GT(counts[static_cast<int>(ConflictClass::Clearance)], 3);
    EXPECT_LT(ref.conflicts.size(), obstacles.size() + kerbs.size());
    ASSERT_EQ(fast.least.found, ref.least.found);
    EXPECT_EQ(fast.least.handle, ref.least.handle);
    EXPECT_NEAR(fast.least.distance, ref.least.distance, kSame);
    EXPECT_NEAR(fast.least.station, ref.least.station, kSame);
}

TEST(ConflictsReference, IndexedChecksGiveTheResultsOfTheFullScan)
{
    ExpectSameAsFullScan(SemiTrailerRun(), 17);
}

TEST(ConflictsReference, IndexedChecksGiveTheResultsOfTheFullScanOnAUTurn)
{
    ExpectSameAsFullScan(TruckUTurnRun(), 53);
}

// The least clearance alone, element by element: the nearest one of each pair decides, so each
// element's own distance and station are compared, not just the winner's.
TEST(ConflictsReference, LeastClearanceOfEachClearElement)
{
    const SampleRun run = SemiTrailerRun();
    const auto obstacles = Scatter(run.stations, 120, 41, "O");
    int compared = 0;
    for (const host::ElementLines& e : obstacles) {
        const ConflictResult fast = FindConflicts(run.area, run.envelope, kDefaultClearance, {e}, {e});
        const ConflictResult ref = ReferenceConflicts(run.area, run.envelope, kDefaultClearance, {e}, {e});
        SCOPED_TRACE(e.handle);
        ASSERT_EQ(fast.conflicts.size(), ref.conflicts.size());
        ASSERT_EQ(fast.least.found, ref.least.found);
        if (!ref.least.found)
            continue;
        EXPECT_NEAR(fast.least.distance, ref.least.distance, kSame);
        EXPECT_NEAR(fast.least.station, ref.least.station, kSame);
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

} // namespace
} // namespace velrok
