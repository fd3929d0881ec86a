// The sweep run: set-up, sampling, preparation, the station loop with its three limits, and the
// wrap-up. Also the Execute command around it.
#include "common/NumberText.h"
#include "output/OutputStyle.h"
#include "output/PlotConflicts.h"
#include "output/PlotEnvelope.h"
#include "output/PlotExceededSegmentAngle.h"
#include "output/PlotSegment.h"
#include "output/PlotSweeplines.h"
#include "geometry/Geometry.h"
#include "geometry/SweepPath.h"
#include "sweep/SweepRun.h"
#include "sweep/SweepSetup.h"
#include "sweep/TurningReport.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

namespace velrok {

void SweepResults::Reset()
{
    // One empty entry each: a station fills the last entry and appends the next empty one.
    PathTrack.assign(1, PathTrackEntry{});
    SteerAngleSeries.assign(1, SeriesEntry{});
    SpeedSeries.assign(1, SeriesEntry{});
    ArticAngleSeries1.assign(1, SeriesEntry{});
    ArticAngleSeries2.assign(1, SeriesEntry{});
    ArticAngleSeries3.assign(1, SeriesEntry{});
    Records.Reset();
    Segments.clear();
    FrontWheelFlag = SegmentAngleFlag = LockToLockFlag = CannotFollowFlag = false;
    FrontWheelStation = FrontWheelAngle = SegmentAngleStation = SegmentAngle = 0.0;
    LockToLockStation = LockToLockAngle = CannotFollowStation = 0.0;
    CannotFollowUnit = 0;
    MaxFrontAngle = kMaxFrontAngleStart;
    MaxSegmentAngle = 0.0;
    LowestSpeed = kLowestSpeedStart;
    fordonslen = PathLength = 0.0;
    StationCount = 0;
    Reverse = false;
    GroupName.clear();
    GroupName2.clear();
    Group = {};
    EnvelopeDrawn = false;
    EnvelopeRight.clear();
    EnvelopeLeft.clear();
    Footprints.Clear();
    SweptAreaDone = ConflictsChecked = false;
    SweptBodyArea = SweptWheelArea = SweptMaxWidth = 0.0;
    ClearanceDistance = kDefaultClearance;
    Conflicts = {};
    ConflictLine.clear();
    Report.clear();
    Stop = StopReason::None;
}

std::vector<PathTrackEntry> SweepResults::FilledTrack() const
{
    if (PathTrack.empty())
        return {};
    return {PathTrack.begin(), PathTrack.end() - 1};
}

namespace {

constexpr const char* kTrapLabel = " Execute sweep";
constexpr const char* kSweptAreaLabel = " Swept area";

// Arithmetic faults that end the run through its trap, named as users know them.
[[noreturn]] void Overflow()
{
    throw std::runtime_error("Overflow");
}
[[noreturn]] void DivisionByZero()
{
    throw std::runtime_error("Division by zero");
}

double RoundDown(double x)
{
    const RoundResult r = RoundToMultiple(x, 1, false);
    if (r.overflow)
        Overflow();
    return r.value;
}

// Random(Lowerbound, Upperbound): whole part of a uniform fraction times Upperbound, plus Lowerbound.
double RandomWhole(RandomSource& random, double lower, double upper)
{
    return std::floor(random.Uniform() * upper) + lower;
}

double ToMetresPerSecond(double v, int unit)
{
    switch (unit) {
    case 1:
        return v / kMilesPerKm / kKmhPerMs;
    case 2:
        return v;
    default:
        return v / kKmhPerMs;
    }
}

double ToDisplaySpeed(double v, int unit)
{
    switch (unit) {
    case 1:
        return v * kMilesPerKm * kKmhPerMs;
    case 2:
        return v;
    default:
        return v * kKmhPerMs;
    }
}

struct Station {
    double distance = 0.0;
    Point2d point;
};

struct Refused {}; // a check failed and showed its box: the run returns quietly

class Run {
  public:
    Run(const SweepInputs& in, host::ElementId path, SweepServices& svc, SweepResults& res)
        : m_in(in), m_path(path), m_svc(svc), m_res(res), m_sep(svc.decimalSeparator)
    {
    }

