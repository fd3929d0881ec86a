// Union by cover: cut each piece's edges by the pieces near them, keep what none covers, link it.
#include "output/CoverUnion.h"
#include "output/CellGrid.h"
#include "output/RegionCheck.h"
#include "output/SegmentMath.h"
#include "output/SweptArea.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>

namespace velrok {

namespace {

constexpr uint32_t kNoEdge = std::numeric_limits<uint32_t>::max();

// What a plane does with an edge lying along it (within the tolerance).
enum class Along : uint8_t {
    Hull,      // a hull edge: same way, the earlier piece's; the other way, covered
    Mouth,     // a notch's side on the hull: leaves what lies along it to the other two sides
    NotchSide, // a side of a notch (an outline edge the other way round): see HoldsAlong
};

// A piece's outline is its n points `pts` (where it came, mostly: see Prepare), outline edge k
// running from point k to the next. Its hull is the outline without the notch points (bit i of
// `notches`): a notch point is never next to another, so the hull goes from each other point to
// the next, or to the one after where that is a notch.
struct Piece {
    const Point2d* pts = nullptr;
    uint16_t n = 0, hullPoints = 0;
    uint32_t notches = 0;
    uint32_t track = 0;
    // Its hull's points from FirstHullPoint on, the first again at the end, from Prepared::hull
    // on at `hullAt`; bit m of `bridges` set where hull side m bridges a notch.
    uint32_t hullAt = 0, bridges = 0;
    uint32_t notchAt = 0; // its notches' lines in Prepared::notchLines, in the order of their points
    const Ring* given = nullptr; // the piece as it came
    Extent box;

    bool IsNotch(uint32_t i) const { return (notches >> i) & 1u; }
    // A point of the hull to go round it from (notches are never side by side).
    uint32_t FirstHullPoint() const { return IsNotch(0) ? 1 : 0; }
    // The hull point after outline point i (not a notch).
    uint32_t HullNext(uint32_t i) const
    {
        const uint32_t j = i + 1 == n ? 0 : i + 1;
        return IsNotch(j) ? (j + 1 == n ? 0 : j + 1) : j;
    }
};
// Outlines with more points than this go to the engine.
constexpr uint32_t kEdgeBits = 5;
constexpr uint32_t kMaxPiecePoints = 1u << kEdgeBits;

// Edge k of piece j is edge (j << kEdgeBits) + k of all.
inline uint32_t EdgeOf(uint32_t piece, uint32_t k) { return (piece << kEdgeBits) + k; }

struct Prepared {
    std::vector<Piece> pieces;
    // The outlines Prepare had to change (points dropped), where the pieces' points then lie.
    std::deque<Ring> changed;
    // The pieces' hulls side by side, each side m of a piece from its hull point m to the next,
    // and the outline point each side starts at: a piece tried on an edge goes round all its
    // sides, and so steps from one to the next without passing over its notches.
    std::vector<Point2d> hull;
    std::vector<uint8_t> hullFrom;
    // For each notch, the bridge across it from a by (dx, dy), and how far inside the bridge
    // (as a cross product with it) an edge must lie to pass the notch by (see CoverBy).
    struct NotchLine {
        Point2d a;
        double dx, dy, slack;
    };
    std::vector<NotchLine> notchLines;
    // Runs of pieces of one track side by side, each with the hull of all their hulls (laid out
    // as theirs are, in `blockHull`), where the pieces are long beside the run's steps and so each
    // cell lists many of them: an edge well outside a run's hull is covered by none of its pieces,
    // and one try tells that of them all. Empty where the pieces are tried one by one.
    struct Block {
        uint32_t first = 0, end = 0; // pieces
        uint32_t hullAt = 0, hullPoints = 0;
        Extent box;
        // How far outside the hull (a distance) an edge must lie to be covered by none of them:
        // a piece takes an edge lying along a side within a tolerance (see MakeBlocks).
        double clear = 0.0;
    };
    std::vector<Block> blocks;
    std::vector<Point2d> blockHull;
    double eps = 0.0, linkTol = 0.0;

