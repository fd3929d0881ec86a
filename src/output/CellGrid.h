// A uniform grid over axis-aligned boxes: each item is listed in every cell its box overlaps, so
// that a query visits only the items near a box instead of all of them. Used for the swept hulls
// and for the edges of a plane region.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace velrok {

struct Extent {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();

    bool IsEmpty() const { return minX > maxX; }
    void Add(double x, double y)
    {
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    Extent Grown(double d) const { return {minX - d, minY - d, maxX + d, maxY + d}; }
    // The longer side, and the largest coordinate in size: what the tolerances of a run go by.
    double LongerSide() const { return std::max(maxX - minX, maxY - minY); }
    double FarthestCoordinate() const
    {
        return std::max({std::fabs(minX), std::fabs(maxX), std::fabs(minY), std::fabs(maxY)});
    }
    bool Overlaps(const Extent& o) const
    {
        return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY;
    }
};

// No grid gets more cells than this, whatever the cell size asked: a bound on memory.
inline constexpr double kMaxGridCells = 4.0e6;

class CellGrid {
  public:
    CellGrid() = default;

    // `cell` > 0 is the wished cell size; it grows when the extent would need more than
    // `maxCells` cells. `keep(item, cellExtent)` may refuse a cell that the item's box overlaps
    // but the item itself does not reach (a long slanted edge); it must keep every cell the item
    // touches.
    template <class Keep>
    CellGrid(const std::vector<Extent>& items, double cell, Keep keep, double maxCells = kMaxGridCells)
    {
        if (!Lay(items, cell, maxCells))
            return;
        Fill(items, [&](size_t id, auto list) {
            int i0, i1, j0, j1;
            Range(items[id], i0, i1, j0, j1);
            for (int j = j0; j <= j1; ++j)
                for (int i = i0; i <= i1; ++i)
                    if (keep(id, CellExtent(i, j)))
                        list(Index(i, j));
        });
    }

    // The same, row by row: `span(item, y0, y1, x0, x1)` narrows [x0, x1] (at first the item's
    // box) to what the item reaches between y0 and y1, a row of cells, or returns false when it
    // reaches none of it. It must keep all the item touches. A convex item gives that for a whole
    // row at once, where asking of each cell would take a test of every cell of its box.
    struct ByRows {};
    template <class Span>
    CellGrid(ByRows, const std::vector<Extent>& items, double cell, Span span, double maxCells = kMaxGridCells)
    {
        if (!Lay(items, cell, maxCells))
            return;
        // Each item's columns in each row, worked out once for both of Fill's passes.
        struct RowSpan {
            int row, from, to;
        };
        std::vector<RowSpan> spans;
        std::vector<size_t> first(items.size() + 1, 0);
        for (size_t id = 0; id < items.size(); ++id) {
            first[id] = spans.size();
            const Extent& e = items[id];
            if (e.IsEmpty())
                continue;
            int i0, i1, j0, j1;
            Range(e, i0, i1, j0, j1);
            for (int j = j0; j <= j1; ++j) {
                double x0 = e.minX, x1 = e.maxX;
                if (!span(id, m_y0 + j * m_cell, m_y0 + (j + 1) * m_cell, x0, x1))
                    continue;
                const int a = std::max(i0, Clamp(x0 - m_x0, m_nx)), b = std::min(i1, Clamp(x1 - m_x0, m_nx));
                if (a <= b)
                    spans.push_back({j, a, b});
            }
        }
        first[items.size()] = spans.size();
        Fill(items, [&](size_t id, auto list) {
            for (size_t k = first[id]; k < first[id + 1]; ++k)
                for (int i = spans[k].from; i <= spans[k].to; ++i)
                    list(Index(i, spans[k].row));
        });
    }

