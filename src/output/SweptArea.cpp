// Swept area: poses -> hulls between stations -> unions, areas and the widest cut.
#include "output/SweptArea.h"
#include "output/SegmentMath.h"
#include "output/SweptUnion.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace velrok {

namespace {

// Relative margin of the width's filters (times the size of the coordinates).
constexpr double kWidthFilterMargin = 1e-9;
// Edges whose directions differ by less than this angle (its sine) are parallel.
constexpr double kParallelSine = 1e-12;
// Consecutive hulls of a track taken together by the width's scan.
constexpr size_t kWidthBlock = 32;

// Body corners in ring order and the tyre outline blocks (pattern points 1-8) of the outline.
constexpr std::array<int, 4> kBodyCorners{3, 5, 4, 2};
constexpr int kFrontLeftTyre = 7, kFrontRightTyre = 21, kRearLeftTyre = 35, kRearRightTyre = 50;
// Pattern points 1-8 go round the tyre in this order.
constexpr std::array<int, 8> kTyreRingOrder{0, 1, 3, 2, 6, 7, 5, 4};

bool AllZero(const SegmentCorners& c)
{
    return std::all_of(c.pts.begin(), c.pts.end(), [](Point2d p) { return p.x == 0.0 && p.y == 0.0; });
}

TyreOutline TyreAt(const SegmentCorners& c, int first)
{
    TyreOutline t{};
    for (int i = 0; i < kTyreOutlinePoints; ++i)
        t[static_cast<size_t>(i)] = c[first + kTyreRingOrder[static_cast<size_t>(i)]];
    return t;
}

// Outline `i` of a pose: body (i < 0) or tyre i.
template <size_t N> using Outline = std::array<Point2d, N>;

// True when `b` is `a` moved by one vector (to the tolerance) along the direction `dir`
// (unit vector; zero: any direction).
template <size_t N> bool IsTranslate(const Outline<N>& a, const Outline<N>& b, Point2d dir)
{
    const Point2d t{b[0].x - a[0].x, b[0].y - a[0].y};
    for (size_t i = 1; i < N; ++i)
        if (std::fabs(b[i].x - a[i].x - t.x) > kSweptMergeTolerance ||
            std::fabs(b[i].y - a[i].y - t.y) > kSweptMergeTolerance)
            return false;
    if (dir.x == 0.0 && dir.y == 0.0)
        return true;
    return std::fabs(dir.x * t.y - dir.y * t.x) <= kSweptMergeTolerance;
}

// Where segments a-b and c-d cross strictly inside both; false otherwise.
bool CrossingPoint(Point2d a, Point2d b, Point2d c, Point2d d, Point2d& x)
{
    const double rx = b.x - a.x, ry = b.y - a.y, sx = d.x - c.x, sy = d.y - c.y;
    const double den = rx * sy - ry * sx;
    // Segments along one line (an edge moving along itself) meet at no one point, whatever the
    // rounding of their slopes makes of it. Squared, to leave out the square roots: this runs
    // for every edge of every step.
    if (!(den * den > kParallelSine * kParallelSine * (rx * rx + ry * ry) * (sx * sx + sy * sy)))
        return false;
    const double t = ((c.x - a.x) * sy - (c.y - a.y) * sx) / den;
    const double u = ((c.x - a.x) * ry - (c.y - a.y) * rx) / den;
    if (!(t > 1e-9 && t < 1 - 1e-9 && u > 1e-9 && u < 1 - 1e-9))
        return false;
    x = {a.x + t * rx, a.y + t * ry};
    return true;
}

// The area an outline covers moving from `p` to `q`: their hull, less what the hull bridges on the
// inside of a turn. There an edge at the two positions crosses itself (the outline turns about a
// point of that edge), the edge sweeps two thin triangles meeting at the crossing, and the hull's
// straight edge across the notch would claim ground the vehicle never covers.
// Empty when there is no such notch: the outline is then the hull itself. Made at its exact size:
// most tyre steps have one, and there are tens of thousands of them.
template <size_t N> Ring StepOutline(const Ring& hull, const Outline<N>& p, const Outline<N>& q)
{
    struct Insert {
        size_t after;
        Point2d x;
    };
    std::array<Insert, N> inserts;
    size_t count = 0;
    for (size_t e = 0; e < N; ++e) {
        const Point2d a0 = p[e], b0 = p[(e + 1) % N], a1 = q[e], b1 = q[(e + 1) % N];
        Point2d x;
        if (!CrossingPoint(a0, b0, a1, b1, x))
            continue;
        for (size_t i = 0; i < hull.size(); ++i) {
            const Point2d u = hull[i], v = hull[i + 1 == hull.size() ? 0 : i + 1];
            const bool bridge =
                (u == a0 && v == b1) || (u == b1 && v == a0) || (u == a1 && v == b0) || (u == b0 && v == a1);
            // A bridge split once is no longer one.
            const bool split = std::any_of(inserts.begin(), inserts.begin() + static_cast<long>(count),
                                           [&](const Insert& in) { return in.after == i; });
            if (bridge && !split) {
                inserts[count++] = {i, x};
                break;
            }
        }
    }
    Ring out;
    if (count == 0)
        return out;
    for (size_t i = 1; i < count; ++i) // in hull order (a handful at most)
        for (size_t j = i; j > 0 && inserts[j].after < inserts[j - 1].after; --j)
            std::swap(inserts[j], inserts[j - 1]);
    out.reserve(hull.size() + count);
    size_t k = 0;
    for (size_t i = 0; i < hull.size(); ++i) {
        out.push_back(hull[i]);
        if (k < count && inserts[k].after == i)
            out.push_back(inserts[k++].x);
    }
    return out;
}

// Convex hull of p, sorted by PointLess (made unique here), counter-clockwise, collinear points
// dropped, built in `h`: the callers keep both buffers from one hull to the next.
void HullOfSorted(std::vector<Point2d>& p, Ring& h)
{
    p.erase(std::unique(p.begin(), p.end()), p.end());
    if (p.size() < 3) {
        h.assign(p.begin(), p.end());
        return;
    }
    h.resize(2 * p.size());
    size_t k = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && Cross(h[k - 2], h[k - 1], p[i]) <= 0.0)
            --k;
        h[k++] = p[i];
    }
    for (size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && Cross(h[k - 2], h[k - 1], p[i - 1]) <= 0.0)
            --k;
        h[k++] = p[i - 1];
    }
    h.resize(k - 1);
}

