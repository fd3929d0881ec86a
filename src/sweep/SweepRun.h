// The sweep run as plain logic: the Execute command's checks, ExecuteSweep's set-up, validation,
// stepping, limits, plotting and wrap-up. It talks to the outside world only through the services
// passed in and leaves everything it found in a SweepResults that the caller keeps until the next
// run, as the main window does.
#pragma once

#include "common/Point.h"
#include "common/SettingsStore.h"
#include "common/UiServices.h"
#include "host/CadHost.h"
#include "host/HostRegistry.h"
#include "host/PathAcquisition.h"
#include "output/Conflicts.h"
#include "output/SegmentCorners.h"
#include "output/SweptArea.h"
#include "geometry/SweepTypes.h"
#include "vehicle/VehicleFields.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velrok {

inline constexpr double kStationStep = 0.2;   // drawing units between stations
inline constexpr int kMaxStationIndex = 4990; // sampling stops after storing station 4991
inline constexpr int kMinStationCount = 3;    // the start direction needs column 2
inline constexpr double kMaxSpeed = 30.0;     // in the typed unit; also the top of SpeedSeries
inline constexpr double kLowestSpeedStart = 9.88065780494209e35; // 999^12
inline constexpr double kMaxFrontAngleStart = -9999.0;
inline constexpr double kAngleChangeFloor = 1e-14; // replaces a steering change of exactly 0
inline constexpr double kKmhPerMs = 3.6;
inline constexpr double kMilesPerKm = 0.62137;
inline constexpr double kYieldIntervalMs = 15.0; // keeps a window responsive without slowing the run
inline constexpr const char* kErrNotesLevel = "Velrok_ErrNotes";

// Combo4: the unit the speed is typed in and reported in.
enum class SpeedUnit { Kmh = 0, Mph = 1, Ms = 2 };

// What the Execute command reads from the window: the vehicle fields, speed, plot spacing, the
// speed unit, the configuration and the five check boxes.
struct SweepInputs {
    VehicleFields fields;
    std::string txt_Speed = "0";
    std::string txt_plotSpacing = "5";
    int Combo4 = 0; // speed unit index
    int16_t VType = 1;
    bool chk_PlotVehicle = true; // PlotVehicle
    bool chk_plotSweep = true;   // PlotSweep
    bool Check1 = false;         // PlotOnlyFirstandLast
    bool chk_reverse = false;    // Reverse
    bool Check2 = false;         // plotPerimeter
};

// The date and time for group names, and a monotonic clock for pacing the yields.
class SweepClock {
  public:
    virtual ~SweepClock() = default;
    virtual std::string NowYYMMDDhhmmss() const = 0; // "yyMMddhhmmss"
    virtual double MonotonicMs() const = 0;
};

// Uniform random numbers in [0, 1).
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual double Uniform() = 0;
};

struct SweepResults;

// The angle and speed diagrams, redrawn at the start of the wrap-up. The command line passes a
// no-op.
class SweepDiagrams {
  public:
    virtual ~SweepDiagrams() = default;
    virtual void DrawAngleDiagram(const SweepResults& results) = 0;
    virtual void DrawSpeedDiagram(const SweepResults& results) = 0;
};

class NoDiagrams : public SweepDiagrams {
  public:
    void DrawAngleDiagram(const SweepResults&) override {}
    void DrawSpeedDiagram(const SweepResults&) override {}
};

// Brings the host's window (titled by its Caption) to the front; the desktop program implements it.
class WindowActivator {
  public:
    virtual ~WindowActivator() = default;
    virtual void ActivateWindowByTitle(const std::string& title) = 0;
};

struct SweepServices {
    MessageService& messages;
    StatusService& status;
    RunControl& run;
    const SettingsStore& settings;
    const host::HostRegistry& registry;
    std::string progId = host::kStandardProgId;
    SweepClock& clock;
    RandomSource& random;
    SweepDiagrams& diagrams;
    host::WindowActivator* activator = nullptr; // may be null
    char decimalSeparator = ',';
};

