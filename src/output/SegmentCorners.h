// The outline of one unit at one station (65 points), and the sweep point and segment line lists
// the same computation records for the sweep lines and the envelope.
#pragma once

#include "common/Point.h"
#include "common/UiServices.h"
#include "geometry/SweepPath.h"
#include "geometry/SweepTypes.h"

#include <array>
#include <vector>

namespace velrok {

inline constexpr int kCornerCount = 65;

struct SegmentCorners {
    std::array<Point2d, kCornerCount> pts{};
    Point2d& operator[](int i) { return pts.at(static_cast<size_t>(i)); }
    const Point2d& operator[](int i) const { return pts.at(static_cast<size_t>(i)); }
};

// unit index (0 = first unit), station distance, x, y, flag (1 real point, 0 drawbar body corner)
struct SweepPointRow {
    double unit = 0.0;
    double station = 0.0;
    double x = 0.0;
    double y = 0.0;
    double flag = 0.0;
};

// x1, y1, x2, y2, station; the two trailing cells of the original table are never read.
struct SegmentLineRow {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    double station = 0.0;
};

inline constexpr double kPrevCornerAbsent = -99999.0;

// The four body corners of one unit at the previous station; x = kPrevCornerAbsent: none yet.
struct PrevBodyCorners {
    Point2d FrontLeft{kPrevCornerAbsent, 0.0};
    Point2d FrontRight{kPrevCornerAbsent, 0.0};
    Point2d RearLeft{kPrevCornerAbsent, 0.0};
    Point2d RearRight{kPrevCornerAbsent, 0.0};
};

// What CalcSegmentCorners records during a run; Reset gives the state a run starts from: each
// sweep point list one row of zeros, each segment line list one empty row, no previous corners.
struct SweepRecords {
    std::vector<SweepPointRow> VehicleSweepLeftFront, VehicleSweepRightFront, VehicleSweepLeftBack,
        VehicleSweepRightBack, WheelSweepLeftFront, WheelSweepRightFront, WheelSweepLeftBack,
        WheelSweepRightBack;
    std::vector<SegmentLineRow> LeftSegmentLines, RightSegmentLines;
    // The first unit's front corners at the previous station.
    Point2d PrevFrontLeft{kPrevCornerAbsent, 0.0};
    Point2d PrevFrontRight{kPrevCornerAbsent, 0.0};
    // Every unit's body corners at the previous station, by unit index; a unit not seen yet has
    // no entry (absent). Unit 0's front corners are PrevFrontLeft / PrevFrontRight above; its
    // entry here holds its rear corners.
    std::vector<PrevBodyCorners> PrevCorners;

    SweepRecords() { Reset(); }
    void Reset();
};

Point2d RotateAbout(Point2d p, Point2d centre, double angle);

// Fills the line (x, y)-(x2, y2) into the last row of LeftSegmentLines and (lx, ly)-(lx2, ly2)
// into the last row of RightSegmentLines, then grows both by one empty row.
void SaveSegmentLines(SweepRecords& records, double x, double y, double x2, double y2, double lx, double ly,
                      double lx2, double ly2, double station);

// P front reference point, R rear axle centre; step supplies the two front-wheel angles.
// An arithmetic fault is reported (" CalcSegmentCorners") and all-zero corners are returned.
SegmentCorners CalcSegmentCorners(Point2d p, Point2d r, const SegmentSpec& spec, const SweepPathResult& step,
                                  double unitIndex, double station, int vType, SweepRecords& records,
                                  MessageService& messages);

} // namespace velrok