    Point2d EdgeStart(uint32_t e) const { return pieces[e >> kEdgeBits].pts[e & (kMaxPiecePoints - 1)]; }
    Point2d EdgeEnd(uint32_t e) const
    {
        const Piece& pc = pieces[e >> kEdgeBits];
        const uint32_t k = (e & (kMaxPiecePoints - 1)) + 1;
        return pc.pts[k == pc.n ? 0 : k];
    }
};

// How far (in tolerances) an edge must lie beyond a notch's apex to be passed over unseen.
constexpr double kNotchClear = 1000.0;

// The middle value (the upper one of an even count); `v` is not empty.
double Median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Whether b lies within `eps` of the line through a and c.
bool IsStraight(Point2d a, Point2d b, Point2d c, double eps)
{
    // Squared, to leave out the square root: there are millions of points.
    const double cross = Cross(a, b, c), dx = c.x - a.x, dy = c.y - a.y;
    return cross * cross <= eps * eps * (dx * dx + dy * dy);
}

// Splits each piece into its hull and its notches; false when a piece is not of that shape.
bool Prepare(const TrackRefs& set, Prepared& out)
{
    // Survey coordinates are millions of units from 0 while a run spans a few hundred: what is
    // worked out are differences of points near each other (exact for points within a factor of
    // two of each other), and the tolerances follow the run's size, plus the rounding the far
    // coordinates bring. The pieces are worked on where they are, not copied (but for their hulls,
    // laid side by side): there are hundreds of thousands of points, and fresh memory is dear.
    Extent all;
    size_t pieces = 0, points = 0;
    for (const std::vector<const Ring*>& track : set) {
        pieces += track.size();
        for (const Ring* ring : track) {
            points += ring->size() + 1; // a hull's first point comes again at its end
            for (Point2d p : *ring)
                all.Add(p.x, p.y);
        }
    }
    if (all.IsEmpty())
        return true;
    const double size = all.LongerSide();
    const double far = all.FarthestCoordinate();
    const double rounding = far * std::numeric_limits<double>::epsilon();
    out.eps = kCoverTolerance * (1.0 + size) + kCoverRoundings * rounding;
    out.linkTol = kCoverLinkTolerance * (1.0 + size) + 16.0 * kCoverRoundings * rounding;
    if (pieces + 1 >= (size_t{1} << (32 - kEdgeBits)))
        return false; // more than an edge's number (kNoEdge apart) can tell apart
    out.pieces.reserve(pieces);
    out.hull.reserve(points);
    out.hullFrom.reserve(points);
    Ring ring;
    for (uint32_t t = 0; t < set.size(); ++t) {
        for (const Ring* ref : set[t]) {
            const Ring& given = *ref;
            // Points within the tolerance of the line through their neighbours are dropped: a
            // straight run's hull keeps some that rounding put a hair outside its sides, and each
            // would be a plane of its own at a slope no two edges could agree on.
            ring.clear();
            for (Point2d g : given) {
                ring.push_back(g);
                while (ring.size() >= 3 &&
                       IsStraight(ring[ring.size() - 3], ring[ring.size() - 2], ring.back(), out.eps))
                    ring.erase(ring.end() - 2);
            }
            // ... and round the closing corner.
            while (ring.size() > 3 && IsStraight(ring[ring.size() - 2], ring.back(), ring.front(), out.eps))
                ring.pop_back();
            while (ring.size() > 3 && IsStraight(ring.back(), ring.front(), ring[1], out.eps))
                ring.erase(ring.begin());
            const uint32_t n = static_cast<uint32_t>(ring.size());
            if (n < 3)
                continue;
            if (n > kMaxPiecePoints)
                return false;
            const double area = SignedArea(ring);
            if (!(area > 0.0)) {
                if (area < 0.0)
                    return false; // clockwise: not what the swept outlines give
                continue;
            }
            Piece piece;
            piece.track = t;
            piece.given = &given;
            piece.n = static_cast<uint16_t>(n);
            // (Neighbours found without a division: this runs for every point of every piece.)
            for (uint32_t k = 0, before = n - 1; k < n; before = k++) {
                const Point2d p = ring[k];
                piece.box.Add(p.x, p.y);
                if (Cross(ring[before], p, ring[k + 1 == n ? 0 : k + 1]) < 0.0)
                    piece.notches |= 1u << k;
            }
            // No two notch points side by side, the last and the first among them.
            const uint32_t all = n == 32 ? ~0u : (1u << n) - 1;
            const uint32_t turned = ((piece.notches << 1) | (piece.notches >> (n - 1))) & all;
            if ((piece.notches & turned) != 0)
                return false;
            // The hull: the outline without its notches, which must leave it convex. Laid out as
            // it is gone round.
            uint32_t nh = 0;
            piece.hullAt = static_cast<uint32_t>(out.hull.size());
            for (uint32_t k = 0; k < n; ++k) {
                if (piece.IsNotch(k))
                    continue;
                const uint32_t b = piece.HullNext(k), c = piece.HullNext(b);
                if (Cross(ring[k], ring[b], ring[c]) < 0.0)
                    return false;
                out.hull.push_back(ring[k]);
                out.hullFrom.push_back(static_cast<uint8_t>(k));
                if (b != (k + 1 == n ? 0 : k + 1))
                    piece.bridges |= 1u << nh; // across a notch
                ++nh;
            }
            if (nh < 3)
                return false;
            piece.hullPoints = static_cast<uint16_t>(nh);
            out.hull.push_back(ring[piece.FirstHullPoint()]);
            out.hullFrom.push_back(0); // (no side starts there: it keeps the two lists in step)
            piece.notchAt = static_cast<uint32_t>(out.notchLines.size());
            for (uint32_t left = piece.notches; left != 0; left &= left - 1) {
                const uint32_t k = static_cast<uint32_t>(std::countr_zero(left));
                const Point2d a = ring[k == 0 ? n - 1 : k - 1], b = ring[k + 1 == n ? 0 : k + 1];
                const double dx = b.x - a.x, dy = b.y - a.y;
                const double ck = dx * (ring[k].y - a.y) - dy * (ring[k].x - a.x);
                out.notchLines.push_back({a, dx, dy, kNotchClear * out.eps * (std::fabs(dx) + std::fabs(dy)) + ck});
            }
            if (n == given.size()) {
                piece.pts = given.data(); // nothing dropped: the outline as it came
            } else {
                out.changed.push_back(ring);
                piece.pts = out.changed.back().data();
            }
            out.pieces.push_back(piece);
        }
    }
    return true;
}

// Pieces a run of them holds, at most.
constexpr uint32_t kBlockPieces = 8;
// Runs are made where the cells of the grid list more pieces than this on average.
constexpr double kBlockCrowding = 64.0;

// Lays the runs of pieces out (see Prepared::Block).
void MakeBlocks(Prepared& pr)
{
    // The widest tolerance any edge meets with any plane: the longest edge and the longest side
    // (as the sums of their sides) set it.
    double longest = 0.0;
    for (const Piece& pc : pr.pieces)
        longest = std::max(longest, (pc.box.maxX - pc.box.minX) + (pc.box.maxY - pc.box.minY));
    const double tol = pr.eps + kCoverSlope * longest;
    std::vector<Point2d> pts;
    for (uint32_t i = 0; i < pr.pieces.size();) {
        Prepared::Block b;
        b.first = i;
        b.end = i + 1;
        while (b.end < pr.pieces.size() && b.end - i < kBlockPieces && pr.pieces[b.end].track == pr.pieces[i].track)
            ++b.end;
        // How far outside a piece an edge can lie and still be taken: a point of it is taken only
        // where each side whose inside it is not lies along it, within the tolerance of that
        // side's line. Nearest a side, that leaves the tolerance; nearest a corner whose sides
        // turn by an angle a, the tolerance over cos(a / 2), which grows without bound at a spike.
        double spike = 1.0; // the largest 1 / cos(a / 2), squared
        pts.clear();
        for (uint32_t j = b.first; j < b.end; ++j) {
            const Piece& pc = pr.pieces[j];
            const Point2d* hull = pr.hull.data() + pc.hullAt;
            for (uint32_t m = 0; m < pc.hullPoints; ++m) {
                const Point2d a = hull[m == 0 ? pc.hullPoints - 1 : m - 1], c = hull[m], d = hull[m + 1];
                const double ux = c.x - a.x, uy = c.y - a.y, vx = d.x - c.x, vy = d.y - c.y;
                // 1 / cos(a / 2)^2 = 2 / (1 + cos a), from the sides' lengths times the cosine and
                // the product of those lengths (one square root, not two).
                const double lengths = std::sqrt((ux * ux + uy * uy) * (vx * vx + vy * vy));
                const double sum = lengths + (ux * vx + uy * vy);
                spike = std::max(spike, sum > 0.0 ? 2.0 * lengths / sum : INFINITY);
                pts.push_back(c);
            }
            b.box.Add(pc.box.minX, pc.box.minY);
            b.box.Add(pc.box.maxX, pc.box.maxY);
        }
        // Twice that, to be safe of rounding.
        b.clear = 2.0 * tol * std::sqrt(spike);
        const Ring h = ConvexHull(pts);
        b.hullAt = static_cast<uint32_t>(pr.blockHull.size());
        b.hullPoints = static_cast<uint32_t>(h.size());
        pr.blockHull.insert(pr.blockHull.end(), h.begin(), h.end());
        pr.blockHull.push_back(h.front()); // again at the end: the hull is gone round side by side
        pr.blocks.push_back(b);
        i = b.end;
    }
}

// Whether p -> q lies so far outside one side of the run's hull that none of its pieces can cover
// any of it.
bool BlockMisses(const Prepared& pr, const Prepared::Block& b, Point2d p, Point2d q)
{
    if (!(b.clear < INFINITY))
        return false;
    const Point2d* hull = pr.blockHull.data() + b.hullAt;
    for (uint32_t m = 0; m < b.hullPoints; ++m) {
        const Point2d a = hull[m], c = hull[m + 1];
        const double dx = c.x - a.x, dy = c.y - a.y;
        // A cross product is the distance times the side's length, which its sum of sides bounds.
        const double beyond = -b.clear * (std::fabs(dx) + std::fabs(dy));
        if (dx * (p.y - a.y) - dy * (p.x - a.x) < beyond && dx * (q.y - a.y) - dy * (q.x - a.x) < beyond)
            return true;
    }
    return false;
}

// Where along an edge a cover starts or ends, and the outline edge it crosses there.
struct Cut {
    double t;
    uint32_t edge;
};
struct Interval {
    Cut from, to;
};

// Whether a plane holds an edge that lies along it (same: the two run the same way). `earlier`:
// the plane's piece comes before the edge's.
bool HoldsAlong(Along along, bool same, bool earlier)
{
    switch (along) {
    case Along::Hull:
        return same ? earlier : true;
    case Along::Mouth:
        return true;
    case Along::NotchSide:
        // Inside the notch means not covered: an edge along the outline edge this side reverses
        // is the earlier piece's when that piece is earlier, so the notch takes it otherwise.
        return same ? false : !earlier;
    }
    return false;
}

// What ClipPlane needs of the edge p -> q and the piece it is tried on: `len`, the edge's length
// (the sum of its sides), and `far`, a bound for the piece over every plane's reach (below):
// an end farther from a plane than that does not lie along it, and most do.
struct EdgeTry {
    Point2d p, q;
    double len, eps, far;
    bool earlier; // the piece comes before the edge's
};

EdgeTry MakeTry(Point2d p, Point2d q, double eps, bool earlier, const Extent& pieceBox)
{
    const double len = std::fabs(q.x - p.x) + std::fabs(q.y - p.y);
    // No plane of the piece is longer (as the sum of its sides) than the box's sides; the margin
    // keeps the bound above the reach itself after rounding.
    const double w = (pieceBox.maxX - pieceBox.minX) + (pieceBox.maxY - pieceBox.minY);
    const double far = 1.0001 * (eps + kCoverSlope * std::max(len, w)) * w;
    return {p, q, len, eps, far, earlier};
}

// Narrows [from, to] by the plane from a to b (inside to its left); `edge` is the outline edge it
// lies on (kNoEdge for a bridge). False when nothing is left.
inline bool ClipPlane(Point2d a, Point2d b, uint32_t edge, Along along, const EdgeTry& e, Cut& from, Cut& to)
{
    const Point2d p = e.p, q = e.q;
    const double dx = b.x - a.x, dy = b.y - a.y;
    // Twice the areas, not distances: the square root is left out by comparing squares.
    const double cp = dx * (p.y - a.y) - dy * (p.x - a.x);
    const double cq = dx * (q.y - a.y) - dy * (q.x - a.x);
    // Lines that close at the edge's ends are one: the rounding of the coordinates, and the
    // slope two runs of one heading (worked out separately) can have between them. The longer
    // of the two sets it, so that each of the pair sees the other the same way.
    if (std::fabs(cp) <= e.far && std::fabs(cq) <= e.far) {
        const double tol = e.eps + kCoverSlope * std::max(e.len, std::fabs(dx) + std::fabs(dy));
        const double reach2 = tol * tol * (dx * dx + dy * dy);
        if (cp * cp <= reach2 && cq * cq <= reach2) {
            const bool same = dx * (q.x - p.x) + dy * (q.y - p.y) > 0.0;
            return HoldsAlong(along, same, e.earlier);
        }
    }
    if (cp <= 0.0 && cq <= 0.0)
        return false;
    if (cp >= 0.0 && cq >= 0.0)
        return true;
    const double t = cp / (cp - cq);
    if (cp < 0.0) {
        if (t > from.t)
            from = {t, edge};
    } else if (t < to.t) {
        to = {t, edge};
    }
    return from.t < to.t;
}

// Appends the parts of p -> q that piece `j` covers: inside its hull, outside its notches.
// `side`: where to start on the hull; set to the side that left nothing, if one did. The pieces
// tried on one edge lie much alike, and the side that turns one away mostly turns the next away.
void CoverBy(const Prepared& pr, uint32_t j, Point2d p, Point2d q, bool earlier, std::vector<Interval>& out,
             uint32_t& side)
{
    const Piece& pc = pr.pieces[j];
    const Point2d* pts = pc.pts;
    const EdgeTry e = MakeTry(p, q, pr.eps, earlier, pc.box);
    Cut from{0.0, kNoEdge}, to{1.0, kNoEdge};
    // Round the hull from side `side`, each hull point to the next (the last is the first again).
    // A side with both ends inside it, not both within a tolerance's reach of its line, leaves the
    // edge as ClipPlane would: as it is. Most sides do, and need none of a cut's bookkeeping.
    const Point2d* hull = pr.hull.data() + pc.hullAt;
    uint32_t m = side < pc.hullPoints ? side : 0;
    for (uint32_t c = 0; c < pc.hullPoints; ++c) {
        const Point2d a = hull[m], b = hull[m + 1];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double cp = dx * (p.y - a.y) - dy * (p.x - a.x);
        const double cq = dx * (q.y - a.y) - dy * (q.x - a.x);
        if (!(cp >= 0.0 && cq >= 0.0 && (cp > e.far || cq > e.far))) {
            const uint32_t edge = (pc.bridges >> m) & 1u ? kNoEdge : EdgeOf(j, pr.hullFrom[pc.hullAt + m]);
            if (!ClipPlane(a, b, edge, Along::Hull, e, from, to)) {
                side = m;
                return;
            }
        }
        m = m + 1 == pc.hullPoints ? 0 : m + 1;
    }
    const size_t first = out.size();
    out.push_back({from, to});
    if (pc.notches == 0)
        return;
    const Prepared::NotchLine* line = pr.notchLines.data() + pc.notchAt;
    for (uint32_t left = pc.notches; left != 0; left &= left - 1, ++line) {
        // A notch is a sliver along the hull's side: an edge lying wholly deeper in the hull than
        // its apex (by far more than any tolerance) cannot meet it, and most edges a piece covers
        // lie so.
        {
            const Point2d a = line->a;
            const double dx = line->dx, dy = line->dy;
            if (dx * (p.y - a.y) - dy * (p.x - a.x) > line->slack && dx * (q.y - a.y) - dy * (q.x - a.x) > line->slack)
                continue;
        }
        const uint32_t k = static_cast<uint32_t>(std::countr_zero(left));
        const uint32_t u = k == 0 ? pc.n - 1 : k - 1, v = k + 1 == pc.n ? 0 : k + 1;
        // Counter-clockwise u, v, k: across the bridge, then back along the outline.
        Cut nf{0.0, kNoEdge}, nt{1.0, kNoEdge};
        if (!ClipPlane(pts[u], pts[v], kNoEdge, Along::Mouth, e, nf, nt) ||
            !ClipPlane(pts[v], pts[k], EdgeOf(j, k), Along::NotchSide, e, nf, nt) ||
            !ClipPlane(pts[k], pts[u], EdgeOf(j, u), Along::NotchSide, e, nf, nt))
            continue;
        const size_t end = out.size();
        for (size_t m = first; m < end; ++m) {
            const Interval in = out[m];
            if (nt.t <= in.from.t || nf.t >= in.to.t)
                continue;
            // What is left of it on either side of the notch; an emptied one stays as nothing.
            out[m] = {in.from, in.from};
            if (in.from.t < nf.t)
                out[m] = {in.from, nf};
            if (nt.t < in.to.t)
                out.push_back({nt, in.to});
        }
        out.erase(std::remove_if(out.begin() + static_cast<long>(first), out.end(),
                                 [](const Interval& in) { return !(in.from.t < in.to.t); }),
                  out.end());
    }
}

// Where outline edges k and m cross, worked out the same way whichever of the two is cut, and
// put on an end of either when it is that close: the two bits of boundary that meet there then
// share the point exactly.
Point2d Crossing(const Prepared& pr, uint32_t k, uint32_t m)
{
    const uint32_t lo = std::min(k, m), hi = std::max(k, m);
    const Point2d ea = pr.EdgeStart(lo), eb = pr.EdgeEnd(lo), fa = pr.EdgeStart(hi), fb = pr.EdgeEnd(hi);
    const double rx = eb.x - ea.x, ry = eb.y - ea.y, sx = fb.x - fa.x, sy = fb.y - fa.y;
    const double den = rx * sy - ry * sx;
    Point2d x = ea;
    if (den != 0.0) {
        const double t = ((fa.x - ea.x) * sy - (fa.y - ea.y) * sx) / den;
        x = {ea.x + t * rx, ea.y + t * ry};
    }
    double best = pr.eps;
    Point2d snapped = x;
    for (Point2d c : {ea, eb, fa, fb}) {
        const double d = std::hypot(c.x - x.x, c.y - x.y);
        if (d <= best) {
            best = d;
            snapped = c;
        }
    }
    return snapped;
}

struct Bit {
    Point2d a, b;
    uint32_t piece; // the piece whose edge it is part of
};

Point2d PointAt(const Prepared& pr, uint32_t edge, const Cut& c)
{
    const Point2d a = pr.EdgeStart(edge), b = pr.EdgeEnd(edge);
    if (c.t <= 0.0)
        return a;
    if (c.t >= 1.0)
        return b;
    if (c.edge == kNoEdge) // a bridge: no outline edge to share the point with
        return {a.x + c.t * (b.x - a.x), a.y + c.t * (b.y - a.y)};
    return Crossing(pr, edge, c.edge);
}

// Grows `reach`, the end of what the intervals cover from 0 on without a gap, and lowers `back`,
// the start of what they cover up to 1.
void Absorb(const std::vector<Interval>& iv, double& reach, double& back)
{
    for (bool grown = true; grown;) {
        grown = false;
        for (const Interval& in : iv) {
            if (in.from.t <= reach && in.to.t > reach) {
                reach = in.to.t;
                grown = true;
            }
            if (in.to.t >= back && in.from.t < back) {
                back = in.from.t;
                grown = true;
            }
        }
    }
}

// How many of the pieces that covered the last piece's edges are tried first on the next one's.
constexpr size_t kCoverHints = 32;

// The uncovered bits of the edges of the `n` pieces listed from `list` on, the pieces marked in
// `skip` left out. `grid` lists the pieces, or the runs of them where there are runs.
void UncoveredBits(const Prepared& pr, const CellGrid& grid, const std::vector<uint8_t>& skip,
                   const uint32_t* list, size_t n, std::vector<Bit>& out)
{
    std::vector<Interval> iv;
    std::vector<uint32_t> stamp(pr.pieces.size(), kNoEdge); // the last edge each piece was tried on
    std::vector<uint32_t> blockStamp(pr.blocks.size(), kNoEdge); // ... and each run of pieces
    const uint32_t count = static_cast<uint32_t>(pr.pieces.size());
    // The pieces that covered some of the last piece's edges: the next piece along the track
    // lies under the same pieces, or under the ones after them.
    std::vector<uint32_t> hints, covering;
    // The piece each was last put in `first`, and in `covering`, for: lists are kept free of
    // repeats without a search of them.
    std::vector<uint32_t> firstFor(pr.pieces.size(), kNoEdge), coveringFor(pr.pieces.size(), kNoEdge);
    uint32_t last = kNoEdge;
    for (size_t li = 0; li < n; ++li) {
        const uint32_t i = list[li];
        if (skip[i])
            continue;
        const Piece& pc = pr.pieces[i];
        if (last == kNoEdge || last + 1 != i || pr.pieces[last].track != pc.track)
            covering.clear();
        hints.swap(covering);
        covering.clear();
        last = i;
        // The neighbours along the track cover most of each other: they are tried first (the one
        // before first: it holds two edges in three whole at once, the one after fewer), then the
        // hints and the pieces after them.
        uint32_t first[2 + 2 * kCoverHints];
        uint32_t nFirst = 0;
        auto propose = [&](uint32_t j) {
            if (j >= count || j == i || skip[j] || firstFor[j] == i)
                return;
            firstFor[j] = i;
            first[nFirst++] = j;
        };
        if (i > 0 && pr.pieces[i - 1].track == pc.track)
            propose(i - 1);
        if (i + 1 < count && pr.pieces[i + 1].track == pc.track)
            propose(i + 1);
        for (uint32_t h : hints) {
            propose(h);
            if (h + 1 < count && pr.pieces[h + 1].track == pr.pieces[h].track)
                propose(h + 1);
        }
        for (uint32_t k = EdgeOf(i, 0); k < EdgeOf(i, pc.n); ++k) {
            const Point2d p = pr.EdgeStart(k), q = pr.EdgeEnd(k);
            iv.clear();
            double reach = 0.0, back = 1.0;
            uint32_t side = 0;
            auto along = [&](double t) { return Point2d{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)}; };
            // Only a piece over what is not yet covered can add to it.
            Extent gap = Extent{std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x), std::max(p.y, q.y)}
                             .Grown(pr.eps);
            // (In line at each of its three places: a call at every try of the hot loop costs more
            // than the code it would save.)
            auto tryPiece = [&](uint32_t j) __attribute__((always_inline)) {
                stamp[j] = k;
                if (!pr.pieces[j].box.Overlaps(gap))
                    return;
                const size_t before = iv.size();
                CoverBy(pr, j, p, q, j < i, iv, side);
                if (iv.size() == before)
                    return;
                if (covering.size() < kCoverHints && coveringFor[j] != i) {
                    coveringFor[j] = i;
                    covering.push_back(j);
                }
                const double r0 = reach, b0 = back;
                Absorb(iv, reach, back);
                if (reach < back && (reach != r0 || back != b0)) {
                    const Point2d u = along(reach), v = along(back);
                    gap = Extent{std::min(u.x, v.x), std::min(u.y, v.y), std::max(u.x, v.x), std::max(u.y, v.y)}
                              .Grown(pr.eps);
                }
            };
            for (uint32_t f = 0; f < nFirst && reach < back; ++f)
                tryPiece(first[f]);
            // Then the pieces listed in the cells the edge runs through where it is not yet
            // covered, until it is: mostly a short stretch at one end of a long edge. Where the grid
            // lists runs of pieces, a run is passed over at once where that part lies well outside
            // its hull (the part only ever shrinks).
            if (reach < back && pr.blocks.empty()) {
                const Point2d u = along(reach), v = along(back);
                grid.AnyAlong(u.x, u.y, v.x, v.y, pr.eps, [&](uint32_t j) {
                    if (stamp[j] == k || j == i || skip[j])
                        return false;
                    tryPiece(j);
                    return reach >= back;
                });
            } else if (reach < back) {
                const Point2d u = along(reach), v = along(back);
                grid.AnyAlong(u.x, u.y, v.x, v.y, pr.eps, [&](uint32_t r) {
                    if (blockStamp[r] == k)
                        return false;
                    blockStamp[r] = k;
                    const Prepared::Block& b = pr.blocks[r];
                    if (!b.box.Overlaps(gap) || BlockMisses(pr, b, along(reach), along(back)))
                        return false;
                    for (uint32_t j = b.first; j < b.end; ++j) {
                        if (stamp[j] == k || j == i || skip[j])
                            continue;
                        tryPiece(j);
                        if (reach >= back)
                            return true;
                    }
                    return false;
                });
            }
            if (reach >= back)
                continue;
            std::sort(iv.begin(), iv.end(),
                      [](const Interval& a, const Interval& b) { return a.from.t < b.from.t; });
            Cut at{0.0, kNoEdge};
            for (const Interval& in : iv) {
                if (in.from.t > at.t)
                    out.push_back({PointAt(pr, k, at), PointAt(pr, k, in.from), i});
                if (in.to.t > at.t)
                    at = in.to;
            }
            if (at.t < 1.0)
                out.push_back({PointAt(pr, k, at), q, i});
        }
    }
}

