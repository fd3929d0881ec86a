// The sweep run end to end on the in-memory host: the command's and the set-up's boxes, what is
// drawn, the stops, the series against the steady state of a circle, and the envelope.
#include "sweep/SweepRun.h"

#include "SweepHarness.h"
#include "TestPaths.h"
#include "host/DxfReader.h"
#include "sweep/TurningReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace velrok {
namespace {

using testing::SweepHarness;

constexpr double kPi = 3.14159265358979323846;

std::string Tail(const std::string& s, size_t n)
{
    return s.size() < n ? s : s.substr(s.size() - n);
}

// ---- the command and the set-up -------------------------------------------------------------

TEST(ExecuteCommand, NoHostRunningRunsNothing)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {50, 0, 0});
    h.registry.Unregister(host::kStandardProgId);
    EXPECT_FALSE(h.Execute());
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, "Can't create object");
    EXPECT_EQ(h.messages.shown[0].text, "Microstation is not running!\r\rIf running on Vista make sure to "
                                        "run Microstation as administrator!");
}

TEST(ExecuteCommand, SpeedAndLockToLockMustBeFilled)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {50, 0, 0});
    h.inputs.txt_Speed = " ";
    EXPECT_FALSE(h.Execute());
    h.inputs.txt_Speed = "10";
    h.inputs.fields.txt_LockToLock = "";
    EXPECT_FALSE(h.Execute());
    ASSERT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.messages.shown[0].text, "Missing value for Speed!");
    EXPECT_EQ(h.messages.shown[1].title, "Missing value");
    EXPECT_EQ(h.messages.shown[1].text, "Missing value for Lock to lock!\r\r(A common value is 6-8 seconds)");
    EXPECT_EQ(h.messages.shown[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(h.DrawnCount(), 0u);
}

TEST(ExecuteSweep, NothingToProcessWithoutAPath)
{
    SweepHarness h;
    h.path = {};
    EXPECT_TRUE(h.Execute());
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, "Nothing to process!");
    EXPECT_EQ(
        h.messages.shown[0].text,
        "This function requires a selected Vehicle path!\r\rSelect path in the drawing and use the Add Path "
        "button\rto make it current before you try to execute!");
    EXPECT_EQ(h.results.Stop, StopReason::Refused);
    EXPECT_TRUE(h.drawing->Groups().empty());
}

TEST(ExecuteSweep, PathTooShortForThreeStationsIsRefusedBeforeDrawing)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {0.2, 0, 0});
    h.Execute();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, "To short Vehicle Path");
    EXPECT_EQ(h.messages.shown[0].text,
              "Selected Vehicle Path is too short!\r\rIt must be longer than 0.2 units");
    EXPECT_EQ(h.messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(h.results.Stop, StopReason::Refused);
    EXPECT_TRUE(h.drawing->Groups().empty());
    EXPECT_EQ(h.DrawnCount(), 0u);

    // Just over 0.2 gives 0, 0.2 and the end: enough.
    SweepHarness ok;
    ok.AddLine({0, 0, 0}, {0.3, 0, 0});
    ok.Execute();
    EXPECT_EQ(ok.results.Stop, StopReason::None);
    EXPECT_EQ(ok.results.StationCount, 3);
}

TEST(ExecuteSweep, PathTooLongStopsSamplingAfterStation4991)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {1000, 0, 0});
    h.Execute();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, "To long Vehicle Path");
    EXPECT_EQ(h.messages.shown[0].text, "Selected Vehicle Path is to long!\r\rMax length is 998 units");
    EXPECT_EQ(h.messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(h.status.panel2, "Selected Vehicle Path is to long!");
    EXPECT_FALSE(h.status.progressVisible);
    EXPECT_EQ(h.status.restores, 1);
    EXPECT_EQ(h.status.progressValue, 4992); // column 4991 was stored before the stop
    EXPECT_EQ(h.DrawnCount(), 0u);
}

TEST(ExecuteSweep, StationsOfAOneUnitPathIncludeTheEnd)
{
    SweepHarness h;
    h.AddLine({3, 4, 0}, {4, 4, 0});
    h.inputs.fields.txt_Wheelbase = "0.5"; // short enough to run on a 1-unit path
    h.Execute();
    ASSERT_EQ(h.results.Stop, StopReason::None) << (h.messages.shown.empty() ? "" : h.messages.shown[0].text);
    // 0, 0.2, 0.4, 0.6, 0.8 (1.0 / 0.2 counts as a whole multiple, one step less) and the end at 1.0.
    const auto track = h.results.FilledTrack();
    ASSERT_EQ(track.size(), 6u);
    EXPECT_EQ(h.results.PathTrack.size(), 7u);
    EXPECT_NEAR(track[4].x, 3.8, 1e-12);
    EXPECT_NEAR(track[5].x, 4.0, 1e-12);
    EXPECT_NEAR(track[5].station, 1.0, 1e-12);
    EXPECT_EQ(h.results.SteerAngleSeries.size(), 7u);
    EXPECT_EQ(h.results.SpeedSeries.size(), 7u);
    EXPECT_EQ(h.results.SteerAngleSeries[0].station, 0.0); // entry 0 stays empty
    EXPECT_NEAR(h.results.SteerAngleSeries[6].station, 1.0, 1e-12);
}

