// The swept envelope by cross-sections square to the path.
#include "output/Envelope.h"

#include "sweep/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>

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

// The rows of one side from `from` up to `to`, judged with the same arithmetic as
// SegmentIntersect; the prefilter only skips rows the divisions would refuse as well, and a
// crossing whose squared distance is not above the best one's cannot be farther once rooted.
SegmentCrossing ScanRows(const std::vector<SegmentLineRow>& lines, size_t from, size_t to, size_t& scanStart,
                         Point2d p, Point2d q, double bound, bool prefilter)
{
    const double ax = q.x - p.x;
    const double ay = q.y - p.y;
    SegmentCrossing best;
    double bestDistance = 0.0;
    double bestSquared = 0.0;
    for (size_t j = from; j < to; ++j) {
        const SegmentLineRow& row = lines[j];
        if (!(row.station <= bound))
            continue;
        const CrossTerms terms = Terms(p, ax, ay, {row.x1, row.y1}, {row.x2, row.y2});
        if (prefilter && QuotientOutsideUnit(terms.uNum, terms.den))
            continue;
        const SegmentCrossing hit = Cross(terms);
        if (!hit.found)
            continue;
        const double hx = hit.x - p.x;
        const double hy = hit.y - p.y;
        const double squared = hx * hx + hy * hy;
        if (!best.found) {
            // Later stations start here: rows before the first crossing belong to passed stations.
            scanStart = j;
            best = hit;
            bestDistance = std::sqrt(squared);
            bestSquared = squared;
        } else if (squared > bestSquared) {
            const double d = std::sqrt(squared);
            if (d > bestDistance) {
                best = hit;
                bestDistance = d;
                bestSquared = squared;
            }
        }
    }
    return best;
}

} // namespace

SegmentCrossing SegmentIntersect(Point2d a1, Point2d a2, Point2d b1, Point2d b2)
{
    return Cross(Terms(a1, a2.x - a1.x, a2.y - a1.y, b1, b2));
}

SegmentCrossing ScanEnvelopeSide(const std::vector<SegmentLineRow>& lines, size_t& scanStart, Point2d p,
                                 Point2d q, double bound, EnvelopeWalk walk)
{
    if (walk == EnvelopeWalk::Full)
        return ScanRows(lines, scanStart, lines.size(), scanStart, p, q, bound, false);
    // Sorted by station: the rows within the bound are a prefix of the rest of the list.
    const auto rest = lines.begin() + static_cast<std::ptrdiff_t>(std::min(scanStart, lines.size()));
    const auto beyond = std::partition_point(
        rest, lines.end(), [bound](const SegmentLineRow& row) { return !(row.station > bound); });
    const size_t end = static_cast<size_t>(beyond - lines.begin());
    return ScanRows(lines, scanStart, end, scanStart, p, q, bound, true);
}

EnvelopePoints ComputeEnvelope(const std::vector<PathTrackEntry>& pathTrack, SweepRecords& records,
                               double fordonslen, double wmax, StatusService& status, EnvelopeWalk walk)
{
    // The probe is the diagonal of a box as long as the vehicle and as wide as its widest unit.
    const double probe = std::sqrt(fordonslen * fordonslen + wmax * wmax);
    const double lookAhead = 2.0 * fordonslen;
    size_t rightStart = 0;
    size_t leftStart = 0;

    status.SetPanel(1, "Sorting...");
    DropOpenRow(records.LeftSegmentLines);
    DropOpenRow(records.RightSegmentLines);
    SortByStation(records.RightSegmentLines);
    SortByStation(records.LeftSegmentLines);

    status.SetPanel(1, "Evaluating Envelope...");
    status.SetProgressMaximum(static_cast<int>(pathTrack.size()));
    status.SetProgressVisible(true);

    EnvelopePoints result;
    for (size_t i = 0; i + 1 < pathTrack.size(); ++i) {
        status.SetProgressValue(static_cast<int>(i));
        const PathTrackEntry& here = pathTrack[i];
        const PathTrackEntry& next = pathTrack[i + 1];
        const Point2d p{here.x, here.y};
        const double theta = ATan2(next.y - here.y, ToSingle(next.x - here.x));
        const double bound = here.station + lookAhead;

        const Point2d right = RotateAbout({p.x, p.y - probe}, p, theta);
        const SegmentCrossing r =
            ScanEnvelopeSide(records.RightSegmentLines, rightStart, p, right, bound, walk);
        if (r.found)
            result.right.push_back({r.x, r.y});

        const Point2d left = RotateAbout({p.x, p.y + probe}, p, theta);
        const SegmentCrossing l = ScanEnvelopeSide(records.LeftSegmentLines, leftStart, p, left, bound, walk);
        if (l.found)
            result.left.push_back({l.x, l.y});
    }
    return result;
}

} // namespace velrok