// Bits are cut where another bit ends on them: there the union touches itself, and each ring
// must have the point as a vertex of its own for the rings to come apart.

// A point within eps of a bit, between its ends, is within eps of its line: that is tried first,
// with this margin over eps squared, well over what rounding can make of the difference between
// the two tests (eps is at least 64 units in the last place of the coordinates).
constexpr double kTouchMargin = 1.25;

// Where a bit's start lies on another bit, between its ends: there that one is to be cut.
struct TouchCut {
    uint32_t bit;
    double t;
    Point2d p;
};

// The cuts, in the order of the bits cut and along each. The search is spread over up to
// `threads` threads.
std::vector<TouchCut> FindTouches(const std::vector<Bit>& bits, double eps, unsigned threads)
{
    if (bits.empty())
        return {};
    std::vector<Extent> boxes;
    std::vector<double> lengths;
    boxes.reserve(bits.size());
    for (const Bit& b : bits) {
        Extent e;
        e.Add(b.a.x, b.a.y);
        e.Add(b.b.x, b.b.y);
        boxes.push_back(e.Grown(eps));
        lengths.push_back(std::hypot(b.b.x - b.a.x, b.b.y - b.a.y));
    }
    // The bits lie along a thin band across a wide box: a few cells for each bit are plenty, and
    // the empty cells would cost more to make than the search saves.
    const double cells = 4.0 * static_cast<double>(bits.size()) + 1024.0;
    const CellGrid grid(
        boxes, std::max(Median(std::move(lengths)), eps), [](size_t, const Extent&) { return true; }, cells);
    using CutAt = TouchCut;
    const size_t chunk = bits.size() / std::max(threads, 1u) + 1;
    std::vector<std::vector<CutAt>> found((bits.size() + chunk - 1) / chunk);
    RunSweptTasks(found.size(), threads, [&](size_t c) {
        for (size_t i = c * chunk; i < std::min(bits.size(), (c + 1) * chunk); ++i) {
            const Point2d v = bits[i].a;
            grid.Visit(Extent{v.x, v.y, v.x, v.y}, [&](uint32_t k) {
                const Bit& b = bits[k];
                if (b.a == v || b.b == v)
                    return;
                const double dx = b.b.x - b.a.x, dy = b.b.y - b.a.y, len2 = dx * dx + dy * dy;
                if (!(len2 > 0.0))
                    return;
                // Off the bit's line by more than eps (with a margin for rounding): not on it. Most
                // are, and need no division and no root.
                const double cross = dx * (v.y - b.a.y) - dy * (v.x - b.a.x);
                if (cross * cross > kTouchMargin * eps * eps * len2)
                    return;
                const double t = ((v.x - b.a.x) * dx + (v.y - b.a.y) * dy) / len2;
                const double len = std::sqrt(len2);
                if (t * len <= eps || (1.0 - t) * len <= eps || PointSegmentDistance2(v, b.a, b.b) > eps * eps)
                    return;
                found[c].push_back({k, t, v});
            });
        }
    });
    std::vector<CutAt> cuts;
    for (const std::vector<CutAt>& f : found)
        cuts.insert(cuts.end(), f.begin(), f.end());
    // In full, points and all: the order must not hang on which thread found what.
    std::sort(cuts.begin(), cuts.end(), [](const CutAt& x, const CutAt& y) {
        return x.bit != y.bit ? x.bit < y.bit : x.t != y.t ? x.t < y.t : PointLess(x.p, y.p);
    });
    return cuts;
}