TEST(ExecuteSweep, ReverseStartsAtTheExactEndOfThePath)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {30.3, 0, 0});
    h.inputs.chk_reverse = true;
    h.Execute();
    ASSERT_EQ(h.results.Stop, StopReason::None);
    const auto track = h.results.FilledTrack();
    EXPECT_EQ(track.front().x, 30.3);
    EXPECT_EQ(track.front().station, 0.0);
    EXPECT_NEAR(track[1].x, 30.2, 1e-9);
    EXPECT_NEAR(track.back().x, 0.0, 1e-12);
    // The vehicle was laid out behind the end, so it drives towards -x: front corners lead.
    const auto& front = h.results.Records.VehicleSweepLeftFront;
    const auto& back = h.results.Records.VehicleSweepLeftBack;
    EXPECT_LT(front.back().x, back.back().x);
}

TEST(ExecuteSweep, NumberFieldThatIsNoNumberEndsInTheTrap)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {50, 0, 0});
    h.inputs.fields.txt_Front = "1,4"; // a decimal comma where the locale wants a point
    h.Execute();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, "Veichle Turning Simulation");
    EXPECT_EQ(h.messages.shown[0].text, "Type mismatch Execute sweep");
    EXPECT_EQ(h.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(h.results.Stop, StopReason::Failed);
    EXPECT_GE(h.status.restores, 1);
    EXPECT_EQ(h.DrawnCount(), 0u);
}

// Arithmetic faults the run cannot go on from end in its trap with the fault's name.
TEST(ExecuteSweep, ArithmeticFaultsEndInTheTrap)
{
    struct Fault {
        const char* front;
        const char* spacing;
        const char* maxSegment;
        int16_t vType;
        const char* text;
    };
    for (const Fault& f :
         {Fault{"-5.6", "0", "70", 1, "Division by zero Execute sweep"},  // no length to space
          Fault{"-5.59", "0", "70", 1, "Overflow Execute sweep"},         // 37700 positions
          Fault{"1.4", "5", "0", 2, "Division by zero Execute sweep"}}) { // % of a 0 limit
        SweepHarness h;
        h.inputs.VType = f.vType;
        h.inputs.fields.txt_Front = f.front;
        h.inputs.fields.txt_Back = "0";
        h.inputs.fields.txt_MaxSegAnle = f.maxSegment;
        h.inputs.txt_plotSpacing = f.spacing;
        h.AddArc({0, 0, 0}, 120, -kPi / 2, kPi / 2); // 377 units
        h.Execute();
        ASSERT_EQ(h.messages.shown.size(), 1u) << f.text;
        EXPECT_EQ(h.messages.shown[0].title, "Veichle Turning Simulation");
        EXPECT_EQ(h.messages.shown[0].text, f.text);
        EXPECT_EQ(h.results.Stop, StopReason::Failed);
    }
}

TEST(ExecuteSweep, ElementGoneFromTheDrawingEndsInTheTrap)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {50, 0, 0});
    h.drawing->DeleteElement(h.drawing->GetElementByID(h.path));
    h.Execute();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(Tail(h.messages.shown[0].text, 14), " Execute sweep");
    EXPECT_EQ(h.results.Stop, StopReason::Failed);
}

TEST(ExecuteSweep, BadValuesAreRefusedBeforeAnythingIsDrawn)
{
    for (auto edit : std::vector<std::function<void(SweepInputs&)>>{
             [](SweepInputs& i) { i.fields.txt_LockToLock = "seven"; },
             [](SweepInputs& i) { i.txt_plotSpacing = "-2"; },
             [](SweepInputs& i) { i.fields.txt_Wheelbase = "0"; },
             [](SweepInputs& i) { i.fields.txt_WheelWidth = "-2.55"; }}) {
        SweepHarness h;
        h.AddLine({0, 0, 0}, {50, 0, 0});
        edit(h.inputs);
        h.Execute();
        ASSERT_EQ(h.messages.shown.size(), 1u);
        EXPECT_EQ(h.messages.shown[0].title, "Bad value");
        EXPECT_EQ(h.messages.shown[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(h.results.Stop, StopReason::Refused);
        EXPECT_TRUE(h.drawing->Groups().empty());
        EXPECT_EQ(h.DrawnCount(), 0u);
    }
}

// ---- what a run draws -----------------------------------------------------------------------

TEST(ExecuteSweep, StraightTruckFirstAndLastWithSweepLines)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {50, 0, 0});
    h.inputs.Check1 = true;
    ASSERT_TRUE(h.Execute());
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_EQ(h.results.Stop, StopReason::None);
    const auto levels = h.ElementsPerLevel();
    EXPECT_EQ(levels.at("Velrok_Vehicle"), 34); // first and last position, 17 each
    EXPECT_EQ(levels.at("Velrok_LeftSweep") + levels.at("Velrok_RightSweep"), 8);
    EXPECT_EQ(levels.count("Velrok_Envelope"), 0u);
    EXPECT_TRUE(h.drawing->FindLevelByName("Velrok_WheelSweep").has_value());

    // Every element drawn joins the run's group: a number below 999 and the date and time.
    ASSERT_EQ(h.drawing->Groups().size(), 1u);
    const auto& group = h.drawing->Groups()[0];
    EXPECT_EQ(group.name, "523261208143000");
    EXPECT_EQ(h.results.GroupName2, "2045261208143000");
    EXPECT_EQ(group.members.size(), h.DrawnCount());
    EXPECT_GE(group.commits, 1);

    // Outlines at z = 0, sweep lines below them.
    for (const auto* e : h.OnLevel("Velrok_Vehicle"))
        EXPECT_EQ(e->vertices.at(0).z, 0.0);
    for (const auto* e : h.OnLevel("Velrok_LeftSweep"))
        EXPECT_EQ(e->vertices.at(0).z, -0.1);

    EXPECT_EQ(h.results.Report, "Truck Max Turning Angle 0  Lowest speed along path:  More than 30 km/h");
    EXPECT_EQ(h.status.panel2, h.results.Report);
    EXPECT_FALSE(h.status.progressVisible);
    EXPECT_EQ(h.diagrams.angle, 1);
    EXPECT_EQ(h.diagrams.speed, 1);
    EXPECT_EQ(h.diagrams.seenStations, h.results.StationCount);
}

