// The swept envelope by cross-sections square to the path.
#include "output/Envelope.h"

#include "geometry/Geometry.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <future>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace velrok {

namespace {

double ColumnOf(const SegmentLineRow& row, int column)
{
    switch (column) {
    case 0:
        return row.x1;
    case 1:
        return row.y1;
    case 2:
        return row.x2;
    case 3:
        return row.y2;
    case kStationColumn:
        return row.station;
    default:
        throw std::out_of_range("SortRowsByColumn: a segment line row has columns 0 to 4");
    }
}

void SortByStation(std::vector<SegmentLineRow>& rows)
{
    if (rows.size() > 1)
        SortRowsByColumn(rows, 0, static_cast<int>(rows.size()) - 1, kStationColumn, true);
}

void DropOpenRow(std::vector<SegmentLineRow>& rows)
{
    if (rows.empty())
        throw std::logic_error("ComputeEnvelope: a segment line list has no open last row");
    rows.pop_back();
}

} // namespace

void SortRowsByColumn(std::vector<SegmentLineRow>& rows, int first, int last, int column, bool ascending)
{
    if (first < 0 || last >= static_cast<int>(rows.size()))
        throw std::out_of_range("SortRowsByColumn: rows outside the table");
    ColumnOf(SegmentLineRow{}, column); // refuse an unknown column before sorting anything
    SortRowsBy(
        rows, first, last, [column](const SegmentLineRow& row) { return ColumnOf(row, column); }, ascending);
}

namespace {

// The three cross products of SegmentIntersect for probe A (start a1, direction a) and row B.
struct CrossTerms {
    double den, tNum, uNum, ax, ay;
    Point2d a1;
};

CrossTerms Terms(Point2d a1, double ax, double ay, Point2d b1, Point2d b2)
{
    const double bx = b2.x - b1.x;
    const double by = b2.y - b1.y;
    const double dx = a1.x - b1.x;
    const double dy = a1.y - b1.y;
    return {by * ax - bx * ay, dy * bx - by * dx, dy * ax - dx * ay, ax, ay, a1};
}

SegmentCrossing Cross(const CrossTerms& c)
{
    if (c.den == 0.0)
        return {};
    const double t = c.tNum / c.den;
    if (!(t >= 0.0 && t <= 1.0))
        return {};
    const double u = c.uNum / c.den;
    if (!(u >= 0.0 && u <= 1.0))
        return {};
    return {c.a1.x + t * c.ax, c.a1.y + t * c.ay, true};
}

// True only when num / den, rounded, is certainly outside [0, 1]; decided without dividing.
// Above twice the denominator the quotient is beyond 2; with opposite signs it is negative, and
// it cannot round to -0 while |num| is at least |den| 2^-500 (den kept within 2^+-500 so that
// this bound is exact). Anything else is left to the division.
bool QuotientOutsideUnit(double num, double den)
{
    const double an = std::fabs(num);
    const double ad = std::fabs(den);
    if (!(ad >= 0x1p-500 && ad <= 0x1p500))
        return false;
    const bool beyondTwo = an > 2.0 * ad;
    const bool negative = (num < 0.0) != (den < 0.0) && num != 0.0 && an >= ad * 0x1p-500;
    return beyondTwo || negative;
}

// One side's search for the probe P->Q at one station: rows are offered in ascending order and
// judged with the same arithmetic as SegmentIntersect. The prefilter only skips rows the
// divisions would refuse as well, and a crossing whose squared distance is not above the best
// one's cannot be farther once rooted.
class SideSearch {
  public:
    SideSearch(Point2d p, Point2d q, double bound, bool prefilter, size_t& scanStart)
        : m_p(p), m_ax(q.x - p.x), m_ay(q.y - p.y), m_bound(bound), m_prefilter(prefilter),
          m_scanStart(scanStart)
    {
    }

