// The swept envelope by cross-sections square to the path.
#include "output/Envelope.h"

#include "output/EnvelopeSearch.h"

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

using namespace envelope_search;

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
