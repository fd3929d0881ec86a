// Test and benchmark scaffolding: a vehicle dragged along a sampled path with the trailing-axle
// step and the corner geometry, laid out and chained the way a sweep run does it, so that the
// envelope and the step can be exercised on run-like records without the run itself.
#pragma once

#include "common/Point.h"
#include "output/SegmentCorners.h"
#include "geometry/Geometry.h"
#include "geometry/SweepPath.h"
#include "geometry/SweepTypes.h"

#include <cmath>
#include <string>
#include <vector>

namespace velrok::testing {

inline constexpr double kStationStep = 0.2;

class NullMessages : public MessageService {
  public:
    MsgAnswer Show(const std::string&, const std::string&, MsgIcon, MsgButtons) override
    {
        ++count;
        return MsgAnswer::Ok;
    }
    int count = 0;
};

// A path of straight pieces and circular arcs, sampled every 0.2 units along its length.
class PathBuilder {
  public:
    PathBuilder(Point2d start, double heading) : m_point(start), m_heading(heading)
    {
        m_points.push_back(start);
    }

    PathBuilder& Line(double length)
    {
        Walk(length, [&](double s) {
            return Point2d{m_point.x + s * std::cos(m_heading), m_point.y + s * std::sin(m_heading)};
        });
        m_point = {m_point.x + length * std::cos(m_heading), m_point.y + length * std::sin(m_heading)};
        return *this;
    }

    // turn > 0 bends to the left (counter-clockwise), in radians.
    PathBuilder& Arc(double radius, double turn)
    {
        const double side = turn > 0 ? 1.0 : -1.0;
        const Point2d centre{m_point.x - side * radius * std::sin(m_heading),
                             m_point.y + side * radius * std::cos(m_heading)};
        const double a0 = std::atan2(m_point.y - centre.y, m_point.x - centre.x);
        const double length = radius * std::fabs(turn);
        auto at = [&](double s) {
            const double a = a0 + side * s / radius;
            return Point2d{centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)};
        };
        Walk(length, at);
        m_point = at(length);
        m_heading += turn;
        return *this;
    }

    double Length() const { return m_length; }
    const std::vector<Point2d>& Stations() const { return m_points; }

  private:
    template <class At> void Walk(double length, At at)
    {
        // Stations fall every 0.2 of the whole path's length, across piece boundaries.
        double s = m_nextStation - m_length;
        while (s <= length + 1e-9) {
            m_points.push_back(at(s));
            s += kStationStep;
        }
        m_length += length;
        m_nextStation = m_length + (s - length);
    }

    Point2d m_point;
    double m_heading;
    double m_length = 0.0;
    double m_nextStation = kStationStep;
    std::vector<Point2d> m_points;
};

struct DraggedRun {
    std::vector<PathTrackEntry> track;
    SweepRecords records;
    std::vector<std::vector<SegmentCorners>> corners; // [station][unit]
    std::vector<std::vector<SweepPathResult>> steps;  // [station][unit]
    int cannotFollow = 0;
};