    void Consider(const SegmentLineRow& row, size_t j)
    {
        if (!(row.station <= m_bound))
            return;
        const CrossTerms terms = Terms(m_p, m_ax, m_ay, {row.x1, row.y1}, {row.x2, row.y2});
        if (m_prefilter && QuotientOutsideUnit(terms.uNum, terms.den))
            return;
        const SegmentCrossing hit = Cross(terms);
        if (!hit.found)
            return;
        const double hx = hit.x - m_p.x;
        const double hy = hit.y - m_p.y;
        const double squared = hx * hx + hy * hy;
        if (!m_best.found) {
            // Later stations start here: rows before the first crossing belong to passed stations.
            m_scanStart = j;
            m_best = hit;
            m_bestDistance = std::sqrt(squared);
            m_bestSquared = squared;
        } else if (squared > m_bestSquared) {
            const double d = std::sqrt(squared);
            if (d > m_bestDistance) {
                m_best = hit;
                m_bestDistance = d;
                m_bestSquared = squared;
            }
        }
    }

    SegmentCrossing Best() const { return m_best; }

  private:
    Point2d m_p;
    double m_ax, m_ay, m_bound;
    bool m_prefilter;
    size_t& m_scanStart;
    SegmentCrossing m_best;
    double m_bestDistance = 0.0;
    double m_bestSquared = 0.0;
};

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

// A sorted side list prepared for the probes of a whole envelope. Each run of 64 rows is split
// into groups of spatial neighbours (mostly the lines of one unit at a few stations); a probe
// passes over every group whose box lies wholly on one side of its line. Such rows cannot cross
// the probe: a segment with both ends clear of the probe's line by the margin below gets a u
// outside [0, 1] from the divisions too, whatever their rounding. The margin is a billionth of
// the largest coordinate, far above the rounding of the products and far below any drawing
// detail. Only rows the walk would have judged no crossing are passed over, so the answer is
// the walk's.
class SideIndex {
  public:
    explicit SideIndex(const std::vector<SegmentLineRow>& lines) : m_lines(lines)
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

    SegmentCrossing Scan(size_t& scanStart, Point2d p, Point2d q, double bound) const
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

  private:
    static constexpr size_t kWindow = 64; // rows per window: one bit each
    // Four rows a group: with the short corner lines beside the long body sides, boxes of four
    // stay tight enough to pass over most rows, and there are not yet too many boxes to test.
    static constexpr size_t kGroupSize = 4;

    struct Group {
        double minX, minY, maxX, maxY;
        uint64_t members; // bit k: row (window start + k)
    };

    void BuildGroups(size_t first, size_t last)
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