TEST(ExecuteSweep, PlotSpacingSpreadsPositionsEvenly)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {100, 0, 0});
    h.inputs.chk_plotSweep = false;
    ASSERT_TRUE(h.Execute());
    // 100 / (9.6 + 5) gives 6 gaps of (100 - 6 * 9.6) / 6, a plot interval of 16.47: positions at station
    // 0, at station 82 (the distance counts from 0.2 at station 0) and then every 83 stations.
    const auto outlines = h.OnLevel("Velrok_Vehicle");
    ASSERT_EQ(outlines.size(), 7u * 17u);
    std::vector<double> frontLeft;
    for (size_t i = 0; i < outlines.size(); i += 17)
        frontLeft.push_back(outlines[i]->vertices[0].x);
    for (size_t i = 1; i < frontLeft.size(); ++i)
        EXPECT_NEAR(frontLeft[i] - frontLeft[i - 1], (i == 1 ? 82 : 83) * 0.2, 1e-6) << i;
    EXPECT_NEAR(frontLeft[0], 1.4, 1e-9);
}

TEST(ExecuteSweep, SemitrailerDrawsFourteenSweepLinesAndCouplingCircles)
{
    SweepHarness h;
    h.UseSemitrailer();
    h.AddLine({0, 0, 0}, {60, 0, 0});
    h.inputs.Check1 = true;
    ASSERT_TRUE(h.Execute());
    const auto levels = h.ElementsPerLevel();
    EXPECT_EQ(levels.at("Velrok_LeftSweep") + levels.at("Velrok_RightSweep"), 14);
    EXPECT_EQ(levels.at("Velrok_Vehicle"), 2 * (18 + 9));
    EXPECT_EQ(h.results.ArticAngleSeries1.size(), static_cast<size_t>(h.results.StationCount));
    EXPECT_EQ(h.results.ArticAngleSeries2.size(), 1u);
    EXPECT_EQ(
        h.results.Report,
        "Truck Max Turning Angle: 0  Max Segment Angle: 0  Lowest speed along path:  More than 30 km/h");
}

TEST(ExecuteSweep, DrawbarAngleIsCheckedButKeptOutOfTheSeries)
{
    SweepHarness h;
    h.inputs.VType = 3;
    h.AddArc({0, 0, 0}, 25, -kPi / 2, 0);
    h.inputs.chk_PlotVehicle = false;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::None);
    EXPECT_EQ(h.results.ArticAngleSeries1.size(), static_cast<size_t>(h.results.StationCount));
    EXPECT_EQ(h.results.ArticAngleSeries2.size(), 1u);
    EXPECT_GT(h.results.MaxSegmentAngle, 0.0);
}

// ---- the steady state of a circle -----------------------------------------------------------

TEST(ExecuteSweep, SeriesOnACircleSettleToTheAnalyticSteadyState)
{
    SweepHarness h;
    const double R = 20.0, wb = 5.6, w = 2.55;
    h.AddArc({0, 0, 0}, R, -kPi / 2, 1.2 * kPi); // 306 degrees, counter-clockwise (a left turn)
    h.inputs.chk_PlotVehicle = false;
    h.inputs.chk_plotSweep = false;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::None);
    const size_t n = static_cast<size_t>(h.results.StationCount);
    EXPECT_EQ(h.results.SteerAngleSeries.size(), n + 1);
    EXPECT_EQ(h.results.SpeedSeries.size(), n + 1);

    // The rear axle centre: midway between the rear outer points of the last station.
    const auto& l = h.results.Records.WheelSweepLeftBack.back();
    const auto& r = h.results.Records.WheelSweepRightBack.back();
    const double rearRadius = std::hypot((l.x + r.x) / 2, (l.y + r.y) / 2);
    const double eff = 1.02 * wb;
    const double expected = std::sqrt(R * R - eff * eff) + eff * 0.2 / (2 * R);
    EXPECT_NEAR(rearRadius, expected, 0.003);

    // The step's own turning radius, from the settled geometry: front points 0.2 apart along the circle,
    // the previous rear axle on radius r at 1.02 WB from the previous front point.
    const double delta = 0.2 / R;
    const Point2d p1{R, 0}, p0{R * std::cos(delta), R * std::sin(delta)};
    const double gamma = std::acos((R * R + expected * expected - eff * eff) / (2 * R * expected));
    const Point2d p2{expected * std::cos(-gamma), expected * std::sin(-gamma)};
    const double theta = std::atan2((p0.x - p1.x) * (p2.y - p1.y) - (p0.y - p1.y) * (p2.x - p1.x),
                                    (p0.x - p1.x) * (p2.x - p1.x) + (p0.y - p1.y) * (p2.y - p1.y));
    const double d = std::hypot(p0.x - p1.x, p0.y - p1.y);
    const double phi = std::atan(std::sin(theta) / (2 * wb / d - std::cos(theta)));
    const double chord = 2 * expected * std::sin(delta / 2);
    const double turning = chord / 2 / std::sin(phi);
    const double a = (std::atan(wb / (turning - w / 2)) + std::atan(wb / (turning + w / 2))) / 2 * 180 / kPi;
    EXPECT_NEAR(h.results.SteerAngleSeries.back().value, 100 * a / 40, 0.05);
    EXPECT_NEAR(h.results.MaxFrontAngle, a, 0.05);
    // Steady steering needs no steering speed: the last entries are at the top of the diagram.
    EXPECT_EQ(h.results.SpeedSeries.back().value, 30.0);
}

