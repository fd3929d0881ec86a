// The grid of cells that hands each envelope probe only the rows near it.
#include "output/EnvelopeSearch.h"

#include "geometry/Geometry.h"

#include <algorithm>
#include <cmath>

namespace velrok::envelope_search {

GridIndex::GridIndex(const std::vector<SegmentLineRow>& lines, double cellSize) : m_lines(lines)
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

SegmentCrossing GridIndex::Scan(size_t& scanStart, Point2d p, Point2d q, double bound) const
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

} // namespace velrok::envelope_search