// Lays the units out straight behind the start, then steps every unit at every station, each
// trailing unit hanging on the coupling point (corner 6) of the unit ahead.
inline DraggedRun DragAlongPath(const std::vector<SegmentSpec>& units, const std::vector<Point2d>& stations,
                                int vType, MessageService& messages)
{
    DraggedRun run;
    const size_t n = units.size();
    std::vector<Point2d> lead(n), prevLead(n), rear(n);
    const Point2d s0 = stations.at(0);
    const Point2d v{stations.at(2).x - s0.x, stations.at(2).y - s0.y};
    auto behind = [&](double d) {
        return Point2d{s0.x - v.x * d / kStationStep, s0.y - v.y * d / kStationStep};
    };
    lead[0] = s0;
    prevLead[0] = {s0.x - v.x, s0.y - v.y};
    rear[0] = behind(kStationStep + units[0].Wheelbase);
    double d = kStationStep + units[0].Wheelbase;
    for (size_t k = 1; k < n; ++k) {
        prevLead[k] = behind(d + units[k - 1].Hitch);
        rear[k] = behind(d + units[k - 1].Hitch + units[k].Wheelbase);
        d += units[k - 1].Hitch + units[k].Wheelbase;
    }

    for (size_t s = 0; s < stations.size(); ++s) {
        const double station = kStationStep * static_cast<double>(s);
        lead[0] = stations[s];
        run.track.push_back({stations[s].x, stations[s].y, station});
        std::vector<SegmentCorners> here;
        std::vector<SweepPathResult> steps;
        for (size_t k = 0; k < n; ++k) {
            const SweepPathResult r =
                SweepPath(lead[k], units[k].Wheelbase, prevLead[k], rear[k], units[k].WheelWidth, messages);
            if (r.CannotFollow)
                ++run.cannotFollow;
            const SegmentCorners c =
                CalcSegmentCorners(lead[k], r.RearPoint, units[k], r, static_cast<double>(k), station, vType,
                                   run.records, messages);
            prevLead[k] = lead[k];
            rear[k] = r.RearPoint;
            if (k + 1 < n)
                lead[k + 1] = c[6];
            here.push_back(c);
            steps.push_back(r);
        }
        run.corners.push_back(std::move(here));
        run.steps.push_back(std::move(steps));
    }
    return run;
}

inline SegmentSpec Unit(int32_t kind, double wheelWidth, double vehicleWidth, double front, double wheelbase,
                        double back, double hitch)
{
    SegmentSpec u;
    u.Kind = kind;
    u.WheelWidth = wheelWidth;
    u.VehicleWidth = vehicleWidth;
    u.Front = front;
    u.Wheelbase = wheelbase;
    u.Back = back;
    u.Hitch = hitch;
    u.MaxTurningAngle = 40.0;
    u.MaxSegmentAngle = 70.0;
    return u;
}

// The default truck of a new vehicle (configuration 1).
inline std::vector<SegmentSpec> Truck()
{
    return {Unit(kKindMotor, 2.55, 2.6, 1.4, 5.6, 2.6, 0.0)};
}

// Configuration 2 with the default texts: truck and semitrailer.
inline std::vector<SegmentSpec> SemiTrailer()
{
    return {Unit(kKindMotor, 2.55, 2.6, 1.4, 5.6, 2.6, 2.65),
            Unit(kKindBody, 2.55, 2.6, 0.91, 9.3, 2.1, 0.0)};
}

// Configuration 10 (Triple Trailer) with the default texts: truck, body, drawbar, body (coupled
// at its rear end), drawbar, body. Its length (the sum of the summary) is 49.75.
inline std::vector<SegmentSpec> TripleTrailer()
{
    return {
        Unit(kKindMotor, 2.55, 2.6, 1.4, 5.6, 2.6, 2.65),  Unit(kKindBody, 2.55, 2.6, 0.91, 9.3, 2.1, 3.0),
        Unit(kKindDrawbar, 2.55, 2.6, 0.0, 3.0, 0.0, 0.0), Unit(kKindBody, 2.55, 2.6, 0.91, 9.3, 2.1, 2.1),
        Unit(kKindDrawbar, 2.55, 2.6, 0.0, 3.0, 0.0, 0.0), Unit(kKindBody, 2.55, 2.6, 0.91, 9.3, 2.1, 0.0)};
}
inline constexpr double kTripleTrailerLength = 49.75;

// A winding path of lines and arcs of about the given length (998 units at most for a run).
inline PathBuilder WindingPath(double length)
{
    PathBuilder path({100.0, 50.0}, 0.3);
    const double pi = 4.0 * std::atan(1.0);
    int piece = 0;
    while (path.Length() < length - 60.0) {
        switch (piece++ % 6) {
        case 0:
            path.Line(40.0);
            break;
        case 1:
            path.Arc(25.0, pi / 2.0);
            break;
        case 2:
            path.Line(15.0);
            break;
        case 3:
            path.Arc(30.0, -2.0 * pi / 3.0);
            break;
        case 4:
            path.Arc(40.0, pi / 4.0);
            break;
        default:
            path.Line(20.0);
            break;
        }
    }
    path.Line(length - path.Length());
    return path;
}

} // namespace velrok::testing
