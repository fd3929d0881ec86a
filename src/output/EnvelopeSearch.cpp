// Picking a side's crossing from candidate rows, and the index of groups of neighbouring rows.
#include "output/EnvelopeSearch.h"

#include "geometry/Geometry.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace velrok::envelope_search {

// The first row after `from` whose station is beyond the bound: rows are sorted by station.
size_t LookAheadEnd(const std::vector<SegmentLineRow>& lines, size_t from, double bound)
{
    const auto rest = lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size()));
    const auto beyond = std::partition_point(
        rest, lines.end(), [bound](const SegmentLineRow& row) { return !(row.station > bound); });
    return static_cast<size_t>(beyond - lines.begin());
}

// The walk's answer from the rows that may cross the probe P->Q, in ascending order; every row
// left out must be one the walk judges no crossing. `scale` bounds the coordinates' magnitude.
SegmentCrossing PickCrossing(const std::vector<SegmentLineRow>& lines,
                             const std::vector<uint32_t>& candidates, size_t& scanStart, Point2d p, Point2d q,
                             double scale)
{
    const double ax = q.x - p.x;
    const double ay = q.y - p.y;
    const double length = std::fabs(ax) + std::fabs(ay); // not below |a|
    constexpr size_t kSampleStep = 8; // every 8th row judged early, for a distance to dismiss with
    // The walk's answer is the first crossing (for the scan start) and the farthest crossing,
    // the earliest of equals. The first is found walking forward. For the farthest, every row
    // that provably falls short of a distance already reached is dismissed without dividing;
    // walking back, an equal distance found later is an earlier row.
    size_t k = 0;
    SegmentCrossing first;
    double firstDistance = 0.0;
    for (; k < candidates.size() && !first.found; ++k) {
        const SegmentLineRow& row = lines[candidates[k]];
        const CrossTerms terms = Terms(p, ax, ay, {row.x1, row.y1}, {row.x2, row.y2});
        if (QuotientOutsideUnit(terms.uNum, terms.den))
            continue;
        first = Cross(terms);
        if (first.found) {
            scanStart = candidates[k];
            firstDistance = PointDistance(p, {first.x, first.y});
        }
    }
    if (!first.found)
        return {};
    // Rounding moves a crossing by far less than this, so a row shown nearer by it is nearer.
    const double slack = 1e-9 * (1.0 + scale + length);
    const double reach = std::sqrt(ax * ax + ay * ay) * (1.0 + 1e-12); // not below |a|
    // A few rows judged first give a distance the answer reaches at least, to dismiss with.
    double reached = firstDistance;
    for (size_t i = k; i < candidates.size(); i += kSampleStep) {
        const SegmentLineRow& row = lines[candidates[i]];
        const SegmentCrossing hit = Cross(Terms(p, ax, ay, {row.x1, row.y1}, {row.x2, row.y2}));
        if (hit.found)
            reached = std::max(reached, PointDistance(p, {hit.x, hit.y}));
    }
    SegmentCrossing last;
    double lastDistance = -1.0;
    for (size_t i = candidates.size(); i-- > k;) {
        const SegmentLineRow& row = lines[candidates[i]];
        const CrossTerms terms = Terms(p, ax, ay, {row.x1, row.y1}, {row.x2, row.y2});
        if (QuotientOutsideUnit(terms.uNum, terms.den))
            continue;
        // t |a| < target - slack, with t = tNum / den, cannot give a crossing at the target.
        const double target = std::max(reached, lastDistance) - slack;
        if (target > 0.0 && std::fabs(terms.tNum) * reach < std::fabs(terms.den) * target)
            continue;
        const SegmentCrossing hit = Cross(terms);
        if (!hit.found)
            continue;
        const double d = PointDistance(p, {hit.x, hit.y});
        if (d >= lastDistance) { // walking back: an equal one is earlier
            last = hit;
            lastDistance = d;
        }
    }
    return last.found && lastDistance > firstDistance ? last : first;
}

SideIndex::SideIndex(const std::vector<SegmentLineRow>& lines) : m_lines(lines)
{
    for (const SegmentLineRow& row : lines)
        m_scale = std::max(
            {m_scale, std::fabs(row.x1), std::fabs(row.y1), std::fabs(row.x2), std::fabs(row.y2)});
    const size_t windows = (lines.size() + kWindow - 1) / kWindow;
    m_groups.reserve(windows * kWindow / kGroupSize);
    m_windowGroups.reserve(windows + 1);
    for (size_t w = 0; w < windows; ++w) {
        m_windowGroups.push_back(static_cast<uint32_t>(m_groups.size()));
        BuildGroups(w * kWindow, std::min(lines.size(), (w + 1) * kWindow));
    }
    m_windowGroups.push_back(static_cast<uint32_t>(m_groups.size()));
}