// ---- stops ---------------------------------------------------------------------------------

// Rows of one unit in a sweep point list, in station order.
std::vector<SweepPointRow> RowsOf(const std::vector<SweepPointRow>& list, int unit)
{
    std::vector<SweepPointRow> rows;
    for (size_t i = 1; i < list.size(); ++i)
        if (list[i].unit == unit)
            rows.push_back(list[i]);
    return rows;
}

TEST(ExecuteSweep, FrontWheelStopDrawsThePreviousStationAndNoEnvelope)
{
    SweepHarness h;
    h.AddArc({0, 0, 0}, 7.5, -kPi / 2, kPi / 2);
    h.inputs.chk_PlotVehicle = false;
    h.inputs.Check2 = true;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::FrontWheel);
    EXPECT_TRUE(h.results.FrontWheelFlag);
    EXPECT_GT(h.results.FrontWheelAngle, 40.0);
    EXPECT_EQ(h.results.MaxFrontAngle, h.results.FrontWheelAngle);

    ASSERT_EQ(h.messages.shown.size(), 1u);
    const auto& box = h.messages.shown[0];
    EXPECT_EQ(box.title, "Exceeded Front Wheel Angle!");
    EXPECT_EQ(box.icon, MsgIcon::Critical);
    const std::string station = FormatNumber(RoundHalfEven(h.results.FrontWheelStation, 1), '.');
    const std::string angle = FormatNumber(RoundHalfEven(h.results.FrontWheelAngle, 1), '.');
    EXPECT_EQ(box.text,
              "Max turning angle exceeded at station: " + station +
                  "\rVehicle stopped at position for exceeded turn angle.\r\rEvaluated average angle for "
                  "truck frontwheels at this station is " +
                  angle + " Degrees");

    // Only the stop position is drawn, from the outline of the station before the stop.
    const auto outlines = h.OnLevel("Velrok_Vehicle");
    ASSERT_EQ(outlines.size(), 17u);
    const auto rows = RowsOf(h.results.Records.VehicleSweepLeftFront, 0);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_NEAR(rows.back().station, h.results.FrontWheelStation, 1e-9);
    EXPECT_EQ(outlines[0]->vertices[0].x, rows[rows.size() - 2].x);
    EXPECT_EQ(outlines[0]->vertices[0].y, rows[rows.size() - 2].y);

    const auto levels = h.ElementsPerLevel();
    EXPECT_EQ(levels.count("Velrok_Envelope"), 0u);
    EXPECT_EQ(levels.at("Velrok_LeftSweep") + levels.at("Velrok_RightSweep"), 8);
    EXPECT_EQ(h.results.Report.rfind("Truck Max Turning Angle " + angle + "  Lowest speed along path: ", 0),
              0u);
}

TEST(ExecuteSweep, SegmentAngleStopDrawsUnitsAheadNowTheRestBeforeAndAMarker)
{
    SweepHarness h;
    h.UseSemitrailer();
    h.inputs.fields.txt_MaxSegAnle = "20";
    h.AddArc({0, 0, 0}, 12, -kPi / 2, kPi);
    h.inputs.chk_PlotVehicle = false;
    h.inputs.Check2 = true;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::SegmentAngle) << h.results.Report;
    EXPECT_GT(std::fabs(h.results.SegmentAngle), 20.0);

    ASSERT_EQ(h.messages.shown.size(), 1u);
    const auto& box = h.messages.shown[0];
    EXPECT_EQ(box.title, "Exceeded Segment Angle!");
    EXPECT_EQ(box.icon, MsgIcon::Critical);
    const std::string angle = FormatNumber(RoundHalfEven(std::fabs(h.results.SegmentAngle), 1), '.');
    EXPECT_EQ(box.text,
              "Max turning angle between segments exceeded at station: " +
                  FormatNumber(RoundHalfEven(h.results.SegmentAngleStation, 1), '.') +
                  "\rVehicle stopped at position for exceeded turn angle.\r\rEvaluated angle between two "
                  "segments is " +
                  angle + " Degrees");

    const auto outlines = h.OnLevel("Velrok_Vehicle");
    ASSERT_EQ(outlines.size(), 18u + 9u);
    // The tractor at the offending station, the trailer at the one before.
    const auto tractor = RowsOf(h.results.Records.VehicleSweepLeftFront, 0);
    const auto trailer = RowsOf(h.results.Records.VehicleSweepLeftFront, 1);
    EXPECT_EQ(outlines[0]->vertices[0].x, tractor.back().x);
    EXPECT_EQ(outlines[18]->vertices[0].x, trailer[trailer.size() - 2].x);
    EXPECT_NEAR(trailer.back().station, h.results.SegmentAngleStation, 1e-9);

    const auto notes = h.OnLevel("Velrok_ErrNotes");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1]->extras->text.text, angle);
    EXPECT_EQ(h.ElementsPerLevel().count("Velrok_Envelope"), 0u);
}