void HullOf(std::vector<Point2d>& p, Ring& h)
{
    std::sort(p.begin(), p.end(), PointLess);
    HullOfSorted(p, h);
}

// Buffers kept from one hull to the next: there are hundreds of thousands of hulls, and each ring
// kept is allocated at its exact size.
struct HullScratch {
    std::vector<Point2d> points;
    Ring hull;
    // The points of each outline of the track, sorted (N to an outline): a step's hull then takes
    // the two merged, not sorted afresh, and each outline is in two steps.
    std::vector<Point2d> sorted;
};

template <size_t N> void SortOutlines(const std::vector<Outline<N>>& o, HullScratch& scratch)
{
    scratch.sorted.resize(o.size() * N);
    for (size_t i = 0; i < o.size(); ++i) {
        const auto at = scratch.sorted.begin() + static_cast<long>(i * N);
        std::copy(o[i].begin(), o[i].end(), at);
        std::sort(at, at + static_cast<long>(N), PointLess);
    }
}

// The hull of outlines first .. last of a track, with the later station, and (when `outline` is
// given) what the union takes of it where that is not the hull itself (otherwise it is left
// empty); false when the outlines span no area.
template <size_t N>
bool MakeHull(const std::vector<Outline<N>>& o, const std::vector<double>& stations, size_t first,
              size_t last, HullScratch& scratch, SweptHull& h, Ring* outline)
{
    if (last == first + 1 && scratch.sorted.size() == o.size() * N) {
        const auto a = scratch.sorted.begin() + static_cast<long>(first * N);
        const auto b = scratch.sorted.begin() + static_cast<long>(last * N);
        scratch.points.resize(2 * N);
        std::merge(a, a + static_cast<long>(N), b, b + static_cast<long>(N), scratch.points.begin(), PointLess);
        HullOfSorted(scratch.points, scratch.hull);
    } else {
        scratch.points.clear();
        for (size_t i = first; i <= last; ++i)
            scratch.points.insert(scratch.points.end(), o[i].begin(), o[i].end());
        HullOf(scratch.points, scratch.hull);
    }
    if (scratch.hull.size() < 3)
        return false;
    h.ring.assign(scratch.hull.begin(), scratch.hull.end());
    if (outline)
        *outline = last == first + 1 ? StepOutline(h.ring, o[first], o[last]) : Ring{};
    h.box = BoxOf(h.ring);
    h.station = stations[last];
    return true;
}

