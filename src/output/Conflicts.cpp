// Conflicts: which elements the vehicle meets, where along the run, and how deep.
#include "output/Conflicts.h"
#include "output/SegmentMath.h"

#include "common/NumberText.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace velrok {

namespace {

bool InsideConvex(const Ring& ring, Point2d p)
{
    for (size_t i = 0; i < ring.size(); ++i)
        if (Cross(ring[i], ring[i + 1 == ring.size() ? 0 : i + 1], p) < 0.0)
            return false;
    return true;
}

double PointSegmentDistance(Point2d p, Point2d a, Point2d b)
{
    return std::sqrt(PointSegmentDistance2(p, a, b)); // not hypot: this runs in the inner loops
}

// Whether two boxes lie within `d` of each other, without a square root.
bool BoxesWithin(const Box& a, const Box& b, double d)
{
    const double dx = std::max(0.0, std::max(b.minX - a.maxX, a.minX - b.maxX));
    const double dy = std::max(0.0, std::max(b.minY - a.maxY, a.minY - b.maxY));
    return dx * dx + dy * dy <= d * d;
}

bool SegmentsCross(Point2d a, Point2d b, Point2d c, Point2d d)
{
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
}

// Whether segment a-b comes within `within` of a convex ring, without square roots.
bool SegmentHullWithin(const Ring& ring, Point2d a, Point2d b, double within)
{
    if (InsideConvex(ring, a) || InsideConvex(ring, b))
        return true;
    auto d2 = [](Point2d p, Point2d u, Point2d v) {
        const double dx = v.x - u.x, dy = v.y - u.y;
        const double len2 = dx * dx + dy * dy;
        const double t =
            len2 > 0.0 ? std::clamp(((p.x - u.x) * dx + (p.y - u.y) * dy) / len2, 0.0, 1.0) : 0.0;
        const double ex = p.x - u.x - t * dx, ey = p.y - u.y - t * dy;
        return ex * ex + ey * ey;
    };
    const double w2 = within * within;
    for (size_t i = 0; i < ring.size(); ++i) {
        const Point2d c = ring[i], d = ring[i + 1 == ring.size() ? 0 : i + 1];
        if (SegmentsCross(a, b, c, d) || d2(a, c, d) <= w2 || d2(b, c, d) <= w2 || d2(c, a, b) <= w2 ||
            d2(d, a, b) <= w2)
            return true;
    }
    return false;
}

double PointHullDistance(const Ring& ring, Point2d p)
{
    if (InsideConvex(ring, p))
        return 0.0;
    double best = INFINITY;
    for (size_t i = 0; i < ring.size(); ++i)
        best = std::min(best, PointSegmentDistance(p, ring[i], ring[i + 1 == ring.size() ? 0 : i + 1]));
    return best;
}

// An indexed distance above this (drawing units, far beyond its rounding) means the element
// misses the area; at or below it the engine's exact test decides.
constexpr double kTouchDoubt = 1e-9;

struct Element {
    const host::ElementLines* lines = nullptr;
    Box box;
};

Extent ExtentOf(const Box& b)
{
    return {b.minX, b.minY, b.maxX, b.maxY};
}

// A hull's extent across and along its longest edge: a rectangle hugging a slanted hull far
// closer than its box, so that most hulls near an element but clear of it fail a cheap test.
struct Slab {
    Point2d u;
    double u0 = 0.0, u1 = 0.0, v0 = 0.0, v1 = 0.0;