TEST(ExecuteSweep, LockToLockStopsOnAGrowingAngleAndSpeedZeroNeverStops)
{
    // Straight for 20 units, then a left arc of radius 15: the steering angle grows.
    const std::vector<Point3d> vertices{{0, 0, 0}, {20, 0, 0}, {35, 15, 0}};
    const std::vector<double> bulges{0.0, std::tan(kPi / 8), 0.0};
    SweepHarness h;
    h.AddPolyline(vertices, bulges);
    h.inputs.txt_Speed = "30";
    h.inputs.chk_PlotVehicle = false;
    h.inputs.Check2 = true;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::LockToLock);
    EXPECT_GT(h.results.LockToLockStation, 15.0);
    EXPECT_LT(h.results.LockToLockStation, 25.0);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, "Decrease speed");
    EXPECT_EQ(h.messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(h.messages.shown[0].text,
              "Lock to Lock exceeded at station: " +
                  FormatNumber(RoundHalfEven(h.results.LockToLockStation, 1), '.') +
                  "\r\rSet speed to Zero to prevent any stop, max speed is displayed after simulation.");
    EXPECT_EQ(h.OnLevel("Velrok_Vehicle").size(), 17u);
    // A lock-to-lock stop still ends with the envelope.
    EXPECT_EQ(h.OnLevel("Velrok_Envelope").size(), 2u);

    SweepHarness slow;
    slow.AddPolyline(vertices, bulges);
    slow.inputs.txt_Speed = "0";
    ASSERT_TRUE(slow.Execute());
    EXPECT_EQ(slow.results.Stop, StopReason::None);
    EXPECT_LT(slow.results.LowestSpeed, 30.0);
    EXPECT_GT(slow.results.LowestSpeed, 0.0);
    EXPECT_EQ(Tail(slow.results.Report, 5), " km/h");
    EXPECT_EQ(slow.results.Report.find("More than"), std::string::npos);
}

TEST(ExecuteSweep, LockToLockStopsOnAFallingAngleToo)
{
    // A left arc of radius 15 straight into a straight: the steering angle falls back to 0.
    SweepHarness h;
    h.AddPolyline({{0, 0, 0}, {15, 15, 0}, {15, 40, 0}}, {std::tan(kPi / 8), 0.0, 0.0});
    h.inputs.txt_Speed = "30";
    h.inputs.Combo4 = 2; // 30 m/s
    h.inputs.fields.txt_MaxTurning = "60";
    h.inputs.chk_PlotVehicle = false;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::LockToLock);
    EXPECT_GT(h.results.LockToLockStation, 0.0);
}

TEST(ExecuteSweep, UnitThatCannotFollowStopsAtItsLastGoodPosition)
{
    // A right-angle corner that a unit of almost no length cannot follow in one station.
    SweepHarness h;
    h.AddPolyline({{100, 100, 0}, {110, 100, 0}, {110, 110, 0}});
    h.inputs.fields.txt_Wheelbase = "0.05";
    h.inputs.chk_PlotVehicle = false;
    h.inputs.Check2 = true;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::CannotFollow);
    EXPECT_EQ(h.results.CannotFollowUnit, 1);
    EXPECT_NEAR(h.results.CannotFollowStation, 10.2, 1e-9);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, "Vehicle cannot follow path!");
    EXPECT_EQ(h.messages.shown[0].icon, MsgIcon::Critical);
    EXPECT_EQ(
        h.messages.shown[0].text,
        "Segment #1 cannot follow the path at station: 10.2\rVehicle stopped at its last good position.\r\r"
        "The path turns too sharply for this segment, or it jumps.");

    const auto outlines = h.OnLevel("Velrok_Vehicle");
    ASSERT_EQ(outlines.size(), 17u);
    for (const auto* e : h.drawing->ModelElements())
        for (const Point3d& p : e->vertices)
            EXPECT_GT(std::hypot(p.x, p.y), 100.0); // nothing near the origin
    // The last good position is the corner itself.
    EXPECT_NEAR(outlines[0]->vertices[0].x, 110 + 1.4, 1e-6);
    EXPECT_EQ(h.ElementsPerLevel().count("Velrok_Envelope"), 0u);
    EXPECT_FALSE(h.results.Report.empty());
}

// ---- stop requests and yielding -------------------------------------------------------------

TEST(ExecuteSweep, StopRequestEndsTheRunWithoutWrapUp)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {100, 0, 0});
    h.clock.stepMs = 20.0; // every unit step is due a yield
    h.run.stopAfterYields = 40;
    ASSERT_TRUE(h.Execute());
    EXPECT_EQ(h.results.Stop, StopReason::StopRequest);
    EXPECT_TRUE(h.results.Report.empty());
    EXPECT_EQ(h.diagrams.angle, 0);
    EXPECT_FALSE(h.status.progressVisible);
    EXPECT_GE(h.status.restores, 1);
    EXPECT_EQ(h.ElementsPerLevel().count("Velrok_LeftSweep"), 0u);
    EXPECT_LT(h.results.FilledTrack().size(), 60u);
}

TEST(ExecuteSweep, StaleStopRequestIsClearedOnceAtTheStart)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {40, 0, 0});
    h.run.stop = true; // asked before this run started
    ASSERT_TRUE(h.Execute());
    EXPECT_EQ(h.results.Stop, StopReason::None);
    EXPECT_EQ(h.run.clears, 1);
}

// Raises the stop request while a station starts, before any unit of it is stepped.
class StopAtStationStart : public testing::RecordingStatus {
  public:
    explicit StopAtStationStart(testing::FakeRunControl& run) : m_run(run) {}
    void SetProgressValue(int value) override
    {
        RecordingStatus::SetProgressValue(value);
        if (panel2 == "Calculating Sweep " && value == 3)
            m_run.stop = true;
    }