    bool IsEmpty() const { return m_nx == 0; }
    // How many items a cell that lists any lists, on average.
    double Crowding() const
    {
        size_t listing = 0;
        for (size_t c = 0; c + 1 < m_start.size(); ++c)
            listing += m_start[c + 1] > m_start[c] ? 1 : 0;
        return listing == 0 ? 0.0 : static_cast<double>(m_items.size()) / static_cast<double>(listing);
    }
    double Cell() const { return m_cell; }
    // The whole gridded extent.
    Extent Bounds() const { return {m_x0, m_y0, m_x0 + m_nx * m_cell, m_y0 + m_ny * m_cell}; }

    // Calls f(item) for each item listed in a cell that `query` overlaps; an item may come more
    // than once.
    template <class F> void Visit(const Extent& query, F f) const
    {
        ForCells(query, [&](size_t c) {
            for (uint32_t k = m_start[c]; k < m_start[c + 1]; ++k)
                f(m_items[k]);
            return true;
        });
    }

    // Whether pred(item) holds for some item listed in a cell that `query` overlaps; stops at
    // the first.
    template <class Pred> bool Any(const Extent& query, Pred pred) const
    {
        bool found = false;
        ForCells(query, [&](size_t c) {
            for (uint32_t k = m_start[c]; k < m_start[c + 1] && !found; ++k)
                found = pred(m_items[k]);
            return !found;
        });
        return found;
    }

    // The same for the cells within `grow` of the segment (x0, y0)-(x1, y1), row by row: a long
    // slanted segment meets far fewer cells than its box holds.
    template <class Pred> bool AnyAlong(double x0, double y0, double x1, double y1, double grow, Pred pred) const
    {
        if (IsEmpty())
            return false;
        const Extent query{std::min(x0, x1) - grow, std::min(y0, y1) - grow, std::max(x0, x1) + grow,
                           std::max(y0, y1) + grow};
        const Extent b = Bounds();
        if (query.maxX < b.minX || query.minX > b.maxX || query.maxY < b.minY || query.minY > b.maxY)
            return false;
        int i0, i1, j0, j1;
        Range(query, i0, i1, j0, j1);
        const double dy = y1 - y0;
        for (int j = j0; j <= j1; ++j) {
            // Where along the segment y comes within `grow` of the row, and so which columns.
            int a = i0, c = i1;
            if (dy != 0.0) {
                const double lo = m_y0 + j * m_cell - grow, hi = m_y0 + (j + 1) * m_cell + grow;
                double t0 = (lo - y0) / dy, t1 = (hi - y0) / dy;
                if (t0 > t1)
                    std::swap(t0, t1);
                t0 = std::max(t0, 0.0);
                t1 = std::min(t1, 1.0);
                if (t0 > t1)
                    continue;
                const double xa = x0 + t0 * (x1 - x0), xb = x0 + t1 * (x1 - x0);
                a = std::max(i0, Clamp(std::min(xa, xb) - grow - m_x0, m_nx));
                c = std::min(i1, Clamp(std::max(xa, xb) + grow - m_x0, m_nx));
            }
            for (int i = a; i <= c; ++i) {
                const size_t cell = Index(i, j);
                for (uint32_t k = m_start[cell]; k < m_start[cell + 1]; ++k)
                    if (pred(m_items[k]))
                        return true;
            }
        }
        return false;
    }

    // Calls f(item, column) for each item listed in the cells of the row that holds y, from the
    // column that holds x to the last: the cells a ray from (x, y) to the right passes through.
    template <class F> void VisitRightward(double x, double y, F f) const
    {
        if (IsEmpty())
            return;
        const int j = Clamp(y - m_y0, m_ny);
        for (int i = Column(x); i < m_nx; ++i) {
            const size_t c = Index(i, j);
            for (uint32_t k = m_start[c]; k < m_start[c + 1]; ++k)
                f(m_items[k], i);
        }
    }
    // The column that holds x (the first or the last beyond the grid).
    int Column(double x) const { return Clamp(x - m_x0, m_nx); }

    // The items listed near `query`, each once, in increasing order.
    std::vector<uint32_t> Near(const Extent& query) const
    {
        std::vector<uint32_t> ids;
        Visit(query, [&](uint32_t id) { ids.push_back(id); });
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        return ids;
    }