    void Execute()
    {
        SetUp();
        Prepare();
        StationLoop();
        if (m_res.Stop == StopReason::StopRequest)
            return;
        WrapUp();
    }

  private:
    // ---- set-up ---------------------------------------------------------------------------
    void SetUp()
    {
        m_res.Reset();
        m_res.SpeedUnitIndex = m_in.Combo4;
        // A stop asked for before this run belongs to no run; one asked for during it must survive
        // until the next check, so the flag is cleared here only.
        m_svc.run.ClearStopRequest();

        m_host = host::Attach(m_svc.registry, m_svc.progId).application;
        host::BringHostToFront(m_svc.registry, m_svc.progId, m_svc.activator, m_svc.run);

        // The typed speed is checked later; a text that is no number must not fail here.
        const ParsedNumber typed = ParseNumber(m_in.txt_Speed, m_sep);
        m_speed = ToMetresPerSecond(typed.ok() ? typed.value : 0.0, m_in.Combo4);

        if (m_path.IsZero())
            Refuse(
                "Nothing to process!",
                "This function requires a selected Vehicle path!\r\rSelect path in the drawing and use the "
                "Add Path button\rto make it current before you try to execute!",
                MsgIcon::Exclamation);

        const host::ElementHandle element = host::FindPath(host::HostSession{m_host}, m_path);
        const double length = m_host->Length(element);
        const int n = static_cast<int>(RoundDown(length / kStationStep));
        Sample(element, n, length);
        m_res.PathLength = length;
        m_res.StationCount = static_cast<int>(m_stations.size());

        if (m_stations.size() < static_cast<size_t>(kMinStationCount))
            Refuse("To short Vehicle Path",
                   "Selected Vehicle Path is too short!\r\rIt must be longer than 0.2 units",
                   MsgIcon::Critical);

        if (auto refusal = CheckRunFields(m_in, m_sep))
            Refuse(refusal->title, refusal->text, MsgIcon::Exclamation);
        m_lockToLock = ParseNumber(m_in.fields.txt_LockToLock, m_sep).value;
        m_plotSpacing = ParseNumber(m_in.txt_plotSpacing, m_sep).value;

        m_res.Segments = BuildSegments(m_in.VType, m_in.fields, m_sep);
        if (auto refusal = CheckSegmentValues(m_in.VType, m_res.Segments))
            Refuse(refusal->title, refusal->text, MsgIcon::Exclamation);
        if (m_res.Segments.empty())
            throw std::runtime_error("No vehicle configuration " + std::to_string(m_in.VType));
        ReserveResults();
    }

    void Sample(host::ElementHandle element, int n, double length)
    {
        StatusService& st = m_svc.status;
        st.SetPanel(2, "Evaluating path");
        st.SetProgressVisible(true);
        st.SetProgressMaximum(n + 1);
        m_stations.clear();
        m_stations.reserve(static_cast<size_t>(std::max(n, 0)) + 2);
        double d = 0.0;
        for (int i = 0; i <= n; ++i) {
            st.SetProgressValue(i + 1);
            if (i > 0)
                d += kStationStep; // accumulated, as the stations always were
            const Point3d p = m_host->PointAtDistance(element, d);
            m_stations.push_back({d, {p.x, p.y}});
            if (i > kMaxStationIndex) {
                st.SetPanel(2, "Selected Vehicle Path is to long!");
                m_svc.messages.Show("To long Vehicle Path",
                                    "Selected Vehicle Path is to long!\r\rMax length is 998 units",
                                    MsgIcon::Critical);
                st.RestoreWindow();
                st.SetProgressVisible(false);
                m_res.Stop = StopReason::Refused;
                throw Refused{};
            }
        }
        st.SetProgressVisible(false);
        if (d < length) {
            const Point3d p = m_host->PointAtDistance(element, length);
            m_stations.push_back({length, {p.x, p.y}});
        }
    }