SegmentCrossing SideIndex::Scan(size_t& scanStart, Point2d p, Point2d q, double bound) const
{
    const size_t from = scanStart;
    const size_t to = LookAheadEnd(m_lines, from, bound);
    m_candidates.clear();
    if (from >= to)
        return {};
    const double ax = q.x - p.x;
    const double ay = q.y - p.y;
    const double length = std::fabs(ax) + std::fabs(ay); // not below |a|
    const double scale =
        std::max({m_scale, std::fabs(p.x), std::fabs(p.y), std::fabs(q.x), std::fabs(q.y)});
    const double margin = 2e-9 * (1.0 + scale) * length;
    // Side of the probe's line: s(c) = ax (c.y - p.y) - ay (c.x - p.x), taken over a box.
    auto clearOfLine = [&](const Group& box) {
        const double sHigh =
            ax * ((ax > 0 ? box.maxY : box.minY) - p.y) - ay * ((ay > 0 ? box.minX : box.maxX) - p.x);
        const double sLow =
            ax * ((ax > 0 ? box.minY : box.maxY) - p.y) - ay * ((ay > 0 ? box.maxX : box.minX) - p.x);
        return sLow > margin || sHigh < -margin;
    };
    for (size_t w = from / kWindow; w * kWindow < to; ++w) {
        if (clearOfLine(m_windowBoxes[w]))
            continue;
        uint64_t candidates = 0;
        for (uint32_t g = m_windowGroups[w]; g < m_windowGroups[w + 1]; ++g) {
            if (!clearOfLine(m_groups[g]))
                candidates |= m_groups[g].members;
        }
        const size_t base = w * kWindow;
        if (from > base)
            candidates &= ~uint64_t{0} << (from - base);
        if (to < base + kWindow)
            candidates &= (uint64_t{1} << (to - base)) - 1;
        while (candidates != 0) {
            m_candidates.push_back(
                static_cast<uint32_t>(base + static_cast<size_t>(std::countr_zero(candidates))));
            candidates &= candidates - 1;
        }
    }

    return PickCrossing(m_lines, m_candidates, scanStart, p, q, scale);
}

void SideIndex::BuildGroups(size_t first, size_t last)
{
    // Neighbours along the axis on which the line midpoints spread most.
    std::array<size_t, kWindow> order{};
    const size_t n = last - first;
    double minMx = INFINITY, maxMx = -INFINITY, minMy = INFINITY, maxMy = -INFINITY;
    for (size_t k = 0; k < n; ++k) {
        order[k] = k;
        const SegmentLineRow& row = m_lines[first + k];
        minMx = std::min(minMx, row.x1 + row.x2);
        maxMx = std::max(maxMx, row.x1 + row.x2);
        minMy = std::min(minMy, row.y1 + row.y2);
        maxMy = std::max(maxMy, row.y1 + row.y2);
    }
    const bool alongX = maxMx - minMx >= maxMy - minMy;
    auto key = [&](size_t k) {
        const SegmentLineRow& row = m_lines[first + k];
        return alongX ? row.x1 + row.x2 : row.y1 + row.y2;
    };
    std::sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(n),
              [&](size_t a, size_t b) { return key(a) < key(b); });
    for (size_t g = 0; g < n; g += kGroupSize) {
        Group group{INFINITY, INFINITY, -INFINITY, -INFINITY, 0};
        for (size_t k = g; k < std::min(n, g + kGroupSize); ++k) {
            const SegmentLineRow& row = m_lines[first + order[k]];
            group.minX = std::min({group.minX, row.x1, row.x2});
            group.maxX = std::max({group.maxX, row.x1, row.x2});
            group.minY = std::min({group.minY, row.y1, row.y2});
            group.maxY = std::max({group.maxY, row.y1, row.y2});
            group.members |= uint64_t{1} << order[k];
        }
        // A box that is not a number cannot be judged: its rows are always offered.
        if (!(std::isfinite(group.minX) && std::isfinite(group.maxX) && std::isfinite(group.minY) &&
              std::isfinite(group.maxY)))
            group = {-INFINITY, -INFINITY, INFINITY, INFINITY, group.members};
        m_groups.push_back(group);
    }
    Group window{INFINITY, INFINITY, -INFINITY, -INFINITY, 0};
    for (size_t g = m_windowGroups.back(); g < m_groups.size(); ++g) {
        window.minX = std::min(window.minX, m_groups[g].minX);
        window.minY = std::min(window.minY, m_groups[g].minY);
        window.maxX = std::max(window.maxX, m_groups[g].maxX);
        window.maxY = std::max(window.maxY, m_groups[g].maxY);
        window.members |= m_groups[g].members;
    }
    m_windowBoxes.push_back(window);
}

} // namespace velrok::envelope_search