    const std::vector<SegmentLineRow>& m_lines;
    double m_scale = 0.0;
    std::vector<Group> m_groups;
    std::vector<uint32_t> m_windowGroups; // groups of window w: [m_windowGroups[w], m_windowGroups[w + 1])
    std::vector<Group> m_windowBoxes;     // the box of all groups of window w
    mutable std::vector<uint32_t> m_candidates;
};

// Cells per probe length: small enough that a probe gathers few rows besides those it crosses,
// large enough that a body side is filed in only a few cells.
constexpr double kProbeCells = 64.0;

// A sorted side list filed in a uniform grid of square cells: each row is listed, in ascending
// order, in every cell its line passes within `margin` of, and a probe gathers the rows of the
// cells it passes within `margin` of. Rows that cross the probe meet it at a point that lies on
// both lines to within rounding, far below the margin (a billionth of the largest coordinate
// plus a millionth of a unit), so each such row shares a cell with the probe and is gathered.
// The one row this does not hold for lies along the probe's own line (parallel to about 1e-14)
// beyond its ends: there the divisions judge rounding noise, and the walk's answer is noise too.
// Rows with a coordinate that is not a number cannot be filed: they are always offered.
class GridIndex {
  public:
    GridIndex(const std::vector<SegmentLineRow>& lines, double cellSize) : m_lines(lines)
    {
        double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
        for (const SegmentLineRow& row : lines) {
            if (!Finite(row))
                continue;
            m_scale = std::max(
                {m_scale, std::fabs(row.x1), std::fabs(row.y1), std::fabs(row.x2), std::fabs(row.y2)});
            minX = std::min({minX, row.x1, row.x2});
            minY = std::min({minY, row.y1, row.y2});
            maxX = std::max({maxX, row.x1, row.x2});
            maxY = std::max({maxY, row.y1, row.y2});
        }
        m_margin = 1e-9 * (1.0 + m_scale) + 1e-6;
        if (minX > maxX) {
            minX = minY = maxX = maxY = 0.0;
        }
        m_originX = minX - 2.0 * m_margin;
        m_originY = minY - 2.0 * m_margin;
        const double width = maxX - minX + 4.0 * m_margin;
        const double height = maxY - minY + 4.0 * m_margin;
        // Too many cells cost memory and time to empty; a huge drawing gets larger cells.
        const double fewest = std::sqrt(width * height / kMaxCells);
        m_cell = std::max({cellSize, fewest, width / kMaxSide, height / kMaxSide, 1e-3});
        m_columns = std::clamp(static_cast<long>(std::floor(width / m_cell)) + 1, 1L, kMaxSide);
        m_rowsOfCells = std::clamp(static_cast<long>(std::floor(height / m_cell)) + 1, 1L, kMaxSide);

        m_inverseCell = 1.0 / m_cell;

        // Count, then fill: rows arrive in ascending order, so every cell's list is sorted.
        m_start.assign(static_cast<size_t>(m_columns * m_rowsOfCells) + 1, 0);
        std::vector<uint32_t> cells;                // the cells of every row in turn
        std::vector<uint32_t> rowEnd(lines.size()); // row j's cells end at cells[rowEnd[j]]
        cells.reserve(lines.size() * 2);
        for (size_t j = 0; j < lines.size(); ++j) {
            if (Finite(lines[j])) {
                VisitCells(lines[j], All(), [&](size_t cell) {
                    ++m_start[cell + 1];
                    cells.push_back(static_cast<uint32_t>(cell));
                });
            } else {
                m_unfiled.push_back(static_cast<uint32_t>(j));
            }
            rowEnd[j] = static_cast<uint32_t>(cells.size());
        }
        for (size_t c = 1; c < m_start.size(); ++c)
            m_start[c] += m_start[c - 1];
        m_windows.assign((lines.size() + kWindow - 1) / kWindow, CellRange{m_columns, -1, m_rowsOfCells, -1});
        for (size_t j = 0; j < lines.size(); ++j) {
            if (!Finite(lines[j]))
                continue;
            CellRange& w = m_windows[j / kWindow];
            const SegmentLineRow& row = lines[j];
            w.firstColumn = std::min(w.firstColumn, ColumnOf(std::min(row.x1, row.x2) - m_margin));
            w.lastColumn = std::max(w.lastColumn, ColumnOf(std::max(row.x1, row.x2) + m_margin));
            w.firstRow = std::min(w.firstRow, RowOf(std::min(row.y1, row.y2) - m_margin));
            w.lastRow = std::max(w.lastRow, RowOf(std::max(row.y1, row.y2) + m_margin));
        }
        m_rows.resize(m_start.back());
        std::vector<uint32_t> next(m_start.begin(), m_start.end() - 1);
        for (size_t j = 0, k = 0; j < lines.size(); ++j) {
            for (; k < rowEnd[j]; ++k)
                m_rows[next[cells[k]]++] = static_cast<uint32_t>(j);
        }
    }