    // A long run appends tens of thousands of rows; growing them once keeps the peak memory at what
    // the run needs and spares the copies of repeated doubling.
    void ReserveResults()
    {
        const size_t stations = m_stations.size() + 1;
        const size_t units = m_res.Segments.size();
        size_t bodies = 0;
        for (const SegmentSpec& s : m_res.Segments)
            bodies += s.Kind != kKindDrawbar ? 1 : 0;
        m_res.PathTrack.reserve(stations);
        for (auto* series : {&m_res.SteerAngleSeries, &m_res.SpeedSeries, &m_res.ArticAngleSeries1,
                             &m_res.ArticAngleSeries2, &m_res.ArticAngleSeries3})
            series->reserve(stations);
        SweepRecords& r = m_res.Records;
        for (auto* rows : {&r.VehicleSweepLeftFront, &r.VehicleSweepRightFront, &r.VehicleSweepLeftBack,
                           &r.VehicleSweepRightBack, &r.WheelSweepLeftBack, &r.WheelSweepRightBack})
            rows->reserve(stations * units);
        r.WheelSweepLeftFront.reserve(stations);
        r.WheelSweepRightFront.reserve(stations);
        // Per body and station: its side, and the paths of its front and rear corners.
        r.LeftSegmentLines.reserve(stations * 3 * bodies + 1);
        r.RightSegmentLines.reserve(stations * 3 * bodies + 1);
    }

    [[noreturn]] void Refuse(const std::string& title, const std::string& text, MsgIcon icon)
    {
        m_svc.messages.Show(title, text, icon);
        m_res.Stop = StopReason::Refused;
        throw Refused{};
    }

    // ---- preparation ----------------------------------------------------------------------
    void Prepare()
    {
        const std::string stamp = m_svc.clock.NowYYMMDDhhmmss();
        m_res.GroupName = FormatNumber(RandomWhole(m_svc.random, 0, 999), '.') + stamp;
        m_res.GroupName2 = FormatNumber(RandomWhole(m_svc.random, 999, 1999), '.') + stamp;
        m_res.Group = Create_MSnamedgroup(*m_host, m_res.GroupName);
        m_plot = std::make_unique<PlotContext>(
            PlotContext{*m_host, m_svc.settings, m_res.Group, m_svc.messages, m_svc.status, m_sep});

        m_svc.status.SetPanel(2, "Evaluating path");
        m_res.Reverse = m_in.chk_reverse;
        if (m_in.chk_reverse)
            std::reverse(m_stations.begin(), m_stations.end());

        const Point2d s0 = m_stations[0].point;
        const Point2d s2 = m_stations[2].point;
        const Point2d v{s2.x - s0.x, s2.y - s0.y};

        m_res.fordonslen = RunVehicleLength(m_in.VType, m_in.fields, m_sep);
        if (m_in.Check1) {
            m_plotInterval = m_res.PathLength;
        } else {
            const double per = m_res.fordonslen + m_plotSpacing;
            if (per == 0.0)
                DivisionByZero();
            double n = RoundDown(m_res.PathLength / per);
            if (n == 0)
                n = 1;
            const double gap = (m_res.PathLength - n * m_res.fordonslen) / n;
            m_plotSpacing = gap;
            m_plotInterval = gap + m_res.fordonslen - kStationStep;
        }

        // Only the direction of this layout matters: the first step puts every rear axle at
        // 1.02 times its length behind its lead point on this line.
        const size_t units = m_res.Segments.size();
        m_lead.assign(units, Point2d{});
        m_prevLead.assign(units, Point2d{});
        m_rear.assign(units, Point2d{});
        m_corners.assign(units, SegmentCorners{});
        m_hasCorners.assign(units, false);
        auto behind = [&](double d) {
            return Point2d{s0.x - v.x * d / kStationStep, s0.y - v.y * d / kStationStep};
        };
        m_lead[0] = s0;
        m_prevLead[0] = behind(kStationStep);
        double d = kStationStep + m_res.Segments[0].Wheelbase;
        m_rear[0] = behind(d);
        for (size_t k = 1; k < units; ++k) {
            m_prevLead[k] = behind(d + m_res.Segments[k - 1].Hitch);
            d += m_res.Segments[k - 1].Hitch + m_res.Segments[k].Wheelbase;
            m_rear[k] = behind(d);
        }

        m_svc.status.SetProgressVisible(true);
        m_svc.status.SetProgressMaximum(static_cast<int>(m_stations.size()) - 1);
        m_sincePlot = 0.0;
        m_lastYieldMs = m_svc.clock.MonotonicMs();
    }

