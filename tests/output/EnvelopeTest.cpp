// The envelope computation: segment crossings, the partition sort, the side scans on small
// hand-made line lists, and whole runs of a dragged vehicle.
#include "output/Envelope.h"

#include "fakes/RecordingServices.h"
#include "output/DragAlongPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

namespace velrok {
namespace {

using testing::RecordingStatus;

struct CrossCase {
    const char* name;
    Point2d a1, a2, b1, b2;
    bool found;
    Point2d at;
};

class SegmentIntersectTable : public ::testing::TestWithParam<CrossCase> {};

TEST_P(SegmentIntersectTable, FindsCrossingsEndsIncluded)
{
    const CrossCase t = GetParam();
    const SegmentCrossing c = SegmentIntersect(t.a1, t.a2, t.b1, t.b2);
    EXPECT_EQ(c.found, t.found) << t.name;
    EXPECT_NEAR(c.x, t.at.x, 1e-12) << t.name;
    EXPECT_NEAR(c.y, t.at.y, 1e-12) << t.name;
}

INSTANTIATE_TEST_SUITE_P(
    Envelope, SegmentIntersectTable,
    ::testing::Values(CrossCase{"middle", {0, 0}, {4, 4}, {0, 4}, {4, 0}, true, {2, 2}},
                      CrossCase{"at the start of A", {1, 0}, {1, 5}, {0, 0}, {3, 0}, true, {1, 0}},
                      CrossCase{"at the end of A", {1, -5}, {1, 0}, {0, 0}, {3, 0}, true, {1, 0}},
                      CrossCase{"at the start of B", {0, 0}, {0, 4}, {0, 2}, {3, 5}, true, {0, 2}},
                      CrossCase{"at the end of B", {0, 0}, {0, 4}, {3, 5}, {0, 2}, true, {0, 2}},
                      CrossCase{"corner to corner", {0, 0}, {2, 0}, {2, 0}, {2, 3}, true, {2, 0}},
                      CrossCase{"short of A", {0, 0}, {1, 0}, {2, -1}, {2, 1}, false, {0, 0}},
                      CrossCase{"short of B", {0, 0}, {4, 0}, {2, 1}, {2, 3}, false, {0, 0}},
                      CrossCase{"parallel", {0, 0}, {4, 0}, {0, 1}, {4, 1}, false, {0, 0}},
                      CrossCase{"collinear overlap", {0, 0}, {4, 0}, {2, 0}, {6, 0}, false, {0, 0}},
                      CrossCase{"B a point", {0, 0}, {4, 0}, {2, 0}, {2, 0}, false, {0, 0}}));

std::vector<SegmentLineRow> Keyed(std::initializer_list<double> keys)
{
    std::vector<SegmentLineRow> rows;
    double tag = 0;
    for (double k : keys)
        rows.push_back({tag++, 0, 0, 0, k}); // x1 tells the rows apart
    return rows;
}

std::vector<double> Tags(const std::vector<SegmentLineRow>& rows)
{
    std::vector<double> tags;
    for (const auto& r : rows)
        tags.push_back(r.x1);
    return tags;
}

// Equal keys end up in the partition sort's own order, traced by hand; a stable sort would give
// (1, 3, 0, 2) and (0, 2, 1, 3).
TEST(SortRowsByColumn, ArrangesEqualKeysAsThePartitionDoes)
{
    auto rows = Keyed({2, 1, 2, 1});
    SortRowsByColumn(rows, 0, 3, kStationColumn, true);
    EXPECT_EQ(Tags(rows), (std::vector<double>{1, 3, 2, 0}));

    rows = Keyed({1, 2, 1, 2});
    SortRowsByColumn(rows, 0, 3, kStationColumn, true);
    EXPECT_EQ(Tags(rows), (std::vector<double>{2, 0, 3, 1}));
}

TEST(SortRowsByColumn, SortsOnlyTheGivenRowsAndMovesWholeRows)
{
    std::vector<SegmentLineRow> rows = {
        {9, 9, 9, 9, 9}, {5, 50, 500, 5000, 5}, {4, 40, 400, 4000, 4}, {0, 0, 0, 0, 0}};
    SortRowsByColumn(rows, 1, 2, kStationColumn, true);
    EXPECT_EQ(rows[0].station, 9.0);
    EXPECT_EQ(rows[3].station, 0.0);
    EXPECT_EQ(rows[1].x1, 4.0);
    EXPECT_EQ(rows[1].y1, 40.0);
    EXPECT_EQ(rows[1].x2, 400.0);
    EXPECT_EQ(rows[1].y2, 4000.0);
    EXPECT_EQ(rows[2].y2, 5000.0);

    SortRowsByColumn(rows, 0, 3, 1, false); // by y1, descending
    EXPECT_EQ(Tags(rows), (std::vector<double>{5, 4, 9, 0}));
    EXPECT_THROW(SortRowsByColumn(rows, 0, 3, 7, true), std::out_of_range);
    EXPECT_THROW(SortRowsByColumn(rows, 0, 4, 4, true), std::out_of_range);
}

TEST(SortRowsByColumn, SortsLargeTablesEitherWayWithoutLosingRows)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> station(0, 400);
    std::vector<SegmentLineRow> rows;
    for (int i = 0; i < 5000; ++i)
        rows.push_back({static_cast<double>(i), 0, 0, 0, 0.2 * station(random)});
    for (bool ascending : {true, false}) {
        auto sorted = rows;
        SortRowsByColumn(sorted, 0, static_cast<int>(sorted.size()) - 1, kStationColumn, ascending);
        for (size_t i = 1; i < sorted.size(); ++i) {
            if (ascending)
                ASSERT_LE(sorted[i - 1].station, sorted[i].station) << "row " << i;
            else
                ASSERT_GE(sorted[i - 1].station, sorted[i].station) << "row " << i;
        }
        auto tags = Tags(sorted);
        std::sort(tags.begin(), tags.end());
        EXPECT_EQ(tags, Tags(rows)); // a permutation: every row once
    }
}

// A straight path along +x at y = 0 with stations every `step`, station distance = x.
std::vector<PathTrackEntry> StraightTrack(int stations, double step = 1.0)
{
    std::vector<PathTrackEntry> track;
    for (int i = 0; i < stations; ++i)
        track.push_back({step * i, 0.0, step * i});
    return track;
}

// Records holding the given left lines (right side empty but for one far line), open rows last.
SweepRecords LeftLines(std::vector<SegmentLineRow> lines)
{
    SweepRecords records;
    records.LeftSegmentLines = std::move(lines);
    records.LeftSegmentLines.emplace_back();
    records.RightSegmentLines = {{}};
    return records;
}

TEST(ComputeEnvelope, TheFarthestCrossingWins)
{
    SweepRecords records = LeftLines({{-1, 1, 3, 1, 0.0}, {-1, 2.5, 3, 2.5, 1.0}, {-1, 2, 3, 2, 0.0}});
    RecordingStatus status;
    const EnvelopePoints e = ComputeEnvelope(StraightTrack(3), records, 5.0, 2.6, status);
    ASSERT_EQ(e.left.size(), 2u);
    EXPECT_NEAR(e.left[0].x, 0.0, 1e-12);
    EXPECT_NEAR(e.left[0].y, 2.5, 1e-12);
    EXPECT_NEAR(e.left[1].x, 1.0, 1e-12);
    EXPECT_NEAR(e.left[1].y, 2.5, 1e-12);
    EXPECT_TRUE(e.right.empty());
}

TEST(ComputeEnvelope, AStationThatCrossesNothingAddsNoVertex)
{
    // Lines cover x in [-1, 0.5] and [1.5, 4]: the probe at x = 1 meets nothing.
    SweepRecords records = LeftLines({{-1, 1, 0.5, 1, 0.0}, {1.5, 1, 4, 1, 1.0}});
    RecordingStatus status;
    const EnvelopePoints e = ComputeEnvelope(StraightTrack(4), records, 5.0, 0.0, status);
    ASSERT_EQ(e.left.size(), 2u);
    EXPECT_NEAR(e.left[0].x, 0.0, 1e-12);
    EXPECT_NEAR(e.left[1].x, 2.0, 1e-12);
}

TEST(ComputeEnvelope, LinesBeyondTheLookAheadAreIgnored)
{
    // fordonslen 2: at station 0 only lines recorded up to station 4 count (4 itself included).
    SweepRecords records = LeftLines({{-1, 1, 1, 1, 0.0}, {-1, 3, 1, 3, 4.0}, {-1, 7, 1, 7, 4.2}});
    RecordingStatus status;
    for (EnvelopeWalk walk : {EnvelopeWalk::StopAtLookAhead, EnvelopeWalk::Full, EnvelopeWalk::Grid}) {
        SweepRecords copy = records;
        const EnvelopePoints e = ComputeEnvelope(StraightTrack(2), copy, 2.0, 20.0, status, walk);
        ASSERT_EQ(e.left.size(), 1u);
        EXPECT_NEAR(e.left[0].y, 3.0, 1e-12);
    }
}

TEST(ComputeEnvelope, ACrossingAtALineEndCounts)
{
    // The line ends exactly on the probe of station 1 (x = 1).
    SweepRecords records = LeftLines({{-3, 2, 1, 2, 0.0}});
    RecordingStatus status;
    const EnvelopePoints e = ComputeEnvelope(StraightTrack(3), records, 5.0, 0.0, status);
    ASSERT_EQ(e.left.size(), 2u);
    EXPECT_NEAR(e.left[1].x, 1.0, 1e-12);
    EXPECT_NEAR(e.left[1].y, 2.0, 1e-12);
}

TEST(ComputeEnvelope, TheLastSortedRowIsExaminedToo)
{
    // The only line is the last row once the open row is gone.
    SweepRecords records = LeftLines({{-1, 1, 0.5, 1, 0.0}});
    RecordingStatus status;
    const EnvelopePoints e = ComputeEnvelope(StraightTrack(2), records, 5.0, 0.0, status);
    ASSERT_EQ(e.left.size(), 1u);
    EXPECT_NEAR(e.left[0].y, 1.0, 1e-12);
}

TEST(ComputeEnvelope, RowsBeforeAnEarlierFirstCrossingAreNotVisitedAgain)
{
    // Row 0 (station 0) would cross the probe at x = 1 only; row 1 crosses the probe at x = 0,
    // which moves the scan start past row 0 for every later station.
    SweepRecords records = LeftLines({{0.5, 3, 3, 3, 0.0}, {-1, 1, 0.5, 1, 0.2}});
    RecordingStatus status;
    const EnvelopePoints e = ComputeEnvelope(StraightTrack(3), records, 5.0, 0.0, status);
    ASSERT_EQ(e.left.size(), 1u);
    EXPECT_NEAR(e.left[0].x, 0.0, 1e-12);
    EXPECT_NEAR(e.left[0].y, 1.0, 1e-12);
}

TEST(ComputeEnvelope, LeavesTheListsSortedWithoutTheirOpenRow)
{
    SweepRecords records;
    records.LeftSegmentLines = {{0, 0, 1, 1, 0.6}, {0, 0, 1, 1, 0.2}, {0, 0, 1, 1, 0.4}, {}};
    records.RightSegmentLines = {{0, 0, 1, 1, 0.4}, {0, 0, 1, 1, 0.0}, {}};
    RecordingStatus status;
    ComputeEnvelope(StraightTrack(3), records, 5.0, 2.6, status);
    ASSERT_EQ(records.LeftSegmentLines.size(), 3u);
    EXPECT_EQ(records.LeftSegmentLines[0].station, 0.2);
    EXPECT_EQ(records.LeftSegmentLines[1].station, 0.4);
    EXPECT_EQ(records.LeftSegmentLines[2].station, 0.6);
    ASSERT_EQ(records.RightSegmentLines.size(), 2u);
    EXPECT_EQ(records.RightSegmentLines[0].station, 0.0);
    EXPECT_EQ(records.RightSegmentLines[1].station, 0.4);

    EXPECT_EQ(status.panelHistory, (std::vector<std::string>{"1:Sorting...", "1:Evaluating Envelope..."}));
    EXPECT_TRUE(status.progressVisible);
    EXPECT_EQ(status.progressMaximum, 3);
    EXPECT_EQ(status.progressValue, 1);
    EXPECT_EQ(status.progressUpdates, 2);

    SweepRecords broken;
    broken.LeftSegmentLines.clear();
    EXPECT_THROW(ComputeEnvelope(StraightTrack(3), broken, 5.0, 2.6, status), std::logic_error);
}

using testing::DragAlongPath;
using testing::NullMessages;

TEST(ComputeEnvelope, AStraightTruckGivesParallelLinesAtHalfTheBodyWidth)
{
    testing::PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(40.0);
    NullMessages messages;
    testing::DraggedRun run = DragAlongPath(testing::Truck(), path.Stations(), 1, messages);
    ASSERT_EQ(messages.count, 0);
    RecordingStatus status;
    const EnvelopePoints e = ComputeEnvelope(run.track, run.records, 9.6, 2.6, status);
    // every station but the last, square across the path
    ASSERT_EQ(e.right.size(), run.track.size() - 1);
    ASSERT_EQ(e.left.size(), run.track.size() - 1);
    for (size_t i = 0; i < e.left.size(); ++i) {
        EXPECT_NEAR(e.left[i].x, run.track[i].x, 1e-9) << "station " << i;
        EXPECT_NEAR(e.left[i].y, 1.3, 1e-9) << "station " << i;
        EXPECT_NEAR(e.right[i].x, run.track[i].x, 1e-9) << "station " << i;
        EXPECT_NEAR(e.right[i].y, -1.3, 1e-9) << "station " << i;
    }
}

TEST(ComputeEnvelope, AStraightTruckAtAnAngleStaysParallel)
{
    const double heading = 2.0; // second quadrant
    testing::PathBuilder path({5.0, -3.0}, heading);
    path.Line(30.0);
    NullMessages messages;
    testing::DraggedRun run = DragAlongPath(testing::Truck(), path.Stations(), 1, messages);
    RecordingStatus status;
    const EnvelopePoints e = ComputeEnvelope(run.track, run.records, 9.6, 2.6, status);
    ASSERT_EQ(e.left.size(), run.track.size() - 1);
    ASSERT_EQ(e.right.size(), run.track.size() - 1);
    // Signed offset from the path line: +1.3 on the left, -1.3 on the right.
    auto offset = [&](Point2d p) {
        return -(p.x - 5.0) * std::sin(heading) + (p.y + 3.0) * std::cos(heading);
    };
    for (size_t i = 0; i < e.left.size(); ++i) {
        EXPECT_NEAR(offset(e.left[i]), 1.3, 1e-6) << "station " << i;
        EXPECT_NEAR(offset(e.right[i]), -1.3, 1e-6) << "station " << i;
    }
}

// The quick walks (look-ahead stop with groups passed over, and the grid) give exactly the points
// of the full walk.
struct RunCase {
    const char* name;
    int vType;
    double fordonslen;
    Point2d offset; // drawings in national grid coordinates lie far from the origin
    bool roundabout;
    friend void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }
};