    explicit Slab(const Ring& ring)
    {
        double longest = -1.0;
        for (size_t i = 0; i < ring.size(); ++i) {
            const Point2d a = ring[i], b = ring[i + 1 == ring.size() ? 0 : i + 1];
            const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
            if (len2 > longest) {
                longest = len2;
                u = {dx, dy};
            }
        }
        const double len = std::sqrt(std::max(longest, 0.0));
        u = len > 0.0 ? Point2d{u.x / len, u.y / len} : Point2d{1.0, 0.0};
        u0 = v0 = INFINITY;
        u1 = v1 = -INFINITY;
        for (Point2d p : ring) {
            const double pu = p.x * u.x + p.y * u.y, pv = p.y * u.x - p.x * u.y;
            u0 = std::min(u0, pu);
            u1 = std::max(u1, pu);
            v0 = std::min(v0, pv);
            v1 = std::max(v1, pv);
        }
    }
    // False only when segment a-b lies more than `within` off the rectangle along u or v.
    bool MayMeet(Point2d a, Point2d b, double within) const
    {
        // A little slack, so rounding never parts what the exact test would join.
        const double w =
            within + 1e-9 * (1.0 + std::fabs(u0) + std::fabs(u1) + std::fabs(v0) + std::fabs(v1));
        const double au = a.x * u.x + a.y * u.y, bu = b.x * u.x + b.y * u.y;
        if (std::max(au, bu) < u0 - w || std::min(au, bu) > u1 + w)
            return false;
        const double av = a.y * u.x - a.x * u.y, bv = b.y * u.x - b.x * u.y;
        return !(std::max(av, bv) < v0 - w || std::min(av, bv) > v1 + w);
    }
};

// The hulls of one area in a grid: an element far from all of them is dropped at once, and the
// station searches look only at the hulls near it. Holds scratch space for its searches, so one
// index serves one thread.
class HullIndex {
  public:
    // `reach`: the farthest any AnyWithin asks about.
    HullIndex(const std::vector<SweptHull>& hulls, double reach) : m_hulls(&hulls), m_reach(reach)
    {
        std::vector<Extent> boxes;
        boxes.reserve(hulls.size());
        double size = 0.0;
        for (const SweptHull& h : hulls) {
            boxes.push_back(ExtentOf(h.box));
            size += std::max(h.box.maxX - h.box.minX, h.box.maxY - h.box.minY);
        }
        // Cells about the size of a hull: each hull in a few cells, a few hulls in each cell.
        const double cell = hulls.empty() ? 1.0 : size / static_cast<double>(hulls.size());
        m_grid = CellGrid(boxes, cell, [](size_t, const Extent&) { return true; });
        m_seen.assign(hulls.size(), 0);
        m_slabs.reserve(hulls.size());
        for (const SweptHull& h : hulls)
            m_slabs.emplace_back(h.ring);
        BuildReachMask(boxes);
    }

    const std::vector<SweptHull>& Hulls() const { return *m_hulls; }
    const Slab& SlabOf(uint32_t hull) const { return m_slabs[hull]; }

