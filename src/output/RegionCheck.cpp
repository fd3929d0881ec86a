// Validity of polygons far apart from each other, checked in a grid of their edges.
#include "output/RegionCheck.h"
#include "output/SegmentMath.h"
#include "output/SweptUnion.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>

namespace velrok {

namespace {

// Rounding in Cross() (differences, two products, one more difference) stays below this part of
// the two products' sizes; three units in the last place, with a margin.
constexpr double kCrossRounding = 1e-15;
// The grid's cells reach this much (relative to the polygons' size) beyond what rounding of the
// far coordinates could leave out of them.
constexpr double kGridMargin = 1e-12;
constexpr double kGridRoundings = 64.0;
// Grid cells of about this many mean edge lengths, and at most this many cells an edge.
constexpr double kClearCellEdges = 4.0;
constexpr double kClearCellsPerEdge = 4.0;
// Edges handed to a thread at a time.
constexpr size_t kClearChunk = 4096;

struct Edge {
    Point2d a, b;
    uint32_t ring = 0; // index over all rings
    uint32_t k = 0;    // the edge from point k of its ring to the next
};

// The side of the line o -> a that b lies on, 1 (left) or -1, where rounding cannot have given
// the wrong one; 0 where it might have (b on the line, or too near it to tell).
int SureSide(Point2d o, Point2d a, Point2d b)
{
    const double l = (a.x - o.x) * (b.y - o.y), r = (a.y - o.y) * (b.x - o.x);
    const double d = l - r, bound = kCrossRounding * (std::fabs(l) + std::fabs(r));
    return d > bound ? 1 : d < -bound ? -1 : 0;
}

// Whether two edges surely have no point in common: the ends of one lie on one side of the
// other's line.
bool SurelyApart(const Edge& e, const Edge& f)
{
    if (std::max(e.a.x, e.b.x) < std::min(f.a.x, f.b.x) || std::max(f.a.x, f.b.x) < std::min(e.a.x, e.b.x) ||
        std::max(e.a.y, e.b.y) < std::min(f.a.y, f.b.y) || std::max(f.a.y, f.b.y) < std::min(e.a.y, e.b.y))
        return true;
    const int s1 = SureSide(e.a, e.b, f.a), s2 = SureSide(e.a, e.b, f.b);
    if (s1 != 0 && s1 == s2)
        return true;
    const int s3 = SureSide(f.a, f.b, e.a), s4 = SureSide(f.a, f.b, e.b);
    return s3 != 0 && s3 == s4;
}

} // namespace

bool ClearlyValid(const std::vector<RegionPolygon>& polygons, unsigned threads)
{
    // Rings in one list: the outer ring of each polygon, then its holes.
    std::vector<const Ring*> rings;
    std::vector<uint32_t> polygonOf, firstRing;
    for (uint32_t p = 0; p < polygons.size(); ++p) {
        firstRing.push_back(static_cast<uint32_t>(rings.size()));
        rings.push_back(&polygons[p].outer);
        polygonOf.push_back(p);
        for (const Ring& h : polygons[p].holes) {
            rings.push_back(&h);
            polygonOf.push_back(p);
        }
    }
    firstRing.push_back(static_cast<uint32_t>(rings.size()));
    if (rings.size() >= std::numeric_limits<uint32_t>::max())
        return false;

    Extent all;
    for (const Ring* r : rings) {
        if (r->size() < 3)
            return false;
        for (Point2d p : *r) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y))
                return false;
            all.Add(p.x, p.y);
        }
    }
    if (all.IsEmpty())
        return true;
    const double size = all.LongerSide();
    const double far = all.FarthestCoordinate();
    // Only the grid's cells are grown by this: what touches is told by sure sides alone.
    const double tol =
        kGridMargin * (1.0 + size) + kGridRoundings * std::numeric_limits<double>::epsilon() * far;

    std::vector<Edge> edges;
    std::vector<Extent> boxes;
    double length = 0.0;
    for (uint32_t r = 0; r < rings.size(); ++r) {
        const Ring& ring = *rings[r];
        const uint32_t n = static_cast<uint32_t>(ring.size());
        for (uint32_t k = 0; k < n; ++k) {
            const Point2d p = ring[k == 0 ? n - 1 : k - 1], q = ring[k], s = ring[k + 1 == n ? 0 : k + 1];
            // An edge and the next meet only at their common point: they turn there, or go on
            // straight (no spike, no edge of no length).
            if (SureSide(p, q, s) == 0) {
                const double dot = (q.x - p.x) * (s.x - q.x) + (q.y - p.y) * (s.y - q.y);
                if (!(dot > kCrossRounding * (std::fabs((q.x - p.x) * (s.x - q.x)) +
                                              std::fabs((q.y - p.y) * (s.y - q.y)))))
                    return false;
            }
            edges.push_back({q, s, r, k});
            Extent b;
            b.Add(q.x, q.y);
            b.Add(s.x, s.y);
            boxes.push_back(b.Grown(tol));
            length += std::hypot(s.x - q.x, s.y - q.y);
        }
    }
    const double cell = kClearCellEdges * length / static_cast<double>(edges.size());
    const CellGrid grid(
        CellGrid::ByRows{}, boxes, cell,
        [&](size_t id, double y0, double y1, double& x0, double& x1) {
            // Where the edge runs through the row (both grown by the grid's margin).
            const Point2d a = edges[id].a, b = edges[id].b;
            double t0, t1;
            if (!ClipSegmentToRow(a, b, y0 - tol, y1 + tol, t0, t1))
                return false;
            const double xa = a.x + t0 * (b.x - a.x), xb = a.x + t1 * (b.x - a.x);
            x0 = std::max(x0, std::min(xa, xb) - tol);
            x1 = std::min(x1, std::max(xa, xb) + tol);
            return x0 <= x1;
        },
        kClearCellsPerEdge * static_cast<double>(edges.size()));

    // No two edges meet, but an edge and its neighbours at their shared point.
    auto neighbours = [&](const Edge& e, const Edge& f) {
        if (e.ring != f.ring)
            return false;
        const uint32_t n = static_cast<uint32_t>(rings[e.ring]->size());
        return f.k == (e.k + 1 == n ? 0 : e.k + 1) || e.k == (f.k + 1 == n ? 0 : f.k + 1);
    };
    std::atomic<bool> meet{false};
    const size_t chunks = (edges.size() + kClearChunk - 1) / kClearChunk;
    RunSweptTasks(chunks, threads, [&](size_t c) {
        const uint32_t end = static_cast<uint32_t>(std::min(edges.size(), (c + 1) * kClearChunk));
        for (uint32_t i = static_cast<uint32_t>(c * kClearChunk);
             i < end && !meet.load(std::memory_order_relaxed); ++i) {
            const Edge& e = edges[i];
            if (grid.AnyAlong(e.a.x, e.a.y, e.b.x, e.b.y, tol, [&](uint32_t j) {
                    return j > i && !SurelyApart(e, edges[j]) && !neighbours(e, edges[j]);
                }))
                meet = true;
        }
    });
    if (meet)
        return false;

    // Now the rings cross nothing and touch nothing: each lies wholly inside or outside each
    // other, and a ray from one of its points tells which. Counted in the grid: each edge the ray
    // crosses, in the cell the crossing lies in (or the point's own, rounding having put it left
    // of the point); false when rounding could tell which side of an edge the point lies on.
    std::vector<uint8_t> inside(rings.size(), 0);
    std::vector<uint32_t> odd;
    auto ringsAround = [&](uint32_t own, Point2d p) {
        for (uint32_t r : odd)
            inside[r] = 0;
        odd.clear();
        const int from = grid.Column(p.x);
        bool sure = true;
        grid.VisitRightward(p.x, p.y, [&](uint32_t id, int column) {
            const Edge& e = edges[id];
            if (e.ring == own || (e.a.y > p.y) == (e.b.y > p.y))
                return;
            const int side = SureSide(e.a, e.b, p);
            sure = sure && side != 0;
            if (side != (e.b.y > e.a.y ? 1 : -1))
                return; // the edge passes left of the point
            const double x = e.a.x + (p.y - e.a.y) * (e.b.x - e.a.x) / (e.b.y - e.a.y);
            if (std::max(grid.Column(x), from) != column)
                return;
            if (inside[e.ring] ^= 1)
                odd.push_back(e.ring);
        });
        return sure;
    };
    for (uint32_t p = 0; p < polygons.size(); ++p) {
        const uint32_t outer = firstRing[p], end = firstRing[p + 1];
        for (uint32_t h = outer + 1; h < end; ++h) {
            if (!ringsAround(h, rings[h]->front()))
                return false;
            if (!inside[outer])
                return false; // a hole outside its outer ring
            for (uint32_t g = outer + 1; g < end; ++g)
                if (g != h && inside[g])
                    return false; // a hole in another
        }
        // An outer ring inside another polygon's outer ring lies in one of its holes.
        if (!ringsAround(outer, rings[outer]->front()))
            return false;
        for (uint32_t r : odd) {
            if (!inside[r] || r != firstRing[polygonOf[r]])
                continue;
            bool inHole = false;
            for (uint32_t g = r + 1; g < firstRing[polygonOf[r] + 1] && !inHole; ++g)
                inHole = inside[g] != 0;
            if (!inHole)
                return false;
        }
    }
    return true;
}

} // namespace velrok