    // ---- station loop ---------------------------------------------------------------------
    // Returns true when a limit or a unit that cannot follow ended the stepping.
    bool StationLoop()
    {
        const size_t units = m_res.Segments.size();
        bool plotFlag = true;
        double previousAngle = 0.0;
        for (size_t s = 0; s < m_stations.size(); ++s) {
            const double station = kStationStep * static_cast<double>(s);
            m_svc.status.SetProgressValue(static_cast<int>(s));
            m_svc.status.SetPanel(2, "Calculating Sweep ");
            m_sincePlot += kStationStep;
            const Point2d p = m_stations[s].point;
            m_lead[0] = p;
            m_res.PathTrack.back() = {p.x, p.y, station};
            m_res.PathTrack.emplace_back();
            if (m_sincePlot >= m_plotInterval) {
                plotFlag = true;
                m_sincePlot = 0.0;
            }
            int bodyCount = 0;

            for (size_t k = 0; k < units; ++k) {
                if (StopAsked()) {
                    m_svc.status.RestoreWindow();
                    m_svc.status.SetProgressVisible(false);
                    m_res.Stop = StopReason::StopRequest;
                    return true;
                }
                const SegmentSpec& spec = m_res.Segments[k];
                const SweepPathResult r = SweepPath(m_lead[k], spec.Wheelbase, m_prevLead[k], m_rear[k],
                                                    spec.WheelWidth, m_svc.messages);
                if (r.CannotFollow) {
                    m_res.CannotFollowFlag = true;
                    m_res.CannotFollowStation = station;
                    m_res.CannotFollowUnit = static_cast<int>(k) + 1;
                    m_res.Stop = StopReason::CannotFollow;
                    m_svc.messages.Show(kCannotFollowTitle,
                                        CannotFollowText(station, static_cast<int>(k) + 1, m_sep),
                                        MsgIcon::Critical);
                    DrawStopped(k);
                    return true;
                }
                const SegmentCorners c =
                    CalcSegmentCorners(m_lead[k], r.RearPoint, spec, r, static_cast<double>(k), station,
                                       m_in.VType, m_res.Records, m_svc.messages);
                if (k == 0 && FirstUnitLimits(r.AverageAngleDeg, station, previousAngle))
                    return true;
                if (k > 0 && !m_res.SegmentAngleFlag && s > 0 && SegmentLimit(k, c, station, bodyCount))
                    return true;
                m_corners[k] = c;
                m_hasCorners[k] = true;
                m_res.Footprints.Add(k, station, c, spec);
                if (m_in.chk_PlotVehicle && plotFlag)
                    PlotSegment(*m_plot, c, spec);
                m_prevLead[k] = m_lead[k];
                m_rear[k] = r.RearPoint;
                if (k + 1 < units)
                    m_lead[k + 1] = c[6];
            }
            plotFlag = false;
        }
        return false;
    }

    // Yields about every 15 ms; the stop request is looked at before every unit step.
    bool StopAsked()
    {
        const double now = m_svc.clock.MonotonicMs();
        if (now - m_lastYieldMs >= kYieldIntervalMs) {
            m_svc.run.Yield();
            m_lastYieldMs = m_svc.clock.MonotonicMs();
        }
        return m_svc.run.StopRequested();
    }

    static void Append(std::vector<SeriesEntry>& series, double station, double value)
    {
        series.push_back({station, value});
    }