    // The hulls whose box lies within `within` of `box`, in run order.
    std::vector<uint32_t> Near(const Box& box, double within) const
    {
        std::vector<uint32_t> ids;
        if (++m_round == 0) { // the stamps wrapped round: start them afresh
            std::fill(m_seen.begin(), m_seen.end(), 0);
            m_round = 1;
        }
        m_grid.Visit(ExtentOf(box).Grown(within), [&](uint32_t i) {
            if (m_seen[i] == m_round)
                return;
            m_seen[i] = m_round;
            if (BoxesWithin((*m_hulls)[i].box, box, within))
                ids.push_back(i);
        });
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    // Whether some hull's box lies within `within` (at most the reach given) of `box`.
    bool AnyWithin(const Box& box, double within) const
    {
        if (!MaybeWithinReach(box))
            return false;
        return m_grid.Any(ExtentOf(box).Grown(within),
                          [&](uint32_t i) { return BoxesWithin((*m_hulls)[i].box, box, within); });
    }

    Extent Bounds() const { return m_grid.Bounds(); }

  private:
    // A coarse bitmap of the cells that may lie within the reach of some hull box: each box's
    // cells, widened by the reach in whole cells. Most far elements need one look at it.
    void BuildReachMask(const std::vector<Extent>& boxes)
    {
        Extent all;
        for (const Extent& e : boxes) {
            all.Add(e.minX, e.minY);
            all.Add(e.maxX, e.maxY);
        }
        if (all.IsEmpty())
            return;
        m_maskCell = std::max(m_reach / 4.0, 1e-3);
        const int r = static_cast<int>(std::ceil(m_reach / m_maskCell)) + 1;
        m_maskX0 = all.minX - (r + 1) * m_maskCell;
        m_maskY0 = all.minY - (r + 1) * m_maskCell;
        m_maskW = static_cast<int>((all.maxX - m_maskX0) / m_maskCell) + r + 2;
        m_maskH = static_cast<int>((all.maxY - m_maskY0) / m_maskCell) + r + 2;
        if (static_cast<double>(m_maskW) * m_maskH > kMaxGridCells) { // too fine: no mask, every box passes
            m_maskW = m_maskH = 0;
            return;
        }
        std::vector<uint8_t> hit(static_cast<size_t>(m_maskW) * m_maskH, 0);
        for (const Extent& e : boxes)
            for (int j = MaskY(e.minY); j <= MaskY(e.maxY); ++j)
                for (int i = MaskX(e.minX); i <= MaskX(e.maxX); ++i)
                    hit[static_cast<size_t>(j) * m_maskW + i] = 1;
        // Widen by the reach, round: cell (x, y) is kept when a hit cell (x + dx, y + dy) may hold
        // a point within the reach of one of its own, i.e. when the cells' nearest points are,
        // (|dx| - 1, |dy| - 1) cells apart at the least. Row sums make each row offset one look.
        const size_t w1 = static_cast<size_t>(m_maskW) + 1;
        std::vector<int> sums(static_cast<size_t>(m_maskH) * w1, 0);
        for (int y = 0; y < m_maskH; ++y)
            for (int x = 0; x < m_maskW; ++x)
                sums[y * w1 + x + 1] = sums[y * w1 + x] + hit[static_cast<size_t>(y) * m_maskW + x];
        const double cells = m_reach / m_maskCell;
        std::vector<int> halfWidth(static_cast<size_t>(2 * r + 1), -1);
        for (int dy = -r; dy <= r; ++dy) {
            const double gap = std::max(0, std::abs(dy) - 1);
            const double rest = cells * cells - gap * gap;
            if (rest >= 0.0)
                halfWidth[dy + r] = std::min(r, 1 + static_cast<int>(std::floor(std::sqrt(rest))));
        }
        std::vector<uint8_t> out(hit.size(), 0);
        for (int y = 0; y < m_maskH; ++y)
            for (int x = 0; x < m_maskW; ++x)
                for (int dy = -r; dy <= r && !out[static_cast<size_t>(y) * m_maskW + x]; ++dy) {
                    const int row = y + dy, w = halfWidth[dy + r];
                    if (row < 0 || row >= m_maskH || w < 0)
                        continue;
                    const int lo = std::max(0, x - w), hi = std::min(m_maskW - 1, x + w);
                    if (sums[row * w1 + hi + 1] - sums[row * w1 + lo] > 0)
                        out[static_cast<size_t>(y) * m_maskW + x] = 1;
                }
        hit.swap(out);
        m_mask.swap(hit);
    }
    int MaskX(double x) const
    {
        return static_cast<int>(std::clamp(std::floor((x - m_maskX0) / m_maskCell), 0.0, m_maskW - 1.0));
    }
    int MaskY(double y) const
    {
        return static_cast<int>(std::clamp(std::floor((y - m_maskY0) / m_maskCell), 0.0, m_maskH - 1.0));
    }
    bool MaybeWithinReach(const Box& box) const
    {
        if (m_maskW == 0)
            return true;
        for (int j = MaskY(box.minY); j <= MaskY(box.maxY); ++j)
            for (int i = MaskX(box.minX); i <= MaskX(box.maxX); ++i)
                if (m_mask[static_cast<size_t>(j) * m_maskW + i])
                    return true;
        return false;
    }

    const std::vector<SweptHull>* m_hulls;
    std::vector<Slab> m_slabs;
    double m_reach;
    CellGrid m_grid;
    mutable std::vector<uint32_t> m_seen; // the search round that last met each hull
    mutable uint32_t m_round = 0;
    std::vector<uint8_t> m_mask;
    double m_maskX0 = 0.0, m_maskY0 = 0.0, m_maskCell = 1.0;
    int m_maskW = 0, m_maskH = 0;
};

// Whether the hull lies within `within` of the element; if so, `marker` is the middle of the
// piece of the element's first such segment inside the hull, or that segment's end nearest to it.
bool Meets(const SweptHull& h, const Slab& slab, const Element& e, double within, Point2d& marker)
{
    if (!BoxesWithin(h.box, e.box, within))
        return false;
    for (const LineString2d& line : e.lines->lines) {
        for (size_t i = 0; i + 1 < line.size(); ++i) {
            Box seg;
            seg.Add(line[i]);
            seg.Add(line[i + 1]);
            if (!BoxesWithin(seg, h.box, within) || !slab.MayMeet(line[i], line[i + 1], within))
                continue;
            // A segment reaching into the hull is a hit without a distance.
            const Point2d d{line[i + 1].x - line[i].x, line[i + 1].y - line[i].y};
            double t0 = 0.0, t1 = 1.0;
            if (ClipToConvex(h.ring, line[i], d, t0, t1)) {
                const double t = 0.5 * (t0 + t1);
                marker = {line[i].x + t * d.x, line[i].y + t * d.y};
                return true;
            }
            // Missing the closed hull, the segment is clear of it; only a clearance asks how far.
            if (within <= 0.0 || !SegmentHullWithin(h.ring, line[i], line[i + 1], within))
                continue;
            marker = PointHullDistance(h.ring, line[i]) <= PointHullDistance(h.ring, line[i + 1])
                         ? line[i]
                         : line[i + 1];
            return true;
        }
    }
    return false;
}

// First and last station of the hulls within `within` of the element, and a point of the element
// where the first one meets it (of several hulls at that station, the earliest in run order).
// False when none does. The nearby hulls are tried by station from each end, so only the first
// meeting one on each side is worked out in full.
bool StationsOf(const HullIndex& index, const Element& e, double within, double& first, double& last,
                Point2d& marker)
{
    const std::vector<SweptHull>& hulls = index.Hulls();
    std::vector<uint32_t> near = index.Near(e.box, within);
    std::sort(near.begin(), near.end(), [&](uint32_t a, uint32_t b) {
        return hulls[a].station < hulls[b].station || (hulls[a].station == hulls[b].station && a < b);
    });
    size_t lo = 0;
    while (lo < near.size() && !Meets(hulls[near[lo]], index.SlabOf(near[lo]), e, within, marker))
        ++lo;
    if (lo == near.size())
        return false;
    first = last = hulls[near[lo]].station;
    Point2d unused;
    for (size_t hi = near.size(); hi-- > lo + 1;)
        if (Meets(hulls[near[hi]], index.SlabOf(near[hi]), e, within, unused)) {
            last = hulls[near[hi]].station;
            break;
        }
    return true;
}

// The largest distance from the area's edge of points along the pieces.
double DepthOf(const PreparedRegion& area, const std::vector<LineString2d>& parts)
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

// Exact up to `beyond`; above it, some distance above it.
double DistanceOf(const PreparedRegion& area, const Element& e, double beyond)
{
    double d = INFINITY;
    for (const LineString2d& line : e.lines->lines)
        d = std::min(d, area.Distance(line, beyond));
    return d;
}

bool IntersectsAny(const PreparedRegion& area, const Element& e)
{
    return std::any_of(e.lines->lines.begin(), e.lines->lines.end(),
                       [&](const LineString2d& line) { return area.Intersects(line); });
}

std::vector<LineString2d> PartsOf(const PreparedRegion& area, const Element& e)
{
    std::vector<LineString2d> parts;
    for (const LineString2d& line : e.lines->lines)
        for (LineString2d& p : area.PartsInside(line))
            parts.push_back(std::move(p));
    return parts;
}

// The station of the hull nearest to the region's point closest to the element; of the hulls
// equally near (to 1e-9), the earliest.
double NearestStation(const HullIndex& index, const PlaneRegion& area, const Element& e)
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
    Box p;
    p.Add(at);
    // The point lies on the area's edge, so on or next to some hull: look ever wider around it
    // until the nearest hull found is nearer than the search reach, with room for the ties.
    const Extent all = index.Bounds();
    double reach = 1e-6;
    for (;;) {
        double station = 0.0, nearest = INFINITY;
        for (uint32_t id : index.Near(p, reach)) {
            const SweptHull& h = index.Hulls()[id];
            if (h.box.Distance(p) > nearest)
                continue;
            const double d = PointHullDistance(h.ring, at);
            if (d < nearest - 1e-9 || (d <= nearest + 1e-9 && h.station < station)) {
                nearest = std::min(nearest, d);
                station = h.station;
            }
        }
        const Extent searched = ExtentOf(p).Grown(reach);
        const bool everything = searched.minX <= all.minX && searched.minY <= all.minY &&
                                searched.maxX >= all.maxX && searched.maxY >= all.maxY;
        if (nearest + 1e-6 <= reach || everything)
            return station;
        reach = std::isfinite(nearest) ? nearest + 1e-6 : 4.0 * reach + 1.0;
    }
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

// A region's prepared companion, made on first use: a run without kerbs never prepares the
// wheel area.
class LazyPrepared {
  public:
    explicit LazyPrepared(const PlaneRegion& region) : m_region(&region) {}
    const PreparedRegion& operator*()
    {
        if (!m_prepared)
            m_prepared = std::make_unique<PreparedRegion>(*m_region);
        return *m_prepared;
    }