// How the run ended.
enum class StopReason {
    None,         // ran to its end
    LockToLock,   // steering too slow for the speed
    FrontWheel,   // average front-wheel angle beyond MaxTurningAngle
    SegmentAngle, // angle between units beyond MaxSegmentAngle
    CannotFollow, // a trailing axle found no place behind its lead point
    StopRequest,  // the user asked to stop
    Refused,      // a check failed before anything was drawn
    Failed        // the error trap ended the run
};

// One entry of a series; entry 0 of every series stays empty.
struct SeriesEntry {
    double station = 0.0;
    double value = 0.0;
};

// What a run leaves behind, reset at the start of the next run.
struct SweepResults {
    // One entry per station processed, then the empty entry still to be filled.
    std::vector<PathTrackEntry> PathTrack;
    std::vector<SeriesEntry> SteerAngleSeries, SpeedSeries, ArticAngleSeries1, ArticAngleSeries2,
        ArticAngleSeries3;
    SweepRecords Records;
    std::vector<SegmentSpec> Segments;

    bool FrontWheelFlag = false;
    double FrontWheelStation = 0.0;
    double FrontWheelAngle = 0.0; // absolute, degrees
    bool SegmentAngleFlag = false;
    double SegmentAngleStation = 0.0;
    double SegmentAngle = 0.0; // signed, degrees
    bool LockToLockFlag = false;
    double LockToLockStation = 0.0;
    double LockToLockAngle = 0.0; // unit 1's average front-wheel angle there, signed
    bool CannotFollowFlag = false;
    double CannotFollowStation = 0.0;
    int CannotFollowUnit = 0; // 1 = the first unit

    double MaxFrontAngle = kMaxFrontAngleStart;
    double MaxSegmentAngle = 0.0;
    double LowestSpeed = kLowestSpeedStart; // display unit, rounded to 1 decimal
    int SpeedUnitIndex = 0;

    double fordonslen = 0.0;
    double PathLength = 0.0;
    int StationCount = 0; // columns of the sampled path
    bool Reverse = false;
    std::string GroupName, GroupName2;
    host::NamedGroupHandle Group;

    bool EnvelopeDrawn = false;
    std::vector<Point2d> EnvelopeRight, EnvelopeLeft;

    // Every unit's outline at every station, for the swept area.
    SweptFootprints Footprints;
    bool SweptAreaDone = false; // false when the run swept nothing or the geometry failed
    double SweptBodyArea = 0.0; // square drawing units
    double SweptWheelArea = 0.0;
    double SweptMaxWidth = 0.0;
    // Checked when obstacle or kerb levels are named ("ObstacleLevels", "KerbLevels").
    bool ConflictsChecked = false;
    double ClearanceDistance = kDefaultClearance;
    ConflictResult Conflicts;
    std::string ConflictLine; // the report's conflict line; empty when nothing was checked

    std::string Report;
    StopReason Stop = StopReason::None;

    // True while a run works on these results. The window stays live during a run, so a command
    // started inside one of its yields (a second Execute above all) must leave them alone; Reset
    // does not touch it.
    bool Running = false;

    void Reset();
    // The stations actually processed (PathTrack without its empty last entry).
    std::vector<PathTrackEntry> FilledTrack() const;
};

// Execute (Command3): the host reachable check, the speed and lock-to-lock emptiness checks, the
// run, then the exceeded front-wheel and segment-angle boxes. `currentPath` is the identifier
// taken by Add path (zero when none). False when the command stopped before the run started, and
// at once, without a message, while a run is already working on `results`.
bool ExecuteCommand(const SweepInputs& inputs, host::ElementId currentPath, SweepServices& services,
                    SweepResults& results);

// The run itself. Every expected failure shows its box and returns with results.Stop = Refused;
// a failure anywhere ends the run with the " Execute sweep" box (results.Stop = Failed). Does
// nothing while another run is working on `results`.
void ExecuteSweep(const SweepInputs& inputs, host::ElementId currentPath, SweepServices& services,
                  SweepResults& results);

} // namespace velrok