  private:
    testing::FakeRunControl& m_run;
};

TEST(ExecuteSweep, StopRequestBetweenStationsIsNotLost)
{
    SweepHarness h;
    StopAtStationStart status(h.run);
    SweepServices services{h.messages, status,   h.run,      h.settings, h.registry, host::kStandardProgId,
                           h.clock,    h.random, h.diagrams, nullptr,    '.'};
    h.UseSemitrailer();
    h.AddLine({0, 0, 0}, {40, 0, 0});
    ASSERT_TRUE(ExecuteCommand(h.inputs, h.path, services, h.results));
    EXPECT_EQ(h.results.Stop, StopReason::StopRequest);
    EXPECT_EQ(h.results.FilledTrack().size(), 4u);
}

// A second Execute from inside a yield of a run leaves the run's results alone.
class ExecuteAgainOnYield : public testing::FakeRunControl {
  public:
    void Yield() override
    {
        FakeRunControl::Yield();
        if (harness != nullptr && yields == 10)
            nestedStarted =
                ExecuteCommand(harness->inputs, harness->path, harness->services, harness->results);
    }
    SweepHarness* harness = nullptr;
    bool nestedStarted = true;
};

TEST(ExecuteSweep, SecondExecuteDuringARunIsIgnored)
{
    SweepHarness h;
    ExecuteAgainOnYield run;
    SweepServices services{h.messages, h.status, run,        h.settings, h.registry, host::kStandardProgId,
                           h.clock,    h.random, h.diagrams, nullptr,    '.'};
    run.harness = &h;
    h.clock.stepMs = 20.0;
    h.AddLine({0, 0, 0}, {40, 0, 0});
    ASSERT_TRUE(ExecuteCommand(h.inputs, h.path, services, h.results));
    EXPECT_FALSE(run.nestedStarted);
    EXPECT_GT(run.yields, 10);
    EXPECT_EQ(h.results.Stop, StopReason::None);
    EXPECT_FALSE(h.results.Running);
    EXPECT_EQ(h.results.FilledTrack().size(), static_cast<size_t>(h.results.StationCount));
    EXPECT_EQ(h.drawing->Groups().size(), 1u);
}

TEST(ExecuteSweep, YieldsAboutEveryFifteenMilliseconds)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {100, 0, 0});
    h.clock.stepMs = 1.0; // each clock reading is 1 ms later
    ASSERT_TRUE(h.Execute());
    const int steps = h.results.StationCount; // one unit
    EXPECT_GT(h.run.yields, steps / 20);
    EXPECT_LT(h.run.yields, steps / 10);
}

// ---- the envelope ---------------------------------------------------------------------------

TEST(ExecuteSweep, StraightTruckEnvelopeIsParallelAtHalfTheBodyWidth)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {40, 0, 0});
    h.inputs.Check2 = true;
    h.inputs.chk_plotSweep = false;
    h.inputs.chk_PlotVehicle = false;
    ASSERT_TRUE(h.Execute());
    ASSERT_TRUE(h.results.EnvelopeDrawn);
    const auto lines = h.OnLevel("Velrok_Envelope");
    ASSERT_EQ(lines.size(), 2u);
    // Right first, then left, at z = -0.1, yellow.
    for (const Point3d& p : lines[0]->vertices) {
        EXPECT_NEAR(p.y, -1.3, 1e-9);
        EXPECT_EQ(p.z, -0.1);
    }
    for (const Point3d& p : lines[1]->vertices)
        EXPECT_NEAR(p.y, 1.3, 1e-9);
    EXPECT_EQ(lines[0]->color, 4);
    // From the first station to the second-to-last.
    EXPECT_EQ(lines[0]->vertices.size(), static_cast<size_t>(h.results.StationCount - 1));
    EXPECT_NEAR(lines[0]->vertices.front().x, 0.0, 1e-9);
    EXPECT_NEAR(lines[1]->vertices.back().x, 39.8, 1e-9);
}

// Winding number of a closed polygon around a point, and the distance to its boundary.
bool Inside(std::span<const Point2d> poly, Point2d p)
{
    int wn = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const Point2d a = poly[i], b = poly[(i + 1) % poly.size()];
        const double cross = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
        if (a.y <= p.y && b.y > p.y && cross > 0)
            ++wn;
        else if (a.y > p.y && b.y <= p.y && cross < 0)
            --wn;
    }
    return wn != 0;
}

double BoundaryDistance(std::span<const Point2d> poly, Point2d p)
{
    double best = 1e300;
    for (size_t i = 0; i < poly.size(); ++i) {
        const Point2d a = poly[i], b = poly[(i + 1) % poly.size()];
        const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
        const double t = len2 == 0 ? 0 : std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0);
        best = std::min(best, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
    }
    return best;
}

struct EnvelopeCase {
    const char* name;
    std::vector<Point3d> vertices;
    std::vector<double> bulges;
};

class EnvelopeHolds : public ::testing::TestWithParam<EnvelopeCase> {};

