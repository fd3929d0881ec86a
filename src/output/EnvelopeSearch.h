// The searches behind ComputeEnvelope, shared by its files: the crossing arithmetic of
// SegmentIntersect, the answer of a side's walk from a set of candidate rows, and the two indexes
// that pick those candidates (groups of neighbouring rows, and a grid of cells). Internal to
// src/output; everything here gives exactly the points of the plain walk.
#pragma once

#include "output/Envelope.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velrok::envelope_search {

// The three cross products of SegmentIntersect for probe A (start a1, direction a) and row B.
struct CrossTerms {
    double den, tNum, uNum, ax, ay;
    Point2d a1;
};

inline CrossTerms Terms(Point2d a1, double ax, double ay, Point2d b1, Point2d b2)
{
    const double bx = b2.x - b1.x;
    const double by = b2.y - b1.y;
    const double dx = a1.x - b1.x;
    const double dy = a1.y - b1.y;
    return {by * ax - bx * ay, dy * bx - by * dx, dy * ax - dx * ay, ax, ay, a1};
}

inline SegmentCrossing Cross(const CrossTerms& c)
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
inline bool QuotientOutsideUnit(double num, double den)
{
    const double an = std::fabs(num);
    const double ad = std::fabs(den);
    if (!(ad >= 0x1p-500 && ad <= 0x1p500))
        return false;
    const bool beyondTwo = an > 2.0 * ad;
    const bool negative = (num < 0.0) != (den < 0.0) && num != 0.0 && an >= ad * 0x1p-500;
    return beyondTwo || negative;
}

// The first row after `from` whose station is beyond the bound: rows are sorted by station.
size_t LookAheadEnd(const std::vector<SegmentLineRow>& lines, size_t from, double bound);

// The walk's answer from the rows that may cross the probe P->Q, in ascending order; every row
// left out must be one the walk judges no crossing. `scale` bounds the coordinates' magnitude.
SegmentCrossing PickCrossing(const std::vector<SegmentLineRow>& lines,
                             const std::vector<uint32_t>& candidates, size_t& scanStart, Point2d p, Point2d q,
                             double scale);

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
    explicit SideIndex(const std::vector<SegmentLineRow>& lines);

    SegmentCrossing Scan(size_t& scanStart, Point2d p, Point2d q, double bound) const;

  private:
    static constexpr size_t kWindow = 64; // rows per window: one bit each
    // Four rows a group: with the short corner lines beside the long body sides, boxes of four
    // stay tight enough to pass over most rows, and there are not yet too many boxes to test.
    static constexpr size_t kGroupSize = 4;

    struct Group {
        double minX, minY, maxX, maxY;
        uint64_t members; // bit k: row (window start + k)
    };

    void BuildGroups(size_t first, size_t last);

    const std::vector<SegmentLineRow>& m_lines;
    double m_scale = 0.0;
    std::vector<Group> m_groups;
    std::vector<uint32_t> m_windowGroups; // groups of window w: [m_windowGroups[w], m_windowGroups[w + 1])
    std::vector<Group> m_windowBoxes;     // the box of all groups of window w
    mutable std::vector<uint32_t> m_candidates;
};

// Cells per probe length: small enough that a probe gathers few rows besides those it crosses,
// large enough that a body side is filed in only a few cells.
inline constexpr double kProbeCells = 64.0;

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
    GridIndex(const std::vector<SegmentLineRow>& lines, double cellSize);

    SegmentCrossing Scan(size_t& scanStart, Point2d p, Point2d q, double bound) const;

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

} // namespace velrok::envelope_search