    // Speed, lock to lock and the front-wheel angle of unit 1; true when a limit stopped the run.
    bool FirstUnitLimits(double a, double station, double& previousAngle)
    {
        const SegmentSpec& u1 = m_res.Segments[0];
        const double m = u1.MaxTurningAngle;
        Append(m_res.SteerAngleSeries, station, m <= 0.0 ? 0.0 : 100.0 * a / m);

        // The change of the signed angle: a swing from +a to -a is a change of 2a.
        double change = std::fabs(a - previousAngle);
        if (change == 0.0)
            change = kAngleChangeFloor;
        previousAngle = RoundNear(a, 2);

        const double feasible = std::fabs((2.0 * m / m_lockToLock) / (change / kStationStep));
        const double shown = RoundNear(ToDisplaySpeed(feasible, m_in.Combo4), 1);
        if (shown < m_res.LowestSpeed)
            m_res.LowestSpeed = shown;
        Append(m_res.SpeedSeries, station, shown >= kMaxSpeed ? kMaxSpeed : shown);

        if (m_speed > 0.0) {
            const double allowed = 2.0 * m / m_lockToLock / (m_speed / kStationStep);
            if (change > allowed) {
                m_res.LockToLockFlag = true;
                m_res.LockToLockStation = station;
                m_res.LockToLockAngle = a;
                m_res.Stop = StopReason::LockToLock;
                m_svc.messages.Show(kLockToLockTitle, LockToLockText(station, m_sep), MsgIcon::Critical);
                DrawStopped(0);
                return true;
            }
        }
        if (!m_res.FrontWheelFlag) {
            if (std::fabs(a) > m_res.MaxFrontAngle)
                m_res.MaxFrontAngle = std::fabs(a);
            if (std::fabs(a) > u1.MaxTurningAngle) {
                m_res.FrontWheelFlag = true;
                m_res.FrontWheelStation = station;
                m_res.FrontWheelAngle = std::fabs(a);
                m_res.Stop = StopReason::FrontWheel;
                DrawStopped(0);
                return true;
            }
        }
        return false;
    }

    // The angle between unit k and the unit ahead; true when it exceeded the limit.
    bool SegmentLimit(size_t k, const SegmentCorners& c, double station, int& bodyCount)
    {
        const SegmentSpec& spec = m_res.Segments[k];
        const double g = RadToDeg(AngleAt(c[1], m_corners[k - 1][0], c[0]));
        if (spec.Kind != kKindDrawbar) {
            ++bodyCount;
            double percent = 0.0;
            if (g != 0.0) {
                if (spec.MaxSegmentAngle == 0.0)
                    DivisionByZero();
                percent = 100.0 * g / spec.MaxSegmentAngle;
            }
            if (bodyCount == 1)
                Append(m_res.ArticAngleSeries1, station, percent);
            else if (bodyCount == 2)
                Append(m_res.ArticAngleSeries2, station, percent);
            else if (bodyCount == 3)
                Append(m_res.ArticAngleSeries3, station, percent);
        }
        if (std::fabs(g) > m_res.MaxSegmentAngle)
            m_res.MaxSegmentAngle = std::fabs(g);
        if (std::fabs(g) > spec.MaxSegmentAngle) {
            m_res.SegmentAngleFlag = true;
            m_res.SegmentAngleStation = station;
            m_res.SegmentAngle = g;
            m_res.Stop = StopReason::SegmentAngle;
            DrawStopped(k);
            PlotExceededSegmentAngle(*m_plot, m_corners[k - 1], c, c[1], g, kErrNotesLevel);
            return true;
        }
        return false;
    }

    // The vehicle at its last good position: every unit but `k` from its last outline, then `k`.
    // A unit that has no outline yet is not drawn (never at the origin).
    void DrawStopped(size_t k)
    {
        for (size_t j = 0; j < m_res.Segments.size(); ++j)
            if (j != k && m_hasCorners[j])
                PlotSegment(*m_plot, m_corners[j], m_res.Segments[j]);
        if (m_hasCorners[k])
            PlotSegment(*m_plot, m_corners[k], m_res.Segments[k]);
    }