  private:
    const PlaneRegion* m_region;
    std::unique_ptr<PreparedRegion> m_prepared;
};

} // namespace

const char* ConflictClassName(ConflictClass c)
{
    switch (c) {
    case ConflictClass::Kerb:
        return "kerb";
    case ConflictClass::Clearance:
        return "clearance";
    default:
        return "obstacle";
    }
}

ConflictResult FindConflicts(const SweptArea& area, const PlaneRegion& clearanceEnvelope, double clearance,
                             const std::vector<host::ElementLines>& obstacles,
                             const std::vector<host::ElementLines>& kerbs)
{
    ConflictResult result;
    const Box bodyBox = BoxOfHulls(area.bodyHulls);
    const Box wheelBox = BoxOfHulls(area.wheelHulls);
    const double reach = std::max(clearance, 0.0) + kClearanceSearchReach;
    if (obstacles.empty() && kerbs.empty())
        return result;
    // The wheel hulls are indexed only for kerbs.
    const std::vector<SweptHull> noHulls;
    const HullIndex bodyIndex(area.bodyHulls, reach);
    const HullIndex wheelIndex(kerbs.empty() ? noHulls : area.wheelHulls, reach);
    LazyPrepared body(area.body), wheels(area.wheels), envelope(clearanceEnvelope);
    auto consider = [&](double distance, double station, const std::string& handle) {
        if (!result.least.found || distance < result.least.distance) {
            result.least = {true, distance, station, handle};
        }
    };
    auto add = [&](Conflict c, const Element& e, const HullIndex& hulls, double within) {
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

    // The area lies inside its hulls' boxes, so an element farther than `reach` from all of them
    // neither conflicts nor counts for the least clearance.
    for (const host::ElementLines& lines : obstacles) {
        const Element e = Prepare(lines);
        if (e.box.IsEmpty() || e.box.Distance(bodyBox) > reach || !bodyIndex.AnyWithin(e.box, reach))
            continue;
        // The indexed distance settles most elements; the engine decides the touching ones.
        const double distance = DistanceOf(*body, e, reach);
        if (distance <= kTouchDoubt && IntersectsAny(*body, e)) {
            Conflict c;
            c.kind = ConflictClass::Obstacle;
            c.handle = lines.handle;
            c.parts = PartsOf(*body, e);
            c.depth = DepthOf(*body, c.parts);
            add(std::move(c), e, bodyIndex, 0.0);
            continue;
        }
        if (clearance > 0.0 && distance <= clearance && IntersectsAny(*envelope, e)) {
            Conflict c;
            c.kind = ConflictClass::Clearance;
            c.handle = lines.handle;
            c.parts = PartsOf(*envelope, e);
            c.depth = clearance - distance;
            c.leastClearance = distance;
            add(std::move(c), e, bodyIndex, clearance);
            continue;
        }
        if (distance <= reach && (!result.least.found || distance < result.least.distance))
            consider(distance, NearestStation(bodyIndex, area.body, e), lines.handle);
    }

    for (const host::ElementLines& lines : kerbs) {
        const Element e = Prepare(lines);
        if (e.box.IsEmpty() || (e.box.Distance(bodyBox) > reach && e.box.Distance(wheelBox) > reach))
            continue;
        if (!bodyIndex.AnyWithin(e.box, reach) && !wheelIndex.AnyWithin(e.box, reach))
            continue;
        const double wheelDistance = DistanceOf(*wheels, e, reach);
        if (wheelDistance <= kTouchDoubt && IntersectsAny(*wheels, e)) {
            Conflict c;
            c.kind = ConflictClass::Kerb;
            c.handle = lines.handle;
            c.parts = PartsOf(*wheels, e);
            c.depth = DepthOf(*wheels, c.parts);
            add(std::move(c), e, wheelIndex, 0.0);
            continue;
        }
        // The wheels are what must clear a kerb; the body may overhang it.
        double distance = DistanceOf(*body, e, reach);
        const bool overhung = distance == 0.0;
        if (overhung)
            distance = wheelDistance;
        if (distance <= reach && (!result.least.found || distance < result.least.distance))
            consider(distance,
                     overhung ? NearestStation(wheelIndex, area.wheels, e)
                              : NearestStation(bodyIndex, area.body, e),
                     lines.handle);
    }
    std::stable_sort(result.conflicts.begin(), result.conflicts.end(),
                     [](const Conflict& a, const Conflict& b) { return a.firstStation < b.firstStation; });
    return result;
}

std::string ConflictReportLine(const ConflictResult& result, char sep)
{
    if (result.conflicts.empty()) {
        if (!result.least.found)
            return "Conflicts: none";
        return "Conflicts: none, least clearance " +
               FormatNumber(RoundHalfEven(result.least.distance, 2), sep) + " at station " +
               FormatNumber(RoundHalfEven(result.least.station, 1), sep);
    }
    int counts[3] = {0, 0, 0};
    double first = result.conflicts.front().firstStation;
    for (const Conflict& c : result.conflicts) {
        ++counts[static_cast<int>(c.kind)];
        first = std::min(first, c.firstStation);
    }
    std::string classes;
    for (ConflictClass k : {ConflictClass::Kerb, ConflictClass::Obstacle, ConflictClass::Clearance}) {
        const int n = counts[static_cast<int>(k)];
        if (n == 0)
            continue;
        classes += (classes.empty() ? "" : ", ") + std::to_string(n) + " " + ConflictClassName(k);
    }
    return "Conflicts: " + std::to_string(result.conflicts.size()) + " (" + classes + "), first at station " +
           FormatNumber(RoundHalfEven(first, 1), sep);
}

std::vector<ConflictRow> ConflictRows(const ConflictResult& result)
{
    std::vector<ConflictRow> rows;
    for (const Conflict& c : result.conflicts)
        rows.push_back({ConflictClassName(c.kind), c.handle, c.firstStation, c.lastStation, c.depth,
                        c.leastClearance, c.box});
    return rows;
}

std::vector<std::string> LevelsFromSetting(const std::string& setting)
{
    std::vector<std::string> levels;
    size_t start = 0;
    while (start <= setting.size()) {
        const size_t end = std::min(setting.find(';', start), setting.size());
        std::string name = Trim(std::string_view(setting).substr(start, end - start));
        if (!name.empty())
            levels.push_back(std::move(name));
        start = end + 1;
    }
    return levels;
}

std::string SettingFromLevels(const std::vector<std::string>& levels)
{
    std::string out;
    for (const std::string& level : levels) {
        const std::string name = Trim(level);
        if (name.empty())
            continue;
        out += (out.empty() ? "" : ";") + name;
    }
    return out;
}

double ClearanceFromSetting(const std::string& text, char sep)
{
    ParsedNumber n = ParseNumber(Trim(text), '.');
    if (!n.ok())
        n = ParseNumber(Trim(text), sep);
    return n.ok() && n.value >= 0.0 ? n.value : kDefaultClearance;
}

} // namespace velrok