// Calls piece(first, last) for the pieces of one outline track in run order. A stretch whose
// outlines are translates along one line is one piece (a convex outline moved along a line sweeps
// the hull of its positions); otherwise each step is one.
template <size_t N, class Piece> void ForEachPiece(const std::vector<Outline<N>>& o, bool merge, Piece piece)
{
    if (o.size() == 1)
        piece(0, 0);
    size_t first = 0; // the stretch first .. i-1 is one translation along `dir`
    Point2d dir{};
    auto direction = [&](size_t a, size_t b) {
        const double dx = o[b][0].x - o[a][0].x, dy = o[b][0].y - o[a][0].y;
        const double len = std::hypot(dx, dy);
        return len > kSweptMergeTolerance ? Point2d{dx / len, dy / len} : Point2d{};
    };
    for (size_t i = 1; i < o.size(); ++i) {
        if (merge && IsTranslate(o[i - 1], o[i], dir) && IsTranslate(o[first], o[i], dir)) {
            if (dir.x == 0.0 && dir.y == 0.0)
                dir = direction(first, i);
            continue;
        }
        if (i - 1 > first)
            piece(first, i - 1);
        if (merge && IsTranslate(o[i - 1], o[i], Point2d{})) {
            first = i - 1; // a new stretch starts with this step
            dir = direction(i - 1, i);
            continue;
        }
        piece(i - 1, i);
        first = i;
        dir = {};
    }
    if (o.size() > 1 && o.size() - 1 > first)
        piece(first, o.size() - 1);
}

template <size_t N>
void TrackHulls(const std::vector<Outline<N>>& o, const std::vector<double>& stations, bool merge,
                std::vector<SweptHull>& out)
{
    HullScratch scratch;
    SortOutlines(o, scratch);
    ForEachPiece(o, merge, [&](size_t first, size_t last) {
        SweptHull h;
        if (!MakeHull(o, stations, first, last, scratch, h, &h.outline))
            return;
        if (h.outline.empty())
            h.outline = h.ring;
        out.push_back(std::move(h));
    });
}

// Where a merged piece's outline is kept: in a step (its outline, or its ring when it has none)
// or in the list of pieces of more than one step.
struct PieceAt {
    bool isStep;
    size_t index;
};

// Both lists of one track at once: the steps' hulls, each with its outline where that is not its
// hull, and the pieces the union takes, in `order`: a piece of a single step is that step's, not
// made again; the others' outlines go to `merged`.
template <size_t N>
void BothTrackHulls(const std::vector<Outline<N>>& o, const std::vector<double>& stations,
                    std::vector<SweptHull>& steps, std::vector<Ring>& merged, std::vector<PieceAt>& order)
{
    HullScratch scratch;
    SortOutlines(o, scratch);
    std::vector<long> stepAt(o.size(), -1); // the step hull ending at each outline
    ForEachPiece(o, false, [&](size_t first, size_t last) {
        SweptHull h;
        if (!MakeHull(o, stations, first, last, scratch, h, &h.outline))
            return;
        stepAt[last] = static_cast<long>(steps.size());
        steps.push_back(std::move(h));
    });
    ForEachPiece(o, true, [&](size_t first, size_t last) {
        if (last == first + 1) {
            if (stepAt[last] >= 0)
                order.push_back({true, static_cast<size_t>(stepAt[last])});
            return;
        }
        SweptHull h;
        Ring outline;
        if (!MakeHull(o, stations, first, last, scratch, h, &outline))
            return;
        order.push_back({false, merged.size()});
        merged.push_back(outline.empty() ? std::move(h.ring) : std::move(outline));
    });
}