TEST_P(EnvelopeHolds, EveryBodyCornerOfEveryPlottedPosition)
{
    const EnvelopeCase& c = GetParam();
    SweepHarness h;
    h.UseSemitrailer();
    h.AddPolyline(c.vertices, c.bulges);
    h.inputs.txt_plotSpacing = "0";
    h.inputs.Check2 = true;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::None) << h.results.Report;
    ASSERT_TRUE(h.results.EnvelopeDrawn);

    std::vector<Point2d> polygon = h.results.EnvelopeLeft;
    polygon.insert(polygon.end(), h.results.EnvelopeRight.rbegin(), h.results.EnvelopeRight.rend());
    const Point3d start = c.vertices.front(), end = c.vertices.back();
    int checked = 0;
    double worst = 0.0;
    for (const auto* e : h.OnLevel("Velrok_Vehicle")) {
        if (e->kind == host::ElementKind::Ellipse || e->vertices.size() != 5)
            continue; // body outlines only
        // Positions wholly on the path: past the vehicle's length from the start, clear of the end.
        if (std::hypot(e->vertices[0].x - start.x, e->vertices[0].y - start.y) < h.results.fordonslen + 1 ||
            std::hypot(e->vertices[0].x - end.x, e->vertices[0].y - end.y) < 3)
            continue;
        for (int i = 0; i < 4; ++i) {
            const Point2d corner{e->vertices[i].x, e->vertices[i].y};
            if (!Inside(polygon, corner))
                worst = std::max(worst, BoundaryDistance(polygon, corner));
            ++checked;
        }
    }
    EXPECT_LT(worst, 0.01);
    EXPECT_GE(checked, 12);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, EnvelopeHolds,
    ::testing::Values(
        // North, then a quarter turn right on radius 12.5, then east.
        EnvelopeCase{"JunctionTurn",
                     {{0, -40, 0}, {0, 0, 0}, {12.5, 12.5, 0}, {50, 12.5, 0}},
                     {0.0, -std::tan(kPi / 8), 0.0, 0.0}},
        // North into a circle of radius 14, 270 degrees round it counter-clockwise, out to the east.
        EnvelopeCase{"Roundabout",
                     {{0, -10, 0}, {0, 0, 0}, {-14, -14, 0}, {-4, -14, 0}},
                     {0.0, std::tan(3 * kPi / 8), 0.0, 0.0}},
        // A quarter turn left straight into a quarter turn right: the trailer's front corner swings
        // out between two stations.
        EnvelopeCase{"ReverseCurve",
                     {{0, -30, 0}, {0, 0, 0}, {-15, 15, 0}, {-30, 30, 0}, {-30, 60, 0}},
                     {0.0, std::tan(kPi / 8), -std::tan(kPi / 8), 0.0, 0.0}}),
    [](const auto& info) { return std::string(info.param.name); });

// The area an envelope encloses, as the quadrilaterals between the cross-sections of consecutive
// stations (right vertex, left vertex, then the next station's left and right). Where the whole
// path is a simple road this is the polygon of the two lines; where a probe reaches across a tight
// turn to another part of the run, a side's line jumps and the single polygon crosses itself,
// while the cross-sections still say what each station covers.
class CrossSections {
  public:
    CrossSections(const std::vector<Point2d>& left, const std::vector<Point2d>& right)
    {
        for (size_t i = 0; i + 1 < left.size(); ++i) {
            Quad q{{right[i], left[i], left[i + 1], right[i + 1]}, {}, {}};
            q.low = {std::min({q.p[0].x, q.p[1].x, q.p[2].x, q.p[3].x}),
                     std::min({q.p[0].y, q.p[1].y, q.p[2].y, q.p[3].y})};
            q.high = {std::max({q.p[0].x, q.p[1].x, q.p[2].x, q.p[3].x}),
                      std::max({q.p[0].y, q.p[1].y, q.p[2].y, q.p[3].y})};
            m_quads.push_back(q);
        }
    }

    // 0 inside any cross-section quadrilateral, else the distance to the nearest one.
    double DistanceOutside(Point2d c) const
    {
        // Corners come station by station, so the quadrilateral that held the last one is a good
        // place to start.
        double best = 1e300;
        for (size_t k = 0; k < m_quads.size(); ++k) {
            const size_t n = (m_hint + k) % m_quads.size();
            const Quad& q = m_quads[n];
            const double dx = std::max({q.low.x - c.x, 0.0, c.x - q.high.x});
            const double dy = std::max({q.low.y - c.y, 0.0, c.y - q.high.y});
            if (dx * dx + dy * dy >= best * best)
                continue;
            if (Inside(q.p, c)) {
                m_hint = n;
                return 0.0;
            }
            best = std::min(best, BoundaryDistance(q.p, c));
        }
        return best;
    }

  private:
    struct Quad {
        std::array<Point2d, 4> p;
        Point2d low, high;
    };
    std::vector<Quad> m_quads;
    mutable size_t m_hint = 0;
};

// Every body corner of every station, not only of the plotted positions, must lie inside the
// envelope: a corner outside it is a kerb the vehicle hits. The corners come from the sweep point
// lists, which hold each unit's body corners at each station.
struct CornerCase {
    const char* name;
    int16_t vType;
    const char* example; // a drawing of examples/ with its path on "VehiclePath", or null
    std::vector<Point3d> vertices;
    std::vector<double> bulges;
};

class EnvelopeCoversEveryStation : public ::testing::TestWithParam<CornerCase> {};