  private:
    // Sets the grid over the items' boxes; false when there are none.
    bool Lay(const std::vector<Extent>& items, double cell, double maxCells)
    {
        Extent all;
        for (const Extent& e : items)
            if (!e.IsEmpty()) {
                all.Add(e.minX, e.minY);
                all.Add(e.maxX, e.maxY);
            }
        if (all.IsEmpty())
            return false;
        const double w = all.maxX - all.minX, h = all.maxY - all.minY;
        maxCells = std::clamp(maxCells, 1.0, kMaxGridCells);
        m_cell = std::max({cell, std::sqrt(w * h / maxCells), std::max(w, h) / 65536.0, 1e-9});
        m_x0 = all.minX;
        m_y0 = all.minY;
        m_nx = static_cast<int>(std::floor(w / m_cell)) + 1;
        m_ny = static_cast<int>(std::floor(h / m_cell)) + 1;
        return true;
    }

    // Lists each item in the cells cells(item, list) calls list(cell index) for, in order of the
    // items. Two passes, counting then filling, so that the lists lie in one array: each cell's
    // count is kept where its list will end, and comes down to where it starts as it is filled.
    template <class Cells> void Fill(const std::vector<Extent>& items, Cells cells)
    {
        m_start.assign(static_cast<size_t>(m_nx) * static_cast<size_t>(m_ny) + 1, 0);
        for (size_t id = 0; id < items.size(); ++id)
            if (!items[id].IsEmpty())
                cells(id, [&](size_t c) { ++m_start[c + 1]; });
        for (size_t c = 1; c < m_start.size(); ++c)
            m_start[c] += m_start[c - 1];
        m_items.resize(m_start.back());
        // Filled from the last item back, so that each list comes out in the items' order.
        for (size_t id = items.size(); id-- > 0;)
            if (!items[id].IsEmpty())
                cells(id, [&](size_t c) { m_items[--m_start[c + 1]] = static_cast<uint32_t>(id); });
        // Each count now stands where its cell's list starts, one place on.
        for (size_t c = 0; c + 1 < m_start.size(); ++c)
            m_start[c] = m_start[c + 1];
        m_start.back() = static_cast<uint32_t>(m_items.size());
    }

    // Calls cell(index) for each cell `query` overlaps while it returns true.
    template <class F> void ForCells(const Extent& query, F cell) const
    {
        if (IsEmpty() || query.IsEmpty())
            return;
        const Extent b = Bounds();
        if (query.maxX < b.minX || query.minX > b.maxX || query.maxY < b.minY || query.minY > b.maxY)
            return;
        int i0, i1, j0, j1;
        Range(query, i0, i1, j0, j1);
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i)
                if (!cell(Index(i, j)))
                    return;
    }
    size_t Index(int i, int j) const { return static_cast<size_t>(j) * static_cast<size_t>(m_nx) + i; }
    int Clamp(double v, int n) const
    {
        // Clamped as a double first: a query may reach far beyond the grid.
        return static_cast<int>(std::clamp(std::floor(v / m_cell), 0.0, static_cast<double>(n - 1)));
    }
    void Range(const Extent& e, int& i0, int& i1, int& j0, int& j1) const
    {
        i0 = Clamp(e.minX - m_x0, m_nx);
        i1 = Clamp(e.maxX - m_x0, m_nx);
        j0 = Clamp(e.minY - m_y0, m_ny);
        j1 = Clamp(e.maxY - m_y0, m_ny);
    }
    Extent CellExtent(int i, int j) const
    {
        return {m_x0 + i * m_cell, m_y0 + j * m_cell, m_x0 + (i + 1) * m_cell, m_y0 + (j + 1) * m_cell};
    }

    double m_x0 = 0.0, m_y0 = 0.0, m_cell = 1.0;
    int m_nx = 0, m_ny = 0;
    std::vector<uint32_t> m_start; // per cell, where its items begin in m_items; one more at the end
    std::vector<uint32_t> m_items;
};

} // namespace velrok