    SegmentCrossing Scan(size_t& scanStart, Point2d p, Point2d q, double bound) const
    {
        const SegmentLineRow probe{p.x, p.y, q.x, q.y, 0.0};
        if (!Finite(probe)) // no cells to walk: the plain walk decides
            return ScanEnvelopeSide(m_lines, scanStart, p, q, bound);
        const size_t from = scanStart;
        const size_t to = LookAheadEnd(m_lines, from, bound);
        if (from >= to)
            return {};
        const double ax = q.x - p.x;
        const double ay = q.y - p.y;
        auto crossing = [&](uint32_t j) -> SegmentCrossing {
            const SegmentLineRow& row = m_lines[j];
            const CrossTerms terms = Terms(p, ax, ay, {row.x1, row.y1}, {row.x2, row.y2});
            if (QuotientOutsideUnit(terms.uNum, terms.den))
                return {};
            return Cross(terms);
        };

        // Only the cells that rows [from, to) are filed in can hold a crossing.
        CellRange range{m_columns, -1, m_rowsOfCells, -1};
        for (size_t w = from / kWindow; w * kWindow < to; ++w) {
            range.firstColumn = std::min(range.firstColumn, m_windows[w].firstColumn);
            range.lastColumn = std::max(range.lastColumn, m_windows[w].lastColumn);
            range.firstRow = std::min(range.firstRow, m_windows[w].firstRow);
            range.lastRow = std::max(range.lastRow, m_windows[w].lastRow);
        }
        // The cells of the probe, farthest first, each with the farthest its crossings can lie.
        m_cells.clear();
        VisitCells(probe, range, [&](size_t cell) {
            if (m_start[cell] == m_start[cell + 1])
                return;
            const long c = static_cast<long>(cell) % m_columns;
            const long r = static_cast<long>(cell) / m_columns;
            const double x0 = m_originX + static_cast<double>(c) * m_cell - m_margin;
            const double y0 = m_originY + static_cast<double>(r) * m_cell - m_margin;
            const double dx = std::max(std::fabs(x0 - p.x), std::fabs(x0 + m_cell + 2.0 * m_margin - p.x));
            const double dy = std::max(std::fabs(y0 - p.y), std::fabs(y0 + m_cell + 2.0 * m_margin - p.y));
            m_cells.push_back({std::sqrt(dx * dx + dy * dy), static_cast<uint32_t>(cell)});
        });

        // The scan start moves to the first crossing in row order: the least of each cell's first.
        size_t first = to;
        SegmentCrossing firstHit;
        auto offerFirst = [&](uint32_t j) {
            if (j >= from && j < first) {
                const SegmentCrossing hit = crossing(j);
                if (hit.found) {
                    first = j;
                    firstHit = hit;
                }
            }
        };
        for (uint32_t j : m_unfiled)
            offerFirst(j);
        for (const CellReach& cell : m_cells) {
            const auto end = m_rows.begin() + m_start[cell.cell + 1];
            for (auto it =
                     std::lower_bound(m_rows.begin() + m_start[cell.cell], end, static_cast<uint32_t>(from));
                 it != end && *it < first; ++it) {
                offerFirst(*it);
                if (first == *it)
                    break;
            }
        }
        if (first == to)
            return {};
        scanStart = first;

        // The farthest crossing, the first in row order of equals, as the walk keeps it. Cells are
        // taken farthest first; once a cell cannot hold a crossing as far as the best, no nearer
        // one can either. A crossing lies within the margin of a cell of its row and of the probe.
        SegmentCrossing best = firstHit;
        size_t bestRow = first;
        double bestDistance = PointDistance(p, {firstHit.x, firstHit.y});
        const double reach = std::sqrt(ax * ax + ay * ay) * (1.0 + 1e-12); // not below |a|
        const double nearer = 1e-9 * (1.0 + m_scale + std::fabs(ax) + std::fabs(ay));
        auto offer = [&](uint32_t j) {
            const SegmentLineRow& row = m_lines[j];
            const CrossTerms terms = Terms(p, ax, ay, {row.x1, row.y1}, {row.x2, row.y2});
            if (QuotientOutsideUnit(terms.uNum, terms.den))
                return;
            // t |a| < target, with t = tNum / den, cannot reach the best distance once divided.
            const double target = bestDistance - nearer;
            if (target > 0.0 && std::fabs(terms.tNum) * reach < std::fabs(terms.den) * target)
                return;
            const SegmentCrossing hit = Cross(terms);
            if (!hit.found)
                return;
            const double hx = hit.x - p.x;
            const double hy = hit.y - p.y;
            const double d = std::sqrt(hx * hx + hy * hy);
            if (d > bestDistance || (d == bestDistance && j < bestRow)) {
                best = hit;
                bestRow = j;
                bestDistance = d;
            }
        };
        for (uint32_t j : m_unfiled) {
            if (j >= from && j < to)
                offer(j);
        }
        std::sort(m_cells.begin(), m_cells.end(),
                  [](const CellReach& a, const CellReach& b) { return a.reach > b.reach; });
        const double slack = 2.0 * m_margin + 1e-9 * (1.0 + m_scale + std::fabs(ax) + std::fabs(ay));
        for (const CellReach& cell : m_cells) {
            if (cell.reach + slack < bestDistance)
                break;
            const auto end = m_rows.begin() + m_start[cell.cell + 1];
            for (auto it =
                     std::lower_bound(m_rows.begin() + m_start[cell.cell], end, static_cast<uint32_t>(from));
                 it != end && *it < to; ++it)
                offer(*it);
        }
        return best;
    }