    // ---- wrap-up --------------------------------------------------------------------------
    void WrapUp()
    {
        m_svc.diagrams.DrawAngleDiagram(m_res);
        m_svc.diagrams.DrawSpeedDiagram(m_res);
        if (m_in.chk_plotSweep) {
            m_svc.status.SetPanel(2, "Plotting sweep lines....Please wait");
            PlotSweeplines(*m_plot, m_res.Records, m_res.Segments, "Velrok_LeftSweep", "Velrok_RightSweep",
                           "Velrok_WheelSweep");
        }
        if (m_in.Check2 && !m_res.FrontWheelFlag && !m_res.SegmentAngleFlag && !m_res.CannotFollowFlag) {
            EnvelopePoints env = EvaluateEnvelope(*m_plot, m_res.FilledTrack(), m_res.Records, m_res.Segments,
                                                  m_res.fordonslen);
            m_res.EnvelopeDrawn = true;
            m_res.EnvelopeRight = std::move(env.right);
            m_res.EnvelopeLeft = std::move(env.left);
        }
        SweptAreaAndConflicts();
        m_res.Report = TurningReport(m_res, m_sep);
        m_svc.status.SetPanel(2, m_res.ConflictLine.empty() ? m_res.Report
                                                            : m_res.Report + "  " + m_res.ConflictLine);
        m_svc.status.SetProgressVisible(false);
    }

    // The swept area and the conflicts, when obstacle or kerb levels are named: the union of every
    // station's outlines costs seconds on a long run, too much to add to every run of a designer
    // who has nothing to check it against. A failure here is shown and ends only this step: the
    // outlines, sweep lines and report of the run stay.
    void SweptAreaAndConflicts()
    {
        if (m_res.Footprints.IsEmpty())
            return;
        const std::vector<std::string> obstacleLevels =
            LevelsFromSetting(m_svc.settings.Get(kObstacleLevelsKey, ""));
        const std::vector<std::string> kerbLevels = LevelsFromSetting(m_svc.settings.Get(kKerbLevelsKey, ""));
        if (obstacleLevels.empty() && kerbLevels.empty())
            return;
        m_res.ClearanceDistance =
            ClearanceFromSetting(m_svc.settings.Get(kClearanceDistanceKey, "0.5"), m_sep);
        try {
            m_svc.status.SetPanel(2, "Evaluating swept area");
            double wmax = 0.0;
            for (const SegmentSpec& s : m_res.Segments)
                wmax = std::max({wmax, s.VehicleWidth, s.WheelWidth});
            const double reach = std::hypot(m_res.fordonslen, wmax);
            const SweptArea area = ComputeSweptArea(m_res.Footprints, m_res.FilledTrack(), reach);
            m_res.SweptBodyArea = area.bodyArea;
            m_res.SweptWheelArea = area.wheelArea;
            m_res.SweptMaxWidth = area.maxWidth;
            m_res.SweptAreaDone = true;
            const double d = m_res.ClearanceDistance;
            const PlaneRegion envelope = d > 0.0 && !obstacleLevels.empty() ? area.body.Buffered(d) : PlaneRegion{};
            m_res.Conflicts = FindConflicts(area, envelope, d, m_host->LinesOnLevels(obstacleLevels),
                                            m_host->LinesOnLevels(kerbLevels));
            m_res.ConflictsChecked = true;
            m_res.ConflictLine = ConflictReportLine(m_res.Conflicts, m_sep);
            if (!envelope.IsEmpty())
                PlotClearanceEnvelope(*m_plot, envelope);
            PlotConflicts(*m_plot, m_res.Conflicts);
        } catch (const std::exception& e) {
            m_svc.messages.Show(kTrapTitle, std::string(e.what()) + kSweptAreaLabel, MsgIcon::Exclamation);
        }
    }

    const SweepInputs& m_in;
    host::ElementId m_path;
    SweepServices& m_svc;
    SweepResults& m_res;
    char m_sep;