// Cuts the bits where FindTouches found them; true when it cut any.
bool CutAtTouches(std::vector<Bit>& bits, const std::vector<TouchCut>& cuts)
{
    if (cuts.empty())
        return false;
    for (size_t c = 0; c < cuts.size();) {
        const uint32_t k = cuts[c].bit;
        const Bit whole = bits[k];
        Point2d from = whole.a;
        bool first = true;
        for (; c < cuts.size() && cuts[c].bit == k; ++c) {
            if (cuts[c].p == from)
                continue; // the same point twice
            const Bit part{from, cuts[c].p, whole.piece};
            if (first)
                bits[k] = part;
            else
                bits.push_back(part);
            first = false;
            from = cuts[c].p;
        }
        bits.push_back({from, whole.b, whole.piece});
        if (first)
            bits.pop_back(); // nothing was cut after all
    }
    return true;
}

// Clockwise angle from direction r to direction d, in (0, 2 pi].
double ClockwiseFrom(Point2d r, Point2d d)
{
    double a = std::atan2(r.y, r.x) - std::atan2(d.y, d.x);
    const double twoPi = 2.0 * 3.141592653589793;
    while (a <= 0.0)
        a += twoPi;
    while (a > twoPi)
        a -= twoPi;
    return a;
}

// next[b] for each bit: the bit that goes on from its end. Where several meet at one point, each
// arriving bit takes the first leaving one clockwise from where it came from, which keeps every
// ring simple (two rings touching at a point stay two). Ends with no start at the same point pair
// off by nearness, within `tol`. False when some do not pair off; `trouble` then holds where.
bool LinkBits(const std::vector<Bit>& bits, double tol, std::vector<uint32_t>& next, std::vector<Point2d>& trouble)
{
    const uint32_t n = static_cast<uint32_t>(bits.size());
    next.assign(n, kNoEdge);
    // The bits' ends met at each point, points exactly equal together: a table of the points,
    // each with the bits arriving there and those leaving, both in the bits' order. Hashed, not
    // sorted: there are a hundred thousand bits, and almost every point has one of each.
    struct Node {
        Point2d p;
        uint32_t firstIn = kNoEdge, firstOut = kNoEdge, ins = 0, outs = 0;
    };
    std::vector<Node> nodes;
    nodes.reserve(n + 16);
    // At most two points a bit: the table stays at most half full.
    size_t size = 16;
    while (size < 4 * static_cast<size_t>(n))
        size *= 2;
    std::vector<uint32_t> slot(size, kNoEdge);
    auto nodeAt = [&](Point2d p) -> Node& {
        // -0 and 0 are one point, as == has them.
        const uint64_t hx = std::bit_cast<uint64_t>(p.x + 0.0), hy = std::bit_cast<uint64_t>(p.y + 0.0);
        uint64_t h = hx * 0x9E3779B97F4A7C15ull ^ (hy + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
        h ^= h >> 31;
        for (size_t i = h & (size - 1);; i = (i + 1) & (size - 1)) {
            if (slot[i] == kNoEdge) {
                slot[i] = static_cast<uint32_t>(nodes.size());
                nodes.push_back({p});
                return nodes.back();
            }
            if (nodes[slot[i]].p == p)
                return nodes[slot[i]];
        }
    };
    std::vector<uint32_t> nextIn(n), nextOut(n);
    // Put in from the last bit back, so that each list comes out in the bits' order.
    for (uint32_t i = n; i-- > 0;) {
        Node& out = nodeAt(bits[i].a);
        nextOut[i] = out.firstOut;
        out.firstOut = i;
        ++out.outs;
        Node& in = nodeAt(bits[i].b);
        nextIn[i] = in.firstIn;
        in.firstIn = i;
        ++in.ins;
    }
    std::vector<bool> taken(n, false);
    std::vector<uint32_t> loose; // arriving bits with no leaving one at their end
    for (const Node& node : nodes) {
        if (node.ins == 0)
            continue;
        if (node.ins == 1 && node.outs == 1) {
            next[node.firstIn] = node.firstOut;
            taken[node.firstOut] = true;
        } else if (node.ins == node.outs) {
            for (uint32_t k = node.firstIn; k != kNoEdge; k = nextIn[k]) {
                const Bit& in = bits[k];
                const Point2d r{in.a.x - in.b.x, in.a.y - in.b.y};
                double best = INFINITY;
                uint32_t pick = kNoEdge;
                for (uint32_t o = node.firstOut; o != kNoEdge; o = nextOut[o]) {
                    if (taken[o])
                        continue;
                    const double a = ClockwiseFrom(r, {bits[o].b.x - bits[o].a.x, bits[o].b.y - bits[o].a.y});
                    if (a < best) {
                        best = a;
                        pick = o;
                    }
                }
                if (pick == kNoEdge) {
                    trouble.push_back(node.p);
                    break;
                }
                next[k] = pick;
                taken[pick] = true;
            }
        } else {
            for (uint32_t k = node.firstIn; k != kNoEdge; k = nextIn[k])
                loose.push_back(k);
        }
    }
    // The loose ends in the order of their points, each taking the nearest start left.
    std::sort(loose.begin(), loose.end(), [&](uint32_t a, uint32_t b) {
        return PointLess(bits[a].b, bits[b].b) || (bits[a].b == bits[b].b && a < b);
    });
    std::vector<uint32_t> free;
    for (uint32_t i = 0; i < n; ++i)
        if (!taken[i])
            free.push_back(i);
    std::sort(free.begin(), free.end(),
              [&](uint32_t a, uint32_t b) { return PointLess(bits[a].a, bits[b].a); });
    for (uint32_t in : loose) {
        const Point2d v = bits[in].b;
        double best = tol;
        uint32_t pick = kNoEdge;
        auto it = std::lower_bound(free.begin(), free.end(), v.x - tol,
                                   [&](uint32_t s, double x) { return bits[s].a.x < x; });
        for (; it != free.end() && bits[*it].a.x <= v.x + tol; ++it) {
            if (taken[*it])
                continue;
            const double d = std::hypot(bits[*it].a.x - v.x, bits[*it].a.y - v.y);
            if (d <= best) {
                best = d;
                pick = *it;
            }
        }
        if (pick == kNoEdge) {
            trouble.push_back(v);
            continue;
        }
        next[in] = pick;
        taken[pick] = true;
    }
    for (uint32_t s : free)
        if (!taken[s])
            trouble.push_back(bits[s].a);
    return trouble.empty();
}

// A ring that passes one point twice (the union pinched there, inside a hole or around an island)
// as the simple loops it is made of: each time a point comes again, the loop since it is cut off.
std::vector<Ring> SimpleLoops(Ring ring)
{
    std::vector<Ring> loops;
    std::vector<uint32_t> order(ring.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return PointLess(ring[a], ring[b]); });
    bool repeats = false;
    for (size_t k = 1; k < order.size() && !repeats; ++k)
        repeats = ring[order[k]] == ring[order[k - 1]];
    if (!repeats) {
        loops.push_back(std::move(ring));
        return loops;
    }
    Ring stack;
    for (Point2d p : ring) {
        auto again = std::find(stack.begin(), stack.end(), p);
        if (again != stack.end()) {
            loops.emplace_back(again, stack.end());
            stack.erase(again + 1, stack.end());
            continue;
        }
        stack.push_back(p);
    }
    loops.push_back(std::move(stack));
    return loops;
}