class QuickWalk : public ::testing::TestWithParam<RunCase> {};

TEST_P(QuickWalk, GivesTheFullWalksPoints)
{
    const RunCase c = GetParam();
    const double pi = 3.141592653589793;
    testing::PathBuilder path = testing::WindingPath(300.0);
    if (c.roundabout) {
        path = testing::PathBuilder({0.0, 0.0}, 0.0);
        path.Line(30.0).Arc(15.0, 0.5).Arc(12.5, -1.5 * pi).Arc(15.0, 0.5).Line(30.0);
    }
    std::vector<Point2d> stations = path.Stations();
    for (Point2d& s : stations)
        s = {s.x + c.offset.x, s.y + c.offset.y};
    const auto units = c.vType == 10 ? testing::TripleTrailer() : testing::SemiTrailer();
    NullMessages messages;
    testing::DraggedRun run = DragAlongPath(units, stations, c.vType, messages);
    ASSERT_EQ(messages.count, 0) << c.name;
    ASSERT_EQ(run.cannotFollow, 0) << c.name;
    SweepRecords full = run.records;
    RecordingStatus status;
    const EnvelopePoints all =
        ComputeEnvelope(run.track, full, c.fordonslen, 2.6, status, EnvelopeWalk::Full);
    ASSERT_GT(all.left.size(), run.track.size() / 2) << c.name;
    for (EnvelopeWalk walk : {EnvelopeWalk::StopAtLookAhead, EnvelopeWalk::Grid}) {
        const char* way = walk == EnvelopeWalk::Grid ? " grid" : " groups";
        SweepRecords records = run.records;
        const EnvelopePoints quick = ComputeEnvelope(run.track, records, c.fordonslen, 2.6, status, walk);
        ASSERT_EQ(quick.left.size(), all.left.size()) << c.name << way;
        ASSERT_EQ(quick.right.size(), all.right.size()) << c.name << way;
        for (size_t i = 0; i < quick.left.size(); ++i) {
            EXPECT_EQ(quick.left[i].x, all.left[i].x) << c.name << way << " left " << i;
            EXPECT_EQ(quick.left[i].y, all.left[i].y) << c.name << way << " left " << i;
        }
        for (size_t i = 0; i < quick.right.size(); ++i) {
            EXPECT_EQ(quick.right[i].x, all.right[i].x) << c.name << way << " right " << i;
            EXPECT_EQ(quick.right[i].y, all.right[i].y) << c.name << way << " right " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    ComputeEnvelope, QuickWalk,
    ::testing::Values(RunCase{"semitrailer, winding", 2, 21.05, {0, 0}, false},
                      RunCase{"triple trailer, winding", 10, 49.75, {0, 0}, false},
                      RunCase{"semitrailer, grid coordinates", 2, 21.05, {2.5e6, 6.7e6}, false},
                      RunCase{"semitrailer, roundabout", 2, 21.05, {0, 0}, true},
                      RunCase{"triple trailer, roundabout", 10, 49.75, {-3e5, 1e5}, true}));

// Hand-made and random tables the cells must not lose a crossing of: rows that are not numbers,
// rows spread so wide that the cells grow, lines along the grid's axes, and crossings at the
// probe's start and end.
struct OddTable {
    const char* name;
    std::vector<SegmentLineRow> lines;
    friend void PrintTo(const OddTable& t, std::ostream* os) { *os << t.name; }
};

std::vector<SegmentLineRow> RandomRows(unsigned seed, int count, double spread)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> along(-2.0, 42.0), across(-spread, spread), length(0.0, 3.0),
        angle(0.0, 6.283185307179586), station(0.0, 40.0);
    std::vector<SegmentLineRow> rows;
    for (int i = 0; i < count; ++i) {
        const double x = along(random), y = across(random), l = length(random), a = angle(random);
        // Every fourth line lies along an axis, where the cell walk has no slope to follow.
        const double dx = i % 4 == 0 ? 0.0 : l * std::cos(a);
        const double dy = i % 8 == 4 ? 0.0 : l * std::sin(a);
        rows.push_back({x, y, x + dx, y + dy, station(random)});
    }
    return rows;
}

class GridWalk : public ::testing::TestWithParam<OddTable> {};

TEST_P(GridWalk, GivesTheFullWalksPointsOnOddTables)
{
    const OddTable& t = GetParam();
    SweepRecords grid;
    grid.LeftSegmentLines = t.lines;
    grid.RightSegmentLines = t.lines;
    for (SegmentLineRow& row : grid.RightSegmentLines)
        row = {row.x1, -row.y1, row.x2, -row.y2, row.station};
    grid.LeftSegmentLines.emplace_back();
    grid.RightSegmentLines.emplace_back();
    SweepRecords full = grid;
    RecordingStatus status;
    const auto track = StraightTrack(201, 0.2);
    const EnvelopePoints fast = ComputeEnvelope(track, grid, 3.0, 2.6, status, EnvelopeWalk::Grid);
    const EnvelopePoints all = ComputeEnvelope(track, full, 3.0, 2.6, status, EnvelopeWalk::Full);
    ASSERT_GT(all.left.size(), 10u) << t.name;
    ASSERT_EQ(fast.left.size(), all.left.size()) << t.name;
    ASSERT_EQ(fast.right.size(), all.right.size()) << t.name;
    for (size_t i = 0; i < all.left.size(); ++i) {
        EXPECT_EQ(fast.left[i].x, all.left[i].x) << t.name << " left " << i;
        EXPECT_EQ(fast.left[i].y, all.left[i].y) << t.name << " left " << i;
    }
    for (size_t i = 0; i < all.right.size(); ++i) {
        EXPECT_EQ(fast.right[i].x, all.right[i].x) << t.name << " right " << i;
        EXPECT_EQ(fast.right[i].y, all.right[i].y) << t.name << " right " << i;
    }
}

std::vector<SegmentLineRow> WithRows(std::vector<SegmentLineRow> rows, std::vector<SegmentLineRow> more)
{
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    ComputeEnvelope, GridWalk,
    ::testing::Values(
        OddTable{"random lines", RandomRows(1, 3000, 4.0)},
        OddTable{"random lines, dense", RandomRows(2, 20000, 2.0)},
        OddTable{
            "a row that is not a number",
            WithRows(RandomRows(3, 500, 3.0), {{NAN, 1.0, 5.0, 1.0, 3.0}, {2.0, -1.0, 2.0, INFINITY, 1.0}})},
        OddTable{"rows far apart", WithRows(RandomRows(4, 500, 3.0),
                                            {{1e7, 1e7, 1e7 + 1, 1e7, 5.0}, {-3e6, 2.0, -3e6, 4.0, 7.0}})},
        OddTable{
            "crossings at the probe's ends",
            // Probe length sqrt(3^2 + 2.6^2): lines through the path and through the far end.
            WithRows(RandomRows(5, 200, 3.0), {{-1.0, 0.0, 41.0, 0.0, 0.0},
                                               {-1.0, 3.9698866482558417, 41.0, 3.9698866482558417, 2.0}})}));

// On an arc the body sides of a dragged semitrailer reach out farthest from the path on the
// outside and in farthest on the inside; the envelope must not lie inside the tractor's own width.
TEST(ComputeEnvelope, OnACircleTheEnvelopeEnclosesTheTractor)
{
    const double pi = 3.141592653589793;
    testing::PathBuilder path({0.0, 0.0}, 0.0);
    path.Line(30.0).Arc(20.0, pi).Line(30.0);
    NullMessages messages;
    testing::DraggedRun run = DragAlongPath(testing::SemiTrailer(), path.Stations(), 2, messages);
    RecordingStatus status;
    const EnvelopePoints e = ComputeEnvelope(run.track, run.records, 21.05, 2.6, status);
    ASSERT_GT(e.left.size(), 10u);
    const Point2d centre{30.0, 20.0};
    // Stations well inside the arc: the left (inner) vertex lies inside radius 20 - 1.3, the right
    // (outer) one outside radius 20 + 1.3.
    size_t checked = 0;
    for (const Point2d& p : e.left) {
        if (p.x > 35.0 && p.y > 5.0 && p.y < 35.0) {
            EXPECT_LT(PointDistance(p, centre), 20.0 - 1.3 + 1e-4);
            ++checked;
        }
    }
    for (const Point2d& p : e.right) {
        if (p.x > 35.0 && p.y > 5.0 && p.y < 35.0) {
            EXPECT_GT(PointDistance(p, centre), 20.0 + 1.3 - 1e-4);
        }
    }
    EXPECT_GT(checked, 20u);
}

} // namespace
} // namespace velrok