// Calls track(outlines, stations) for each body (wheels = false) or tyre track of the run.
template <class Track> void ForEachTrack(const SweptFootprints& footprints, bool wheels, Track track)
{
    for (const std::vector<UnitPose>& poses : footprints.byUnit) {
        if (poses.empty())
            continue;
        std::vector<double> stations;
        stations.reserve(poses.size());
        for (const UnitPose& pose : poses)
            stations.push_back(pose.station);
        if (!wheels) {
            std::vector<Outline<4>> bodies;
            bodies.reserve(poses.size());
            for (const UnitPose& pose : poses)
                bodies.push_back(pose.body);
            track(bodies, stations);
            continue;
        }
        const uint8_t tyres = poses.front().tyreCount;
        std::vector<TyreOutline> outlines(poses.size());
        for (uint8_t t = 0; t < tyres; ++t) {
            for (size_t i = 0; i < poses.size(); ++i)
                outlines[i] = poses[i].tyres[t];
            track(outlines, stations);
        }
    }
}

// Narrows [t0, t1] to the part of p + t*d (d a unit vector) inside the box grown by `margin`;
// false when that part is empty.
bool ClipToBox(const Box& b, double margin, Point2d p, Point2d d, double& t0, double& t1)
{
    return ClipLineToBox(b.minX - margin, b.minY - margin, b.maxX + margin, b.maxY + margin, p, d, t0, t1);
}

} // namespace