// Locate passes over the edges farther than this many times its tolerance from the point.
constexpr double kLocateMargin = 1.001;
// Rings of more edges than this, asked about more than once, are banded (below).
constexpr size_t kBandedRingEdges = 512;
// Edges a band of a banded ring, about.
constexpr size_t kBandEdges = 8;

// A ring's edges in bands of y: each edge listed in the bands its y reaches (grown by `reach`), so
// that a point meets only the edges of its band, which are all those Locate would not pass over.
struct RingBands {
    double y0 = 0.0, height = 1.0;
    std::vector<uint32_t> start, edges; // band b lists edges[start[b] .. start[b + 1])

    RingBands(const Ring& r, double reach)
    {
        double lo = INFINITY, hi = -INFINITY;
        for (Point2d p : r) {
            lo = std::min(lo, p.y);
            hi = std::max(hi, p.y);
        }
        const size_t n = std::max<size_t>(1, r.size() / kBandEdges);
        y0 = lo;
        height = std::max((hi - lo) / static_cast<double>(n), std::numeric_limits<double>::min());
        start.assign(n + 1, 0);
        auto each = [&](auto list) {
            for (size_t k = 0, m = r.size() - 1; k < r.size(); m = k++) {
                const size_t b0 = Band(std::min(r[m].y, r[k].y) - reach), b1 = Band(std::max(r[m].y, r[k].y) + reach);
                for (size_t b = b0; b <= b1; ++b)
                    list(b, static_cast<uint32_t>(k));
            }
        };
        each([&](size_t b, uint32_t) { ++start[b + 1]; });
        for (size_t b = 1; b <= n; ++b)
            start[b] += start[b - 1];
        edges.resize(start[n]);
        std::vector<uint32_t> fill(start.begin(), start.end() - 1);
        each([&](size_t b, uint32_t k) { edges[fill[b]++] = k; });
    }
    // The band of y (the first or the last beyond the ring): monotone in y, so that a point
    // within an edge's reach in y falls in a band the edge is listed in.
    size_t Band(double y) const
    {
        const double b = std::floor((y - y0) / height);
        return static_cast<size_t>(std::clamp(b, 0.0, static_cast<double>(start.size() - 2)));
    }
};