  private:
    static constexpr double kMaxCells = 1 << 18; // a million bytes of cell starts per side at most
    static constexpr long kMaxSide = 1 << 14;

    static constexpr size_t kWindow = 64;

    struct CellRange {
        long firstColumn, lastColumn, firstRow, lastRow; // inclusive
    };
    CellRange All() const { return {0, m_columns - 1, 0, m_rowsOfCells - 1}; }

    static bool Finite(const SegmentLineRow& row)
    {
        return std::isfinite(row.x1) && std::isfinite(row.y1) && std::isfinite(row.x2) &&
               std::isfinite(row.y2);
    }

    // The cell number along one axis, the outside counted to the edge cells. Below zero both
    // truncating and flooring give the first cell, so truncating is enough.
    static long CellOf(double offset, double inverseCell, long count)
    {
        return static_cast<long>(std::clamp(offset * inverseCell, 0.0, static_cast<double>(count - 1)));
    }
    long ColumnOf(double x) const { return CellOf(x - m_originX, m_inverseCell, m_columns); }
    long RowOf(double y) const { return CellOf(y - m_originY, m_inverseCell, m_rowsOfCells); }

    // Every cell the line of `row`, widened by the margin to a band with square ends, touches:
    // column by column, the band's extent in y over that column's slice of x.
    template <class Visit>
    void VisitCells(const SegmentLineRow& row, const CellRange& range, Visit visit) const
    {
        double x1 = row.x1, y1 = row.y1, x2 = row.x2, y2 = row.y2;
        if (x1 > x2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const double lowY = std::min(y1, y2);
        const double highY = std::max(y1, y2);
        const double dx = x2 - x1;
        const double slope = dx > 0.0 ? (y2 - y1) / dx : 0.0;
        const long firstColumn = std::max(range.firstColumn, ColumnOf(x1 - m_margin));
        const long lastColumn = std::min(range.lastColumn, ColumnOf(x2 + m_margin));
        for (long c = firstColumn; c <= lastColumn; ++c) {
            double yA = lowY, yB = highY;
            if (dx > 0.0 && std::isfinite(slope)) {
                const double sliceLow = std::max(x1, m_originX + static_cast<double>(c) * m_cell - m_margin);
                const double sliceHigh =
                    std::min(x2, m_originX + static_cast<double>(c + 1) * m_cell + m_margin);
                yA = std::clamp(y1 + (sliceLow - x1) * slope, lowY, highY);
                yB = std::clamp(y1 + (sliceHigh - x1) * slope, lowY, highY);
                if (yA > yB)
                    std::swap(yA, yB);
            }
            const long lastRow = std::min(range.lastRow, RowOf(yB + m_margin));
            for (long r = std::max(range.firstRow, RowOf(yA - m_margin)); r <= lastRow; ++r)
                visit(static_cast<size_t>(r * m_columns + c));
        }
    }

    const std::vector<SegmentLineRow>& m_lines;
    double m_scale = 0.0;
    double m_margin = 0.0;
    double m_originX = 0.0, m_originY = 0.0, m_cell = 1.0, m_inverseCell = 1.0;
    long m_columns = 1, m_rowsOfCells = 1;
    std::vector<uint32_t> m_start; // rows of cell c: m_rows[m_start[c]] up to m_rows[m_start[c + 1]]
    std::vector<uint32_t> m_rows;
    std::vector<uint32_t> m_unfiled;
    std::vector<CellRange> m_windows; // the cells rows [64 w, 64 w + 64) are filed in lie in window w's range
    struct CellReach {
        double reach; // the farthest from the probe's start a point of the cell (with margin) lies
        uint32_t cell;
    };
    mutable std::vector<CellReach> m_cells;
};

} // namespace

SegmentCrossing SegmentIntersect(Point2d a1, Point2d a2, Point2d b1, Point2d b2)
{
    return Cross(Terms(a1, a2.x - a1.x, a2.y - a1.y, b1, b2));
}

SegmentCrossing ScanEnvelopeSide(const std::vector<SegmentLineRow>& lines, size_t& scanStart, Point2d p,
                                 Point2d q, double bound, EnvelopeWalk walk)
{
    const bool full = walk == EnvelopeWalk::Full;
    const size_t from = scanStart;
    const size_t to = full ? lines.size() : LookAheadEnd(lines, from, bound);
    SideSearch search(p, q, bound, !full, scanStart);
    for (size_t j = from; j < to; ++j)
        search.Consider(lines[j], j);
    return search.Best();
}

EnvelopePoints ComputeEnvelope(const std::vector<PathTrackEntry>& pathTrack, SweepRecords& records,
                               double fordonslen, double wmax, StatusService& status, EnvelopeWalk walk)
{
    // The probe is the diagonal of a box as long as the vehicle and as wide as its widest unit.
    const double probe = std::sqrt(fordonslen * fordonslen + wmax * wmax);
    const double lookAhead = 2.0 * fordonslen;

    // One side: its lines sorted by station, indexed for the chosen walk, then probed at every
    // station but the last. Only the side given the status bar (the calling thread's) reports.
    auto evaluateSide = [&](std::vector<SegmentLineRow>& lines, double side, StatusService* progress) {
        SortByStation(lines);
        std::optional<SideIndex> index;
        std::optional<GridIndex> grid;
        if (walk == EnvelopeWalk::StopAtLookAhead)
            index.emplace(lines);
        else if (walk == EnvelopeWalk::Grid)
            grid.emplace(lines, probe / kProbeCells);
        if (progress) {
            progress->SetPanel(1, "Evaluating Envelope...");
            progress->SetProgressMaximum(static_cast<int>(pathTrack.size()));
            progress->SetProgressVisible(true);
        }
        size_t start = 0;
        std::vector<Point2d> points;
        for (size_t i = 0; i + 1 < pathTrack.size(); ++i) {
            if (progress)
                progress->SetProgressValue(static_cast<int>(i));
            const PathTrackEntry& here = pathTrack[i];
            const PathTrackEntry& next = pathTrack[i + 1];
            const Point2d p{here.x, here.y};
            const double theta = ATan2(next.y - here.y, ToSingle(next.x - here.x));
            const double bound = here.station + lookAhead;
            const Point2d q = RotateAbout({p.x, p.y + side * probe}, p, theta);
            const SegmentCrossing c = grid ? grid->Scan(start, p, q, bound)
                                      : index
                                          ? index->Scan(start, p, q, bound)
                                          : ScanEnvelopeSide(lines, start, p, q, bound, EnvelopeWalk::Full);
            if (c.found)
                points.push_back({c.x, c.y});
        }
        return points;
    };

    status.SetPanel(1, "Sorting...");
    DropOpenRow(records.LeftSegmentLines);
    DropOpenRow(records.RightSegmentLines);

    // The two sides share nothing but the path, so the right side is worked out on a second core
    // while this thread does the left side and keeps the progress bar moving. Only this thread
    // talks to the status bar.
    std::future<std::vector<Point2d>> rightSide;
    try {
        rightSide = std::async(std::launch::async,
                               [&] { return evaluateSide(records.RightSegmentLines, -1.0, nullptr); });
    } catch (const std::system_error&) {
        rightSide = std::async(std::launch::deferred,
                               [&] { return evaluateSide(records.RightSegmentLines, -1.0, nullptr); });
    }

    EnvelopePoints result;
    result.left = evaluateSide(records.LeftSegmentLines, 1.0, &status);
    result.right = rightSide.get();
    return result;
}

} // namespace velrok