bool ClipToConvex(const Ring& ring, Point2d p, Point2d d, double& t0, double& t1)
{
    for (size_t i = 0; i < ring.size(); ++i) {
        const Point2d a = ring[i];
        const Point2d b = ring[i + 1 == ring.size() ? 0 : i + 1]; // no division: millions of calls
        // Inside is to the left of a->b: cross(b - a, x - a) >= 0.
        const double num = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        const double den = (b.x - a.x) * d.y - (b.y - a.y) * d.x;
        if (den == 0.0) {
            if (num < 0.0)
                return false;
            continue;
        }
        const double t = -num / den;
        if (den > 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

void Box::Add(Point2d p)
{
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
}

void Box::Add(const Box& b)
{
    if (b.IsEmpty())
        return;
    Add(Point2d{b.minX, b.minY});
    Add(Point2d{b.maxX, b.maxY});
}

double Box::Distance(const Box& b) const
{
    const double dx = std::max({0.0, b.minX - maxX, minX - b.maxX});
    const double dy = std::max({0.0, b.minY - maxY, minY - b.maxY});
    return std::hypot(dx, dy);
}

Box BoxOf(const std::vector<Point2d>& points)
{
    Box b;
    for (Point2d p : points)
        b.Add(p);
    return b;
}

void SweptFootprints::Add(size_t unit, double station, const SegmentCorners& c, const SegmentSpec& spec)
{
    if (AllZero(c))
        return;
    if (byUnit.size() <= unit)
        byUnit.resize(unit + 1);
    UnitPose pose;
    pose.station = station;
    for (size_t i = 0; i < 4; ++i)
        pose.body[i] = c[kBodyCorners[i]];
    if (spec.Kind == kKindMotor) {
        pose.tyres[pose.tyreCount++] = TyreAt(c, kFrontLeftTyre);
        pose.tyres[pose.tyreCount++] = TyreAt(c, kFrontRightTyre);
    }
    pose.tyres[pose.tyreCount++] = TyreAt(c, kRearLeftTyre);
    pose.tyres[pose.tyreCount++] = TyreAt(c, kRearRightTyre);
    byUnit[unit].push_back(pose);
}

bool SweptFootprints::IsEmpty() const
{
    return std::all_of(byUnit.begin(), byUnit.end(), [](const auto& poses) { return poses.empty(); });
}

Ring ConvexHull(std::vector<Point2d> p)
{
    Ring h;
    HullOf(p, h);
    return h;
}

std::vector<std::vector<SweptHull>> SweptHullTracks(const SweptFootprints& footprints, bool wheels,
                                                    bool merge)
{
    std::vector<std::vector<SweptHull>> out;
    ForEachTrack(footprints, wheels, [&](const auto& outlines, const std::vector<double>& stations) {
        TrackHulls(outlines, stations, merge, out.emplace_back());
    });
    return out;
}

SweptHullLists BuildSweptHulls(const SweptFootprints& footprints, bool wheels)
{
    SweptHullLists lists;
    // Room for them all at once: at most one step for each pose of each track. Room not used is
    // never touched, and growing the lists step by step would touch it several times over.
    size_t poses = 0;
    for (const std::vector<UnitPose>& unit : footprints.byUnit)
        poses += unit.size() * (wheels && !unit.empty() ? unit.front().tyreCount : 1);
    lists.steps.reserve(poses);
    std::vector<std::vector<PieceAt>> order;
    ForEachTrack(footprints, wheels, [&](const auto& outlines, const std::vector<double>& stations) {
        BothTrackHulls(outlines, stations, lists.steps, lists.merged, order.emplace_back());
    });
    // Only now that both lists are whole do their rings stay where they are.
    for (const std::vector<PieceAt>& track : order) {
        std::vector<const Ring*>& refs = lists.mergedTracks.emplace_back();
        refs.reserve(track.size());
        for (const PieceAt& at : track) {
            if (!at.isStep) {
                refs.push_back(&lists.merged[at.index]);
                continue;
            }
            const SweptHull& h = lists.steps[at.index];
            refs.push_back(h.outline.empty() ? &h.ring : &h.outline);
        }
    }
    return lists;
}

std::vector<SweptHull> SweptHulls(const SweptFootprints& footprints, bool wheels, bool merge)
{
    std::vector<SweptHull> out;
    for (std::vector<SweptHull>& track : SweptHullTracks(footprints, wheels, merge))
        std::move(track.begin(), track.end(), std::back_inserter(out));
    return out;
}

double MaxSweptWidth(const std::vector<SweptHull>& bodyHulls, const std::vector<PathTrackEntry>& track,
                     double reach)
{
    const std::vector<double> widths = SweptCutWidths(bodyHulls, track, reach);
    return widths.empty() ? 0.0 : *std::max_element(widths.begin(), widths.end());
}

std::vector<double> SweptCutWidths(const std::vector<SweptHull>& bodyHulls,
                                   const std::vector<PathTrackEntry>& track, double reach)
{
    std::vector<double> widths(track.size() > 1 ? track.size() - 1 : 0, 0.0);
    if (track.size() < 2 || bodyHulls.empty())
        return widths;
    // Blocks of consecutive hulls of one track, each with the box and the stations of all of them,
    // in the order of their first station: a cut runs through few of the blocks of the stations
    // near it, so most hulls are passed over a block at a time.
    struct Block {
        double first, last; // stations
        Box box;
        size_t begin, end; // hulls
    };
    std::vector<Block> blocks;
    for (size_t k = 0; k < bodyHulls.size();) {
        Block b{bodyHulls[k].station, bodyHulls[k].station, bodyHulls[k].box, k, k + 1};
        while (b.end < bodyHulls.size() && b.end - b.begin < kWidthBlock &&
               bodyHulls[b.end].station >= bodyHulls[b.end - 1].station) {
            b.box.Add(bodyHulls[b.end].box);
            b.last = bodyHulls[b.end].station;
            ++b.end;
        }
        k = b.end;
        blocks.push_back(b);
    }
    std::stable_sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) { return a.first < b.first; });
    // The longest stretch of stations one block spans: blocks starting that much before a window
    // may still reach into it.
    double span = 0.0;
    for (const Block& b : blocks)
        span = std::max(span, b.last - b.first);
    size_t lo = 0;
    // The hulls that gave the last cut its ends: they, or the next of their tracks, mostly give
    // the next cut its ends too, and tried first they let the filters skip most of the others.
    constexpr size_t kNone = std::numeric_limits<size_t>::max();
    size_t lowEnd = kNone, highEnd = kNone;
    for (size_t i = 0; i + 1 < track.size(); ++i) {
        const Point2d p{track[i].x, track[i].y};
        const double hx = track[i + 1].x - p.x, hy = track[i + 1].y - p.y;
        const double len = std::hypot(hx, hy);
        if (!(len > 0.0))
            continue;
        // The cut runs square to the path from its right (t = -reach) to its left (t = +reach).
        const Point2d d{-hy / len, hx / len};
        const Point2d start{p.x - d.x * reach, p.y - d.y * reach};
        Box cut;
        cut.Add(start);
        cut.Add(Point2d{p.x + d.x * reach, p.y + d.y * reach});
        // Far above the rounding of the cut's parameters, far below anything drawn: the filters
        // below skip only hulls that cannot change the answer.
        const double margin = kWidthFilterMargin * (1.0 + std::fabs(p.x) + std::fabs(p.y) + reach);
        // The vehicle behind the front axle covers this cut at later stations, up to 2 reaches on.
        const double s = track[i].station, from = s - reach, to = s + 2.0 * reach;
        while (lo < blocks.size() && blocks[lo].first < from - span)
            ++lo;
        double tMin = INFINITY, tMax = -INFINITY;
        size_t gaveLow = kNone, gaveHigh = kNone;
        auto clip = [&](size_t j) {
            double t0 = 0.0, t1 = 2.0 * reach;
            if (!ClipToConvex(bodyHulls[j].ring, start, d, t0, t1))
                return;
            if (t0 < tMin) {
                tMin = t0;
                gaveLow = j;
            }
            if (t1 > tMax) {
                tMax = t1;
                gaveHigh = j;
            }
        };
        for (size_t end : {lowEnd, highEnd})
            for (size_t j = end; j != kNone && j < bodyHulls.size() && j <= end + 1; ++j)
                if (bodyHulls[j].station >= from && bodyHulls[j].station <= to)
                    clip(j);
        // Whether the cut's line runs through the box (grown by the margin): where it does bounds
        // where it can run through what lies in the box.
        auto through = [&](const Box& b, double& t0, double& t1) {
            if (b.minX > cut.maxX || cut.minX > b.maxX || b.minY > cut.maxY || cut.minY > b.maxY)
                return false;
            t0 = 0.0;
            t1 = 2.0 * reach;
            return ClipToBox(b, margin, start, d, t0, t1);
        };
        for (size_t k = lo; k < blocks.size() && blocks[k].first <= to; ++k) {
            const Block& blk = blocks[k];
            double t0, t1;
            if (blk.last < from || !through(blk.box, t0, t1))
                continue;
            if (t0 >= tMin + margin && t1 <= tMax - margin)
                continue; // the whole block inside what is found already
            for (size_t j = blk.begin; j < blk.end; ++j) {
                const SweptHull& h = bodyHulls[j];
                if (h.station < from || h.station > to || !through(h.box, t0, t1))
                    continue;
                if (t0 >= tMin + margin && t1 <= tMax - margin)
                    continue; // inside what is found already: cannot widen it
                // Where the hull's points fall along the cut bounds where the cut can run through
                // it, much closer than the box where the hull lies askew.
                double pMin = INFINITY, pMax = -INFINITY;
                for (Point2d v : h.ring) {
                    const double t = (v.x - start.x) * d.x + (v.y - start.y) * d.y;
                    pMin = std::min(pMin, t);
                    pMax = std::max(pMax, t);
                }
                if (pMin >= tMin + margin && pMax <= tMax - margin)
                    continue;
                clip(j);
            }
        }
        lowEnd = gaveLow;
        highEnd = gaveHigh;
        if (tMax > tMin)
            widths[i] = tMax - tMin;
    }
    return widths;
}

SweptArea ComputeSweptArea(const SweptFootprints& footprints, const std::vector<PathTrackEntry>& track,
                           double reach)
{
    return ComputeSweptArea(footprints, track, reach, SweptAreaThreads());
}

SweptArea ComputeSweptArea(const SweptFootprints& footprints, const std::vector<PathTrackEntry>& track,
                           double reach, unsigned threads)
{
    SweptArea area;
    // The hulls for locating stations (one per step) and the pieces of the unions (straight
    // stretches merged), then the union, of the tyres on one task and of the body on the other,
    // which then works out the widest cut. The tyres take longest: once the body is done, their
    // union has every thread. The unions take the pieces where the lists keep them.
    SweptHullLists lists[2];
    RunSweptTasks(2, threads, [&](size_t task) {
        SweptHullLists& l = lists[task == 0 ? 1 : 0];
        if (task == 0) {
            l = BuildSweptHulls(footprints, true);
            area.wheels = UnionOfSet(l.mergedTracks, threads);
            return;
        }
        l = BuildSweptHulls(footprints, false);
        area.body = UnionOfSet(l.mergedTracks, 1);
        area.maxWidth = MaxSweptWidth(l.steps, track, reach);
    });
    area.bodyHulls = std::move(lists[0].steps);
    area.wheelHulls = std::move(lists[1].steps);
    area.bodyArea = area.body.Area();
    area.wheelArea = area.wheels.Area();
    return area;
}

} // namespace velrok