// -1 outside, 0 on the boundary (within tol), 1 inside. `bands`, when given, are the ring's.
int Locate(const Ring& r, Point2d p, double tol, const RingBands* bands = nullptr)
{
    bool inside = false;
    // An edge whose box lies farther than this from p can neither be within tol of it nor, in
    // y, cross its ray: the margin keeps the rounding of the distance out of it. Holes are
    // located in rings of many thousand edges, and most are passed over so.
    const double reach = kLocateMargin * tol;
    auto edge = [&](size_t k) {
        const Point2d a = r[k == 0 ? r.size() - 1 : k - 1], b = r[k];
        if (p.y < std::min(a.y, b.y) - reach || p.y > std::max(a.y, b.y) + reach)
            return false;
        if (p.x >= std::min(a.x, b.x) - reach && p.x <= std::max(a.x, b.x) + reach &&
            PointSegmentDistance2(p, a, b) <= tol * tol)
            return true;
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            inside = !inside;
        return false;
    };
    if (bands) {
        const size_t b = bands->Band(p.y);
        for (uint32_t i = bands->start[b]; i < bands->start[b + 1]; ++i)
            if (edge(bands->edges[i]))
                return 0;
    } else {
        for (size_t k = 0; k < r.size(); ++k)
            if (edge(k))
                return 0;
    }
    return inside ? 1 : -1;
}

// The rings as polygons: each hole goes to the smallest outer ring around it. False when a hole
// has none.
bool Assemble(std::vector<Ring> rings, double tol, std::vector<RegionPolygon>& out)
{
    std::vector<Ring> holes;
    std::vector<double> area;
    std::vector<Extent> box;
    for (Ring& r : rings) {
        if (SignedArea(r) < 0.0) {
            holes.push_back(std::move(r));
            continue;
        }
        area.push_back(SignedArea(r));
        Extent b;
        for (Point2d p : r)
            b.Add(p.x, p.y);
        box.push_back(b);
        out.push_back({std::move(r), {}});
    }
    // A large outer ring asked about a second time is banded: the swept tyres' ring of 14 000
    // edges holds some 200 holes.
    std::vector<std::unique_ptr<RingBands>> bands(out.size());
    std::vector<uint8_t> asked(out.size(), 0);
    for (Ring& h : holes) {
        const double ha = -SignedArea(h);
        size_t best = out.size();
        for (size_t s = 0; s < out.size(); ++s) {
            const Extent& b = box[s];
            if (area[s] < ha || (best < out.size() && area[s] >= area[best]))
                continue;
            int where = 0;
            for (size_t k = 0; k < h.size() && where == 0; ++k) {
                const Point2d p = h[k];
                if (p.x < b.minX || p.x > b.maxX || p.y < b.minY || p.y > b.maxY) {
                    where = -1;
                    continue;
                }
                const Ring& r = out[s].outer;
                if (!bands[s] && r.size() > kBandedRingEdges && asked[s]++ > 0)
                    bands[s] = std::make_unique<RingBands>(r, kLocateMargin * tol);
                where = Locate(r, p, tol, bands[s].get());
            }
            if (where > 0)
                best = s;
        }
        if (best == out.size())
            return false;
        out[best].holes.push_back(std::move(h));
    }
    return true;
}

// A ring as linked (its first point perhaps repeated at the end) as the simple loops it is made
// of, those of some area appended to `out`.
void AddLoops(Ring ring, double tol, std::vector<Ring>& out)
{
    while (ring.size() > 1 && ring.back() == ring.front())
        ring.pop_back();
    for (Ring& loop : SimpleLoops(std::move(ring)))
        if (loop.size() >= 3 && std::fabs(SignedArea(loop)) > tol * tol)
            out.push_back(std::move(loop));
}

// The bits linked into rings; false with the points where they did not link in `trouble` (none:
// no telling where), the bits then as they were. Once they link they are cut where they touch.
bool LinkIntoRings(const Prepared& pr, std::vector<Bit>& bits, unsigned threads, std::vector<Ring>& rings,
                   std::vector<Point2d>& trouble)
{
    // Loose ends show before any bit is cut, and mostly nothing is: the bits are linked again only
    // when something was.
    std::vector<uint32_t> next;
    std::vector<TouchCut> cuts;
    bool linked = false;
    if (threads > 1) {
        // The search for touches does not wait for the linking: one thread links while the
        // others search.
        RunSweptTasks(2, threads, [&](size_t w) {
            if (w == 0)
                linked = LinkBits(bits, pr.linkTol, next, trouble);
            else
                cuts = FindTouches(bits, pr.eps, threads - 1);
        });
    } else {
        linked = LinkBits(bits, pr.linkTol, next, trouble);
        if (linked)
            cuts = FindTouches(bits, pr.eps, 1);
    }
    if (!linked)
        return false;
    if (CutAtTouches(bits, cuts) && !LinkBits(bits, pr.linkTol, next, trouble))
        return false;
    std::vector<bool> seen(bits.size(), false);
    for (uint32_t s = 0; s < bits.size(); ++s) {
        if (seen[s])
            continue;
        Ring ring;
        for (uint32_t b = s; !seen[b]; b = next[b]) {
            seen[b] = true;
            if (ring.empty() || !(ring.back() == bits[b].a))
                ring.push_back(bits[b].a);
        }
        AddLoops(std::move(ring), pr.linkTol, rings);
    }
    return true;
}

// One try at the union of every piece not marked in `skip`, after working out afresh the bits of
// the pieces in `redo` (those of the others are kept from the try before): its rings, or false
// with the points where the bits did not link in `trouble` (none: no telling where).
bool TryCover(const Prepared& pr, const CellGrid& grid, const std::vector<uint8_t>& skip,
              const std::vector<uint32_t>& redo, unsigned threads, std::vector<Bit>& bits, std::vector<Ring>& rings,
              std::vector<Point2d>& trouble)
{
    std::vector<bool> again(pr.pieces.size(), false);
    for (uint32_t i : redo)
        again[i] = true;
    bits.erase(std::remove_if(bits.begin(), bits.end(),
                              [&](const Bit& b) { return again[b.piece] || skip[b.piece]; }),
               bits.end());
    // A few chunks for each thread, to share the work out evenly, but not many more: each one
    // starts its own marks for every piece.
    const size_t kChunk = std::max<size_t>(2048, redo.size() / (4 * std::max(threads, 1u)) + 1);
    const size_t chunks = (redo.size() + kChunk - 1) / kChunk;
    std::vector<std::vector<Bit>> parts(chunks);
    RunSweptTasks(chunks, threads, [&](size_t c) {
        const size_t first = c * kChunk;
        UncoveredBits(pr, grid, skip, redo.data() + first, std::min(kChunk, redo.size() - first), parts[c]);
    });
    size_t total = bits.size();
    for (const std::vector<Bit>& p : parts)
        total += p.size();
    bits.reserve(total);
    for (std::vector<Bit>& p : parts) {
        bits.insert(bits.end(), p.begin(), p.end());
        std::vector<Bit>().swap(p); // given back at once: the linking needs room of its own
    }

    return LinkIntoRings(pr, bits, threads, rings, trouble);
}