TEST_P(EnvelopeCoversEveryStation, EveryBodyCornerWithinOneCentimetre)
{
    const CornerCase& c = GetParam();
    SweepHarness h;
    if (c.vType == 2)
        h.UseSemitrailer();
    else
        h.inputs.VType = c.vType; // the harness's default texts for every unit
    Point3d start, end;
    if (c.example) {
        const host::DxfImport dxf =
            host::ReadDxfFile(std::string(VELROK_SOURCE_DIR "/examples/") + c.example);
        ASSERT_TRUE(dxf.ok()) << dxf.error;
        const auto paths = host::PathElementsOnLevel(*dxf.drawing, "VehiclePath");
        ASSERT_EQ(paths.size(), 1u);
        h.drawing = dxf.drawing;
        h.registry.Unregister(host::kStandardProgId);
        h.registry.Register(host::kStandardProgId, h.drawing);
        h.path = h.drawing->ID(paths[0]);
        start = h.drawing->PointAtDistance(paths[0], 0.0);
        end = h.drawing->PointAtDistance(paths[0], h.drawing->Length(paths[0]));
    } else {
        h.AddPolyline(c.vertices, c.bulges);
        start = c.vertices.front();
        end = c.vertices.back();
    }
    h.inputs.chk_PlotVehicle = false;
    h.inputs.chk_plotSweep = false;
    h.inputs.Check2 = true;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::None) << h.results.Report;
    ASSERT_TRUE(h.results.EnvelopeDrawn);
    // A vertex at every station but the last on both sides, so the sides pair up by station.
    const size_t stations = h.results.FilledTrack().size();
    ASSERT_EQ(h.results.EnvelopeLeft.size(), stations - 1);
    ASSERT_EQ(h.results.EnvelopeRight.size(), stations - 1);
    const CrossSections envelope(h.results.EnvelopeLeft, h.results.EnvelopeRight);

    const SweepRecords& r = h.results.Records;
    const double lastStation = h.results.FilledTrack().back().station;
    int checked = 0;
    double worst = 0.0, worstStation = 0.0, worstUnit = 0.0;
    for (const auto* list : {&r.VehicleSweepLeftFront, &r.VehicleSweepRightFront, &r.VehicleSweepLeftBack,
                             &r.VehicleSweepRightBack}) {
        for (size_t i = 1; i < list->size(); ++i) { // row 0 is the list's zero row
            const SweepPointRow& row = (*list)[i];
            if (row.flag != 1.0)
                continue; // drawbar wedges are not bodies
            // Stations with the whole vehicle on the path (it starts laid out straight behind the
            // start point), corners clear of both ends of the probes.
            if (row.station < h.results.fordonslen + 1 || std::hypot(row.x - end.x, row.y - end.y) < 3 ||
                std::hypot(row.x - start.x, row.y - start.y) < 3)
                continue;
            // A unit's front corners at the last station lead everything that unit ever covered:
            // the probe just ahead of them sees only other units, and the line between two probes
            // may pass a little inside such a corner (2.4 cm for the last trailer of a Triple
            // Trailer leaving the roundabout).
            const bool front = list == &r.VehicleSweepLeftFront || list == &r.VehicleSweepRightFront;
            if (front && row.station == lastStation)
                continue;
            const double d = envelope.DistanceOutside({row.x, row.y});
            if (d > worst) {
                worst = d;
                worstStation = row.station;
                worstUnit = row.unit;
            }
            ++checked;
        }
    }
    EXPECT_LT(worst, 0.01) << "unit " << worstUnit << " at station " << worstStation;
    EXPECT_GE(checked, 1000);
}

// A reverse curve with long straights either side, so that every unit runs through it whole.
const std::vector<Point3d> kReverseCurve = {
    {0, -70, 0}, {0, 0, 0}, {-15, 15, 0}, {-30, 30, 0}, {-30, 100, 0}};
const std::vector<double> kReverseBulges = {0.0, std::tan(kPi / 8), -std::tan(kPi / 8), 0.0, 0.0};

INSTANTIATE_TEST_SUITE_P(
    Vehicles, EnvelopeCoversEveryStation,
    ::testing::Values(CornerCase{"SemitrailerReverseCurve", 2, nullptr, kReverseCurve, kReverseBulges},
                      CornerCase{"TripleTrailerReverseCurve", 10, nullptr, kReverseCurve, kReverseBulges},
                      CornerCase{"SemitrailerRoundabout", 2, "roundabout.dxf", {}, {}},
                      CornerCase{"TripleTrailerRoundabout", 10, "roundabout.dxf", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExecuteSweep, AFinishedRunLeavesNoProgressTextButTheReport)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {40, 0, 0});
    h.inputs.Check2 = true; // the envelope writes its own progress into panel 1
    h.status.SetPanel(1, "Path length: 40");
    ASSERT_TRUE(h.Execute());
    ASSERT_TRUE(h.results.EnvelopeDrawn);
    // While it ran the panels said what it was busy with ...
    const auto& history = h.status.panelHistory;
    EXPECT_NE(std::find(history.begin(), history.end(), "1:Plotting Vehicle"), history.end());
    EXPECT_NE(std::find(history.begin(), history.end(), "1:Evaluating Envelope..."), history.end());
    // ... and after it panel 1 is empty and panel 2 holds the report.
    EXPECT_EQ(h.status.panel1, "");
    EXPECT_EQ(h.status.panel2, h.results.Report);
}

TEST(ExecuteSweep, AStoppedRunClearsItsProgressTextsToo)
{
    SweepHarness h;
    h.AddLine({0, 0, 0}, {100, 0, 0});
    h.clock.stepMs = 20.0;
    h.run.stopAfterYields = 40;
    ASSERT_TRUE(h.Execute());
    ASSERT_EQ(h.results.Stop, StopReason::StopRequest);
    const auto& history = h.status.panelHistory;
    EXPECT_NE(std::find(history.begin(), history.end(), "2:Calculating Sweep "), history.end());
    EXPECT_EQ(h.status.panel2, "");
    EXPECT_EQ(h.status.panel1, "");
}

} // namespace
} // namespace velrok
