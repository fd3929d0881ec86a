// The swept envelope as pure computation: the body side lines recorded during a run are sorted by
// station and cut at every station by probes square to the path; the farthest crossing on each
// side is that side's envelope vertex. Drawing the two lines is the caller's business.
#pragma once

#include "common/Point.h"
#include "common/UiServices.h"
#include "output/SegmentCorners.h"
#include "geometry/SweepTypes.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace velrok {

// The partition sort of the envelope, on rows [first, last] of any table, keyed by key(row).
// Pivot: the key of row (first + last) / 2, halves rounded to even. Equal keys do not keep their
// input order; callers that pick "the first" of equal candidates depend on this exact arrangement,
// so it must not be replaced by std::sort.
template <class Row, class KeyFn>
void SortRowsBy(std::vector<Row>& rows, int first, int last, KeyFn key, bool ascending)
{
    // The larger part is sorted by the loop rather than by recursion, which bounds the depth and
    // leaves the result unchanged (the two parts never overlap).
    while (first < last) {
        const int sum = first + last;
        int m = sum / 2;
        if (sum % 2 != 0 && m % 2 != 0)
            ++m; // x.5 goes to the even neighbour
        const double pivot = key(rows[static_cast<size_t>(m)]);
        int i = first;
        int j = last;
        do {
            if (ascending) {
                while (key(rows[static_cast<size_t>(i)]) < pivot)
                    ++i;
                while (key(rows[static_cast<size_t>(j)]) > pivot)
                    --j;
            } else {
                while (key(rows[static_cast<size_t>(i)]) > pivot)
                    ++i;
                while (key(rows[static_cast<size_t>(j)]) < pivot)
                    --j;
            }
            if (i > j)
                break;
            std::swap(rows[static_cast<size_t>(i)], rows[static_cast<size_t>(j)]);
            ++i;
            --j;
        } while (i <= j);
        if (j - first < last - i) {
            if (first < j)
                SortRowsBy(rows, first, j, key, ascending);
            first = i;
        } else {
            if (i < last)
                SortRowsBy(rows, i, last, key, ascending);
            last = j;
        }
    }
}

// Column numbers of a segment line row: 0 x1, 1 y1, 2 x2, 3 y2, 4 station.
inline constexpr int kStationColumn = 4;
void SortRowsByColumn(std::vector<SegmentLineRow>& rows, int first, int last, int column, bool ascending);

struct SegmentCrossing {
    double x = 0.0;
    double y = 0.0;
    bool found = false;
};

// Crossing of segments A (a1-a2) and B (b1-b2), both ends included; parallel or degenerate
// segments never cross. The point is computed along A. No crossing gives (0, 0, false).
SegmentCrossing SegmentIntersect(Point2d a1, Point2d a2, Point2d b1, Point2d b2);

// How a side's scan walks. Full offers every row from the scan start on to the probe. The lists
// are sorted by station, so no row after the first one beyond the look-ahead bound can count:
// StopAtLookAhead ends the walk there, and ComputeEnvelope also passes over groups of rows lying
// wholly on one side of the probe's line. Grid (ComputeEnvelope only; ScanEnvelopeSide takes it
// as StopAtLookAhead) files the rows in a grid of cells once and offers a probe only the rows of
// the cells it passes through. All give the points of the full walk.
enum class EnvelopeWalk { StopAtLookAhead, Full, Grid };

// The farthest crossing of the probe P->Q with rows [scanStart, end) of a sorted side list whose
// station is at most `bound`. The first crossing moves scanStart to its row. Ties keep the first.
SegmentCrossing ScanEnvelopeSide(const std::vector<SegmentLineRow>& lines, size_t& scanStart, Point2d p,
                                 Point2d q, double bound, EnvelopeWalk walk = EnvelopeWalk::StopAtLookAhead);

struct EnvelopePoints {
    std::vector<Point2d> right;
    std::vector<Point2d> left;
};

// The envelope of a finished run (the sorting and evaluating steps of EvaluateEnvelope).
// pathTrack: the filled stations only (not the empty entry after them).
// records: the lists as the run left them, each segment line list ending in its empty row. On
//   return both lists have lost that row and are sorted by station, ascending; so call this once
//   per run. An empty segment line list is a broken invariant (throws std::logic_error).
// fordonslen: the vehicle length; wmax: the largest VehicleWidth of all units (0 or more).
// status: panel 1 "Sorting..." then "Evaluating Envelope...", progress bar shown with maximum
//   pathTrack.size() and value = station index; hiding it again is left to the caller.
// Returns the vertices (z is the caller's) of the right and left envelope lines, one per station
// that had a crossing, for every station but the last. A side with fewer than two vertices is not
// a line: the caller skips it.
EnvelopePoints ComputeEnvelope(const std::vector<PathTrackEntry>& pathTrack, SweepRecords& records,
                               double fordonslen, double wmax, StatusService& status,
                               EnvelopeWalk walk = EnvelopeWalk::Grid);

} // namespace velrok