// Where p -> q runs inside the box: [t0, t1] within [0, 1]; false when it does not.
bool ClipToWindow(const Extent& w, Point2d p, Point2d q, double& t0, double& t1)
{
    t0 = 0.0;
    t1 = 1.0;
    return ClipLineToBox(w.minX, w.minY, w.maxX, w.maxY, p, {q.x - p.x, q.y - p.y}, t0, t1);
}

// The point at t along p -> q where it crosses a side of the window, put exactly on that side:
// the bits outside and the engine's boundary inside then end on the same line.
Point2d OnWindow(const Extent& w, Point2d p, Point2d q, double t)
{
    if (t <= 0.0)
        return p;
    if (t >= 1.0)
        return q;
    Point2d x{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
    const double d[4] = {std::fabs(x.x - w.minX), std::fabs(x.x - w.maxX), std::fabs(x.y - w.minY),
                         std::fabs(x.y - w.maxY)};
    const size_t side = static_cast<size_t>(std::min_element(d, d + 4) - d);
    if (side == 0)
        x.x = w.minX;
    else if (side == 1)
        x.x = w.maxX;
    else if (side == 2)
        x.y = w.minY;
    else
        x.y = w.maxY;
    return x;
}

using Chain = std::vector<Point2d>; // an open run of boundary, in the boundary's direction

// The parts of a ring outside the window, as chains; the ring whole, in `whole`, when it does not
// meet the window, and nothing when it lies inside it.
void ChainsOutside(const Ring& ring, const Extent& w, std::vector<Chain>& chains, std::vector<Ring>& whole)
{
    const size_t n = ring.size();
    auto inside = [&](Point2d p) { return p.x > w.minX && p.x < w.maxX && p.y > w.minY && p.y < w.maxY; };
    size_t start = n;
    for (size_t k = 0; k < n && start == n; ++k)
        if (!inside(ring[k]))
            start = k;
    if (start == n)
        return; // every point inside, so the whole ring
    std::vector<Chain> mine;
    Chain current{ring[start]};
    bool cutAny = false;
    for (size_t m = 0; m < n; ++m) {
        const Point2d a = ring[(start + m) % n], b = ring[(start + m + 1) % n];
        double t0, t1;
        const bool meets = ClipToWindow(w, a, b, t0, t1) && t0 < t1;
        if (!meets) {
            if (!current.empty())
                current.push_back(b);
            continue;
        }
        cutAny = true;
        if (!current.empty() && t0 > 0.0) {
            current.push_back(OnWindow(w, a, b, t0));
            mine.push_back(std::move(current));
        }
        current.clear();
        if (t1 < 1.0)
            current = {OnWindow(w, a, b, t1), b};
    }
    if (!cutAny) {
        whole.push_back(ring);
        return;
    }
    // The chain that reached the start again goes on into the first one.
    if (!current.empty() && !mine.empty() && mine.front().front() == ring[start]) {
        current.insert(current.end(), mine.front().begin() + 1, mine.front().end());
        mine.front() = std::move(current);
    } else if (!current.empty()) {
        mine.push_back(std::move(current));
    }
    for (Chain& c : mine)
        chains.push_back(std::move(c));
}

// The union of the region of `rings` (the bits' rings) and the engine's union `left` of the pieces
// left out, without an overlay of the whole: in a window round what was left out, the engine joins
// `left` with the part of the region in the window, and the rings outside it are kept and linked
// to that. Nothing when that does not work out.
std::optional<PlaneRegion> JoinInWindow(const Prepared& pr, const std::vector<Ring>& rings, PlaneRegion left,
                                        Extent window, unsigned threads)
{
    // The window's sides keep clear of every point of a ring: an edge along a side would be
    // neither in nor out.
    const double clear = kCoverWindowClearance * (1.0 + window.maxX - window.minX + window.maxY - window.minY);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const double step = 0.0618 * (window.maxX - window.minX + window.maxY - window.minY);
        bool moved = false;
        const Extent near = window.Grown(clear);
        for (const Ring& r : rings)
            for (Point2d v : r) {
                if (v.x < near.minX || v.x > near.maxX || v.y < near.minY || v.y > near.maxY)
                    continue;
                if (std::fabs(v.x - window.minX) <= clear)
                    window.minX -= step, moved = true;
                if (std::fabs(v.x - window.maxX) <= clear)
                    window.maxX += step, moved = true;
                if (std::fabs(v.y - window.minY) <= clear)
                    window.minY -= step, moved = true;
                if (std::fabs(v.y - window.maxY) <= clear)
                    window.maxY += step, moved = true;
            }
        if (!moved)
            break;
    }
    // The region's part in the window is that of the rings whose boxes meet it: a ring round the
    // window meets it so too, and a hole's outer ring holds the hole's box. The others, holes in
    // the thousands among them, need not be placed.
    std::vector<Ring> meeting;
    for (const Ring& r : rings) {
        Extent b;
        for (Point2d p : r)
            b.Add(p.x, p.y);
        if (b.Overlaps(window))
            meeting.push_back(r);
    }
    std::vector<RegionPolygon> near;
    if (!Assemble(std::move(meeting), pr.linkTol, near))
        return std::nullopt;
    std::vector<Chain> chains;
    std::vector<Ring> out;
    try {
        std::vector<PlaneRegion> parts;
        parts.push_back(PlaneRegion::FromPolygons(near).ClippedTo(window));
        parts.push_back(std::move(left));
        const PlaneRegion inside = PlaneRegion::Joined(parts);
        // The engine's rings, turned so that the region lies to the left of each edge, less the
        // edges along the window's sides, which the clip made.
        auto onSide = [&](Point2d a, Point2d b) {
            const double t = pr.linkTol;
            auto at = [&](double u, double v, double side) {
                return std::fabs(u - side) <= t && std::fabs(v - side) <= t;
            };
            return at(a.x, b.x, window.minX) || at(a.x, b.x, window.maxX) || at(a.y, b.y, window.minY) ||
                   at(a.y, b.y, window.maxY);
        };
        auto add = [&](Ring r, bool outer) {
            if ((SignedArea(r) > 0.0) != outer)
                std::reverse(r.begin(), r.end());
            const size_t n = r.size();
            size_t start = n;
            for (size_t k = 0; k < n && start == n; ++k)
                if (onSide(r[k], r[(k + 1) % n]))
                    start = k;
            if (start == n) {
                out.push_back(std::move(r));
                return;
            }
            Chain current;
            for (size_t m = 1; m <= n; ++m) {
                const Point2d a = r[(start + m) % n], b = r[(start + m + 1) % n];
                if (onSide(a, b)) {
                    if (current.size() >= 2)
                        chains.push_back(std::move(current));
                    current.clear();
                    continue;
                }
                if (current.empty())
                    current.push_back(a);
                current.push_back(b);
            }
            if (current.size() >= 2)
                chains.push_back(std::move(current));
        };
        for (RegionPolygon& p : inside.Polygons()) {
            add(std::move(p.outer), true);
            for (Ring& h : p.holes)
                add(std::move(h), false);
        }
    } catch (const GeometryError&) {
        return std::nullopt;
    }
    for (const Ring& r : rings)
        ChainsOutside(r, window, chains, out);

    // Each chain goes on into the one that starts nearest its end.
    const size_t n = chains.size();
    std::vector<size_t> next(n, n);
    std::vector<bool> taken(n, false);
    for (size_t c = 0; c < n; ++c) {
        const Point2d e = chains[c].back();
        double best = pr.linkTol;
        for (size_t d = 0; d < n; ++d) {
            if (taken[d])
                continue;
            const Point2d s = chains[d].front();
            const double dist = std::hypot(s.x - e.x, s.y - e.y);
            if (dist <= best) {
                best = dist;
                next[c] = d;
            }
        }
        if (next[c] == n)
            return std::nullopt;
        taken[next[c]] = true;
    }
    std::vector<bool> seen(n, false);
    for (size_t c = 0; c < n; ++c) {
        if (seen[c])
            continue;
        Ring ring;
        for (size_t d = c; !seen[d]; d = next[d]) {
            seen[d] = true;
            for (Point2d p : chains[d])
                if (ring.empty() || !(ring.back() == p))
                    ring.push_back(p);
        }
        AddLoops(std::move(ring), pr.linkTol, out);
    }
    std::vector<RegionPolygon> polygons;
    if (!Assemble(std::move(out), pr.linkTol, polygons))
        return std::nullopt;
    PlaneRegion joined = PlaneRegion::FromPolygons(polygons);
    if (!ClearlyValid(polygons, threads) && !joined.IsValid())
        return std::nullopt;
    return joined;
}