    std::shared_ptr<host::CadHost> m_host;
    std::unique_ptr<PlotContext> m_plot;
    std::vector<Station> m_stations;
    double m_speed = 0.0; // metres per second
    double m_lockToLock = 0.0;
    double m_plotSpacing = 0.0;
    double m_plotInterval = 0.0;
    double m_sincePlot = 0.0;
    double m_lastYieldMs = 0.0;
    std::vector<Point2d> m_lead, m_prevLead, m_rear;
    std::vector<SegmentCorners> m_corners;
    std::vector<bool> m_hasCorners;
};

// The texts that only say what a run is busy with. Left in a panel after the run they would tell
// the user it is still busy, so they are cleared when it ends; messages and the report stay.
bool IsProgressText(const std::string& text)
{
    static constexpr const char* kProgressTexts[] = {
        "Evaluating path",  "Calculating Sweep ",     "Plotting sweep lines....Please wait",
        "Plotting Vehicle", "Evaluating Envelope...", "Sorting..."};
    for (const char* progress : kProgressTexts)
        if (text == progress)
            return true;
    return false;
}

// Passes everything on and remembers the last text the run put in each panel.
class RunStatus : public StatusService {
  public:
    explicit RunStatus(StatusService& inner) : m_inner(inner) {}
    void SetPanel(int panel, const std::string& text) override
    {
        (panel == 1 ? m_last1 : m_last2) = text;
        m_inner.SetPanel(panel, text);
    }
    void SetProgressVisible(bool visible) override { m_inner.SetProgressVisible(visible); }
    void SetProgressMaximum(int maximum) override { m_inner.SetProgressMaximum(maximum); }
    void SetProgressValue(int value) override { m_inner.SetProgressValue(value); }
    void RestoreWindow() override { m_inner.RestoreWindow(); }

    void ClearProgressTexts()
    {
        if (m_last1 && IsProgressText(*m_last1))
            m_inner.SetPanel(1, "");
        if (m_last2 && IsProgressText(*m_last2))
            m_inner.SetPanel(2, "");
    }

  private:
    StatusService& m_inner;
    std::optional<std::string> m_last1, m_last2;
};

} // namespace

void ExecuteSweep(const SweepInputs& inputs, host::ElementId currentPath, SweepServices& outer,
                  SweepResults& results)
{
    if (results.Running)
        return;
    RunStatus status(outer.status);
    SweepServices services{outer.messages,        status,      outer.run,    outer.settings, outer.registry,
                           outer.progId,          outer.clock, outer.random, outer.diagrams, outer.activator,
                           outer.decimalSeparator};
    struct ClearWhenDone {
        RunStatus& s;
        ~ClearWhenDone() { s.ClearProgressTexts(); }
    } clear{status};
    results.Running = true;
    struct Done {
        SweepResults& r;
        ~Done() { r.Running = false; }
    } done{results};
    try {
        Run(inputs, currentPath, services, results).Execute();
    } catch (const Refused&) {
        results.Stop = StopReason::Refused;
    } catch (const std::exception& e) {
        services.status.RestoreWindow();
        services.status.SetProgressVisible(false);
        services.messages.Show(kTrapTitle, std::string(e.what()) + kTrapLabel, MsgIcon::Exclamation);
        results.Stop = StopReason::Failed;
    }
}

bool ExecuteCommand(const SweepInputs& inputs, host::ElementId currentPath, SweepServices& services,
                    SweepResults& results)
{
    if (results.Running)
        return false;
    if (!host::IsHostReachable(services.registry, services.progId, services.messages, services.run))
        return false;
    if (Trim(inputs.txt_Speed).empty()) {
        services.messages.Show("Missing value", "Missing value for Speed!", MsgIcon::Exclamation);
        return false;
    }
    if (Trim(inputs.fields.txt_LockToLock).empty()) {
        services.messages.Show("Missing value",
                               "Missing value for Lock to lock!\r\r(A common value is 6-8 seconds)",
                               MsgIcon::Exclamation);
        return false;
    }
    ExecuteSweep(inputs, currentPath, services, results);
    const char sep = services.decimalSeparator;
    if (results.FrontWheelFlag)
        services.messages.Show(kFrontWheelTitle,
                               FrontWheelText(results.FrontWheelStation, results.FrontWheelAngle, sep),
                               MsgIcon::Critical);
    if (results.SegmentAngleFlag)
        services.messages.Show(kSegmentAngleTitle,
                               SegmentAngleText(results.SegmentAngleStation, results.SegmentAngle, sep),
                               MsgIcon::Critical);
    return true;
}

} // namespace velrok
