// Outline geometry of one unit at one station, and the sweep point and side line records the
// sweep lines and the envelope are built from.
#include "output/SegmentCorners.h"

#include "geometry/Geometry.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace velrok {

namespace {

constexpr const char* kTrapTitle = "Veichle Turning Simulation";
constexpr const char* kTrapLabel = " CalcSegmentCorners";

// Tyre dimensions in drawing units.
constexpr double kTyreHalfLength = 0.51;
constexpr double kTyreHalfWidth = 0.14;
constexpr double kTyreChamferAcross = 0.05;
constexpr double kTyreChamferAlong = 0.15;
constexpr double kTreadInset = 0.065;
constexpr double kChamferSide = kTyreHalfWidth - kTyreChamferAcross; // 0.09
constexpr double kChamferEnd = kTyreHalfLength - kTyreChamferAlong;  // 0.36
constexpr double kTreadOffset = kTyreHalfWidth - kTreadInset;        // 0.075

// A drawbar is drawn as a thin wedge whatever its widths.
constexpr double kDrawbarFrontHalfWidth = 0.05;
constexpr double kDrawbarRearHalfWidth = 0.3;

constexpr int kPatternSize = 14;
constexpr int kOutlineSize = 8; // pattern points 1-8 are the outline, 9-14 the tread line ends

// The tyre pattern at axle position x and centre line c, local coordinates, points 1-14 in order.
struct LocalPoint {
    double u;
    double v;
};

std::array<LocalPoint, kPatternSize> TyrePattern(double x, double c)
{
    return {{{x - kTyreHalfLength, c - kChamferSide},
             {x - kChamferEnd, c - kTyreHalfWidth},
             {x + kTyreHalfLength, c - kChamferSide},
             {x + kChamferEnd, c - kTyreHalfWidth},
             {x - kTyreHalfLength, c + kChamferSide},
             {x - kChamferEnd, c + kTyreHalfWidth},
             {x + kTyreHalfLength, c + kChamferSide},
             {x + kChamferEnd, c + kTyreHalfWidth},
             {x + kTyreHalfLength, c - kTreadOffset},
             {x - kTyreHalfLength, c - kTreadOffset},
             {x + kTyreHalfLength, c},
             {x - kTyreHalfLength, c},
             {x + kTyreHalfLength, c + kTreadOffset},
             {x - kTyreHalfLength, c + kTreadOffset}}};
}

// Places local points of the unit's frame (origin P, u along the heading) in the drawing.
struct Frame {
    Point2d origin;
    double cosT;
    double sinT;
    Point2d Place(double u, double v) const
    {
        return {origin.x + (u * cosT - v * sinT), origin.y + (u * sinT + v * cosT)};
    }
    Point2d Place(LocalPoint p) const { return Place(p.u, p.v); }
};

// RotateAbout with the cosine and sine of the angle already taken (same arithmetic).
Point2d Rotate(Point2d p, Point2d centre, double cosA, double sinA)
{
    return {centre.x + (p.x - centre.x) * cosA - (p.y - centre.y) * sinA,
            centre.y + (p.x - centre.x) * sinA + (p.y - centre.y) * cosA};
}

// Heading from R to P in [0, 2 pi); a vertical unit (or P = R) gets pi/2 or 3 pi/2.
double Heading(Point2d p, Point2d r)
{
    const double dx = p.x - r.x;
    const double dy = p.y - r.y;
    const double pi = Pi();
    if (dx > 0.0)
        return dy >= 0.0 ? std::atan(dy / dx) : std::atan(dy / dx) + 2.0 * pi;
    if (dx < 0.0)
        return std::atan(dy / dx) + pi;
    return dy >= 0.0 ? pi / 2.0 : 3.0 * pi / 2.0;
}

bool Finite(Point2d p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool AllFinite(const SegmentCorners& c, int from, int to)
{
    for (int i = from; i <= to; ++i)
        if (!Finite(c[i]))
            return false;
    return true;
}

void Append(std::vector<SweepPointRow>& list, double unit, double station, Point2d p, double flag)
{
    list.push_back({unit, station, p.x, p.y, flag});
}

SegmentCorners Fail(MessageService& messages)
{
    // A non-finite value is what an arithmetic fault leaves; the program's runtime calls it so.
    messages.Show(kTrapTitle, std::string("Overflow") + kTrapLabel, MsgIcon::Exclamation, MsgButtons::Ok);
    return SegmentCorners{};
}

// Pattern points 1-8, then the outer point, then 9-14: the layout of a rear tyre block.
void PlaceRearTyre(SegmentCorners& corners, int firstIndex, const Frame& frame, double axle,
                   double centreLine, Point2d outer)
{
    const auto pattern = TyrePattern(axle, centreLine);
    int index = firstIndex;
    for (int n = 0; n < kOutlineSize; ++n)
        corners[index++] = frame.Place(pattern[static_cast<size_t>(n)]);
    corners[index++] = outer;
    for (int n = kOutlineSize; n < kPatternSize; ++n)
        corners[index++] = frame.Place(pattern[static_cast<size_t>(n)]);
}

void PlaceSteeredTyre(SegmentCorners& corners, int firstIndex, const Frame& frame, double centreLine,
                      double angle)
{
    const Point2d centre = frame.Place(0.0, centreLine);
    const double cosA = std::cos(angle);
    const double sinA = std::sin(angle);
    const auto pattern = TyrePattern(0.0, centreLine);
    for (int n = 0; n < kPatternSize; ++n)
        corners[firstIndex + n] = Rotate(frame.Place(pattern[static_cast<size_t>(n)]), centre, cosA, sinA);
}

// Index of a unit in PrevCorners; a unit index is a whole number from 0 (a broken run otherwise).
size_t UnitSlot(double unitIndex)
{
    if (!(unitIndex >= 0.0 && unitIndex < 1e6 && unitIndex == std::floor(unitIndex)))
        throw std::logic_error("CalcSegmentCorners: the unit index is not a whole number from 0");
    return static_cast<size_t>(unitIndex);
}

void SaveCornerPaths(SweepRecords& records, double unitIndex, const SegmentCorners& c, double station)
{
    const size_t slot = UnitSlot(unitIndex);
    if (slot >= records.PrevCorners.size())
        records.PrevCorners.resize(slot + 1);
    PrevBodyCorners& prev = records.PrevCorners[slot];
    // Unit 0's front corners are already joined through PrevFrontLeft / PrevFrontRight.
    if (slot != 0 && prev.FrontLeft.x != kPrevCornerAbsent)
        SaveSegmentLines(records, prev.FrontLeft.x, prev.FrontLeft.y, c[3].x, c[3].y, prev.FrontRight.x,
                         prev.FrontRight.y, c[5].x, c[5].y, station);
    if (prev.RearLeft.x != kPrevCornerAbsent)
        SaveSegmentLines(records, prev.RearLeft.x, prev.RearLeft.y, c[2].x, c[2].y, prev.RearRight.x,
                         prev.RearRight.y, c[4].x, c[4].y, station);
    prev = {c[3], c[5], c[2], c[4]};
}

} // namespace

void SweepRecords::Reset()
{
    for (auto* list :
         {&VehicleSweepLeftFront, &VehicleSweepRightFront, &VehicleSweepLeftBack, &VehicleSweepRightBack,
          &WheelSweepLeftFront, &WheelSweepRightFront, &WheelSweepLeftBack, &WheelSweepRightBack})
        list->assign(1, SweepPointRow{});
    LeftSegmentLines.assign(1, SegmentLineRow{});
    RightSegmentLines.assign(1, SegmentLineRow{});
    PrevFrontLeft = {kPrevCornerAbsent, 0.0};
    PrevFrontRight = {kPrevCornerAbsent, 0.0};
    PrevCorners.clear(); // no unit has previous corners
}

Point2d RotateAbout(Point2d p, Point2d centre, double angle)
{
    return Rotate(p, centre, std::cos(angle), std::sin(angle));
}

void SaveSegmentLines(SweepRecords& records, double x, double y, double x2, double y2, double lx, double ly,
                      double lx2, double ly2, double station)
{
    if (records.LeftSegmentLines.empty() || records.RightSegmentLines.empty())
        throw std::logic_error(
            "SaveSegmentLines: segment line lists lost their open row (SweepRecords not reset)");
    records.LeftSegmentLines.back() = {x, y, x2, y2, station};
    records.RightSegmentLines.back() = {lx, ly, lx2, ly2, station};
    records.LeftSegmentLines.emplace_back();
    records.RightSegmentLines.emplace_back();
}

SegmentCorners CalcSegmentCorners(Point2d p, Point2d r, const SegmentSpec& spec, const SweepPathResult& step,
                                  double unitIndex, double station, int vType, SweepRecords& records,
                                  MessageService& messages)
{
    const double theta = Heading(p, r);
    if (!std::isfinite(theta))
        return Fail(messages);
    const Frame frame{p, std::cos(theta), std::sin(theta)};

    SegmentCorners c;
    c[0] = p;
    c[1] = r;

    const double rearEnd = -spec.Wheelbase - spec.Back;
    const bool drawbar = spec.Kind == kKindDrawbar;
    const double frontHalf = drawbar ? kDrawbarFrontHalfWidth : spec.VehicleWidth / 2.0;
    const double rearHalf = drawbar ? kDrawbarRearHalfWidth : spec.VehicleWidth / 2.0;
    c[3] = frame.Place(spec.Front, frontHalf);
    c[5] = frame.Place(spec.Front, -frontHalf);
    c[2] = frame.Place(rearEnd, rearHalf);
    c[4] = frame.Place(rearEnd, -rearHalf);
    if (!AllFinite(c, 2, 5))
        return Fail(messages);
    const double bodyFlag = drawbar ? 0.0 : 1.0;

    if (!drawbar)
        SaveSegmentLines(records, c[3].x, c[3].y, c[2].x, c[2].y, c[5].x, c[5].y, c[4].x, c[4].y, station);

    // The first unit's front corners trace the front of the swept area between stations.
    if (unitIndex == 0.0) {
        if (records.PrevFrontLeft.x != kPrevCornerAbsent)
            SaveSegmentLines(records, records.PrevFrontLeft.x, records.PrevFrontLeft.y, c[3].x, c[3].y,
                             records.PrevFrontRight.x, records.PrevFrontRight.y, c[5].x, c[5].y, station);
        records.PrevFrontLeft = c[3];
        records.PrevFrontRight = c[5];
    }

    // Every body's corners sweep outward between probes: a trailer's front corner swings out on a
    // reverse curve, a rear corner on the tail swing, and a probe that passes between the ends of
    // two consecutive side lines would miss them. The line joining a corner's places at the
    // previous and this station closes that gap.
    if (!drawbar)
        SaveCornerPaths(records, unitIndex, c, station);

    Append(records.VehicleSweepLeftFront, unitIndex, station, c[3], bodyFlag);
    Append(records.VehicleSweepRightFront, unitIndex, station, c[5], bodyFlag);
    Append(records.VehicleSweepLeftBack, unitIndex, station, c[2], bodyFlag);
    Append(records.VehicleSweepRightBack, unitIndex, station, c[4], bodyFlag);

    // A single truck has nothing coupled behind it.
    if (vType > 1) {
        c[6] = frame.Place(-spec.Wheelbase - spec.Hitch, 0.0);
        if (!Finite(c[6]))
            return Fail(messages);
    }

    const double leftLine = spec.WheelWidth / 2.0 - kTyreHalfWidth;
    const double rightLine = -spec.WheelWidth / 2.0 + kTyreHalfWidth;

    if (spec.Kind == kKindMotor) {
        PlaceSteeredTyre(c, 7, frame, leftLine, step.LeftWheelAngle);
        PlaceSteeredTyre(c, 21, frame, rightLine, step.RightWheelAngle);
        const Point2d outerLeft = frame.Place(0.0, spec.WheelWidth / 2.0);
        const Point2d outerRight = frame.Place(0.0, -spec.WheelWidth / 2.0);
        if (!AllFinite(c, 7, 34) || !Finite(outerLeft) || !Finite(outerRight))
            return Fail(messages);
        Append(records.WheelSweepLeftFront, unitIndex, station, outerLeft, 1.0);
        Append(records.WheelSweepRightFront, unitIndex, station, outerRight, 1.0);
    }

    // Rear tyres are not steered; for a drawbar they are the front axle of the trailer it pulls.
    const double axle = -spec.Wheelbase;
    const double outerHalf = std::max(spec.VehicleWidth, spec.WheelWidth) / 2.0;
    PlaceRearTyre(c, 35, frame, axle, leftLine, frame.Place(axle, outerHalf));
    PlaceRearTyre(c, 50, frame, axle, rightLine, frame.Place(axle, -outerHalf));
    if (!AllFinite(c, 35, 64))
        return Fail(messages);
    Append(records.WheelSweepLeftBack, unitIndex, station, c[43], 1.0);
    Append(records.WheelSweepRightBack, unitIndex, station, c[58], 1.0);
    return c;
}

} // namespace velrok