// Narrows [x0, x1] to where a convex hull (its `points` points from `hull` on, the first again at the
// end) reaches between y0 and y1, a row of cells `cell` high, grown by `eps`: as far as its sides
// run through the row. False when it reaches none of it.
bool HullRowSpan(const Point2d* hull, uint32_t points, const Extent& box, double cell, double eps, double y0,
                 double y1, double& x0, double& x1)
{
    // A hull a few cells wide reaches into nearly all the cells of its box.
    if (box.maxX - box.minX < 3.0 * cell && box.maxY - box.minY < 3.0 * cell)
        return true;
    y0 -= eps;
    y1 += eps;
    double lo = INFINITY, hi = -INFINITY;
    for (uint32_t m = 0; m < points; ++m) {
        const Point2d a = hull[m], b = hull[m + 1];
        double t0, t1;
        if (std::max(a.y, b.y) < y0 || std::min(a.y, b.y) > y1 || !ClipSegmentToRow(a, b, y0, y1, t0, t1))
            continue;
        const double xa = a.x + t0 * (b.x - a.x), xb = a.x + t1 * (b.x - a.x);
        lo = std::min({lo, xa, xb});
        hi = std::max({hi, xa, xb});
    }
    if (!(lo <= hi))
        return false;
    x0 = std::max(x0, lo - eps);
    x1 = std::min(x1, hi + eps);
    return x0 <= x1;
}

} // namespace

std::optional<PlaneRegion> UnionByCover(const TrackSet& set, unsigned threads, CoverRuns runs)
{
    return UnionByCover(RefsOf(set), threads, runs);
}

std::optional<PlaneRegion> UnionByCover(const TrackRefs& set, unsigned threads, CoverRuns runs)
{
    Prepared pr;
    if (!Prepare(set, pr))
        return std::nullopt;
    if (pr.pieces.empty())
        return PlaneRegion{};
    // Cells of half a piece's width, each listing the pieces whose hulls reach into it: an edge
    // then meets only the pieces that lie over it, not all those whose boxes do.
    std::vector<Extent> boxes;
    std::vector<double> sizes;
    for (const Piece& pc : pr.pieces) {
        boxes.push_back(pc.box);
        sizes.push_back(std::min(pc.box.maxX - pc.box.minX, pc.box.maxY - pc.box.minY));
    }
    const double cellSize = std::max(kCoverCell * Median(std::move(sizes)), pr.eps);
    const double maxCells = kCoverCellsPerPiece * static_cast<double>(pr.pieces.size());
    const CellGrid grid(CellGrid::ByRows{}, boxes, cellSize, [&](size_t id, double y0, double y1, double& x0, double& x1) {
        const Piece& pc = pr.pieces[id];
        return HullRowSpan(pr.hull.data() + pc.hullAt, pc.hullPoints, pc.box, cellSize, pr.eps, y0, y1, x0, x1);
    }, maxCells);
    // Long pieces (a body many steps long) crowd the cells: an edge on the union's boundary would
    // be tried on each of them. The edges are then tried on runs of them first.
    CellGrid blockGrid;
    if (runs == CoverRuns::Always || (runs == CoverRuns::WhenCrowded && grid.Crowding() > kBlockCrowding)) {
        MakeBlocks(pr);
        std::vector<Extent> blockBoxes;
        for (const Prepared::Block& b : pr.blocks)
            blockBoxes.push_back(b.box);
        blockGrid = CellGrid(CellGrid::ByRows{}, blockBoxes, grid.Cell(),
                             [&](size_t id, double y0, double y1, double& x0, double& x1) {
                                 const Prepared::Block& b = pr.blocks[id];
                                 return HullRowSpan(pr.blockHull.data() + b.hullAt, b.hullPoints, b.box, cellSize,
                                                    pr.eps, y0, y1, x0, x1);
                             },
                             maxCells);
    }
    const CellGrid& cover = pr.blocks.empty() ? grid : blockGrid;

    // Where the bits do not link, a few pieces met in a way the tolerances could not settle (runs
    // of the same straight line, worked out apart): the pieces around those points are left to
    // the engine, and the rest tried again.
    std::vector<uint8_t> skip(pr.pieces.size(), 0); // (bytes: read for every piece tried)
    std::vector<uint32_t> redo(pr.pieces.size());
    for (uint32_t i = 0; i < redo.size(); ++i)
        redo[i] = i;
    std::vector<Bit> bits;
    for (int round = 0; round < kCoverRounds; ++round) {
        std::vector<Point2d> trouble;
        std::vector<Ring> rings;
        if (TryCover(pr, cover, skip, redo, threads, bits, rings, trouble)) {
            std::vector<Ring> left;
            Extent window;
            for (uint32_t i = 0; i < pr.pieces.size(); ++i)
                if (skip[i]) {
                    left.push_back(*pr.pieces[i].given);
                    const Extent& b = pr.pieces[i].box;
                    window.Add(b.minX, b.minY);
                    window.Add(b.maxX, b.maxY);
                }
            // In a window round what the engine made, the two are joined by the engine, and the
            // rest of the rings kept as they are; that checks the whole.
            if (!left.empty())
                if (std::optional<PlaneRegion> joined = JoinInWindow(pr, rings, PlaneRegion::UnionOf(left),
                                                                     window.Grown(kCoverWindow * cellSize), threads))
                    return joined;
            std::vector<RegionPolygon> polygons;
            if (!Assemble(left.empty() ? std::move(rings) : rings, pr.linkTol, polygons))
                return std::nullopt;
            PlaneRegion region = PlaneRegion::FromPolygons(polygons);
            if (!ClearlyValid(polygons, threads) && !region.IsValid())
                return std::nullopt;
            if (left.empty())
                return region;
            // Only the polygons that may meet what the engine made are joined with it; the
            // others, apart from it and from each other, stay as they are.
            Extent reach;
            for (const Ring& r : left)
                for (Point2d p : r)
                    reach.Add(p.x, p.y);
            reach = reach.Grown(pr.linkTol);
            std::vector<RegionPolygon> nearby, apart;
            for (RegionPolygon& p : polygons) {
                Extent b;
                for (Point2d q : p.outer)
                    b.Add(q.x, q.y);
                const bool meets = b.Overlaps(reach);
                (meets ? nearby : apart).push_back(std::move(p));
            }
            std::vector<PlaneRegion> parts;
            parts.push_back(PlaneRegion::FromPolygons(nearby));
            parts.push_back(PlaneRegion::UnionOf(left));
            for (RegionPolygon& p : PlaneRegion::Joined(parts).Polygons())
                apart.push_back(std::move(p));
            return PlaneRegion::FromPolygons(apart);
        }
        if (trouble.empty())
            return std::nullopt;
        // Left out next time: the pieces whose boxes hold a loose end. Worked out afresh: the
        // pieces those covered.
        std::vector<uint32_t> left;
        for (Point2d p : trouble)
            grid.Visit(Extent{p.x, p.y, p.x, p.y}.Grown(pr.linkTol), [&](uint32_t j) {
                const Extent b = pr.pieces[j].box.Grown(pr.linkTol);
                if (!skip[j] && p.x >= b.minX && p.x <= b.maxX && p.y >= b.minY && p.y <= b.maxY) {
                    skip[j] = true;
                    left.push_back(j);
                }
            });
        std::vector<bool> again(pr.pieces.size(), false);
        redo.clear();
        for (uint32_t j : left) {
            const Extent box = pr.pieces[j].box.Grown(pr.eps);
            grid.Visit(box, [&](uint32_t k) {
                const Extent& b = pr.pieces[k].box;
                if (again[k] || !b.Overlaps(box))
                    return;
                again[k] = true;
                redo.push_back(k);
            });
        }
        std::sort(redo.begin(), redo.end());
    }
    return std::nullopt;
}

} // namespace velrok
