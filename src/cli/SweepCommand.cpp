// `velrok-cli sweep`: loads the drawing into the in-memory host, registers it as the running
// instance, selects the path, and runs Add path and Execute exactly as the desktop program does,
// with the vehicle's record filling the edit fields and the options standing for the check boxes.
#include "cli/SweepCommand.h"

#include "common/NumberText.h"
#include "common/SettingsStore.h"
#include "host/DxfReader.h"
#include "host/DxfWriter.h"
#include "host/HostRegistry.h"
#include "host/InMemoryDrawing.h"
#include "host/PathAcquisition.h"
#include "host/SvgWriter.h"
#include "output/Conflicts.h"
#include "sweep/SweepRun.h"
#include "sweep/TurningReport.h"
#include "vehicle/VehicleFile.h"
#include "vehicle/VehicleRecord.h"

#if VELROK_CLI_QT_SETTINGS
#include "host/qt/QtSettingsStore.h"
#endif

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <optional>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <unistd.h>

namespace velrok::cli {

namespace {

using Json = nlohmann::ordered_json;

// Ctrl-C: the stop request of the run, and a mark that nothing is to be written.
std::atomic<bool> g_interrupt{false};
std::atomic<bool> g_stopRequest{false};

extern "C" void OnInterrupt(int)
{
    g_interrupt = true;
    g_stopRequest = true;
}

struct SweepOptions {
    std::string drawing;
    std::string vehicle;
    std::string library;
    std::string path;
    std::string speed = "0";
    std::string unit = "kmh";
    std::string lockToLock;
    std::string spacing = "5";
    bool noVehicle = false;
    bool firstLast = false;
    bool noSweep = false;
    bool envelope = false;
    bool reverse = false;
    std::string settings;
    std::string out, svg, json;
    std::string resultsOnly; // a DXF of the run's results alone, for an external reference
    // Obstacle and kerb levels and the clearance for this run only; empty: the stored settings'.
    std::string obstacles, kerbs, clearance;
};

// The run ended at its end but met obstacles or kerbs.
constexpr int kExitConflicts = 4;

// The stored settings with this run's options on top; the stored file is never written.
class OverlaySettings : public SettingsStore {
  public:
    explicit OverlaySettings(const SettingsStore& base) : m_base(base) {}
    std::string Get(const std::string& key, const std::string& defaultValue) const override
    {
        auto it = m_values.find(key);
        return it != m_values.end() ? it->second : m_base.Get(key, defaultValue);
    }
    bool Set(const std::string& key, const std::string& value) override
    {
        m_values[key] = value;
        return true;
    }

  private:
    const SettingsStore& m_base;
    std::map<std::string, std::string> m_values;
};

struct InputError {
    std::string text;
};

std::string IconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Exclamation:
        return "exclamation";
    case MsgIcon::Critical:
        return "critical";
    case MsgIcon::Information:
        return "information";
    case MsgIcon::Question:
        return "question";
    default:
        return "none";
    }
}

// Boxes go to stderr as "Title: text", carriage returns as line breaks; all are kept for the report.
class StderrMessages : public MessageService {
  public:
    MsgAnswer Show(const std::string& title, const std::string& text, MsgIcon icon,
                   MsgButtons buttons) override
    {
        std::string shown = text;
        std::replace(shown.begin(), shown.end(), '\r', '\n');
        std::cerr << (m_progressShown ? "\n" : "") << title << ": " << shown << "\n";
        shown_.push_back({{"title", title}, {"text", text}, {"icon", IconName(icon)}});
        if (title == host::kTrapTitle)
            trapped = true;
        return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
    void ProgressShown(bool shown) { m_progressShown = shown; }
    Json shown_ = Json::array();
    bool trapped = false;

  private:
    bool m_progressShown = false;
};

// A progress bar on stderr when it is a terminal; panels are not shown.
class StderrStatus : public StatusService {
  public:
    StderrStatus(StderrMessages& messages) : m_messages(messages), m_tty(isatty(fileno(stderr)) != 0) {}
    // The bar is labelled with whichever panel was written last.
    void SetPanel(int, const std::string& text) override { m_label = text; }
    void SetProgressVisible(bool visible) override
    {
        if (!m_tty)
            return;
        if (!visible && m_drawn)
            std::cerr << "\r" << std::string(72, ' ') << "\r" << std::flush;
        m_drawn = false;
        m_visible = visible;
        m_messages.ProgressShown(false);
    }
    void SetProgressMaximum(int maximum) override { m_maximum = std::max(maximum, 1); }
    void SetProgressValue(int value) override
    {
        if (!m_tty || !m_visible)
            return;
        const int percent = std::clamp(100 * value / m_maximum, 0, 100);
        if (percent == m_percent && m_drawn)
            return;
        m_percent = percent;
        const int filled = percent * 30 / 100;
        std::cerr << "\r" << std::string(static_cast<size_t>(filled), '#')
                  << std::string(static_cast<size_t>(30 - filled), '.') << " " << percent << "% "
                  << m_label.substr(0, 32) << std::flush;
        m_drawn = true;
        m_messages.ProgressShown(true);
    }
    void RestoreWindow() override {}

  private:
    StderrMessages& m_messages;
    bool m_tty;
    bool m_visible = false;
    bool m_drawn = false;
    int m_maximum = 1;
    int m_percent = -1;
    std::string m_label;
};

class SignalRunControl : public RunControl {
  public:
    void Yield() override {}
    bool StopRequested() const override { return g_stopRequest; }
    void ClearStopRequest() override { g_stopRequest = false; }
};

class SystemClock : public SweepClock {
  public:
    std::string NowYYMMDDhhmmss() const override
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char text[16];
        std::strftime(text, sizeof text, "%y%m%d%H%M%S", &local);
        return text;
    }
    double MonotonicMs() const override
    {
        using namespace std::chrono;
        return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
    }
};

class SystemRandom : public RandomSource {
  public:
    double Uniform() override { return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine); }

  private:
    std::mt19937_64 m_engine{std::random_device{}()};
};

// ---- input -----------------------------------------------------------------------------------

struct Vehicle {
    VehicleRecord record;
    VehicleFields fields;
    std::string name;
};

Vehicle LoadVehicle(const SweepOptions& o, const CliContext& context)
{
    const std::string path = o.library.empty() ? DefaultLibraryPath(context) : o.library;
    if (!FileExists(path))
        throw InputError{"Can't find saved Vehicle File! \"" + path + "\""};
    VehicleList list;
    if (std::string error = ListVehicleRecords(path, list); !error.empty())
        throw InputError{error};
    int record = 0;
    if (!o.vehicle.empty() && o.vehicle[0] == '#') {
        const ParsedNumber n = ParseNumber(o.vehicle.substr(1), '.');
        if (!n.ok() || n.value != static_cast<int>(n.value))
            throw InputError{"--vehicle " + o.vehicle + ": not a record number"};
        record = static_cast<int>(n.value);
        if (std::none_of(list.begin(), list.end(),
                         [&](const VehicleListEntry& e) { return e.itemData == record; }))
            throw InputError{"No live vehicle record #" + std::to_string(record) + " in " + path};
    } else {
        std::string names;
        for (const VehicleListEntry& e : list) {
            if (Trim(e.text) == Trim(o.vehicle)) {
                record = e.itemData;
                break;
            }
            names += "\n  #" + std::to_string(e.itemData) + " " + Trim(e.text);
        }
        if (record == 0)
            throw InputError{"No vehicle named \"" + o.vehicle + "\" in " + path +
                             "; the vehicles are:" + names};
    }
    const RecordReadResult read = ReadVehicleRecord(path, record);
    if (!read.ok())
        throw InputError{read.error};
    if (std::string why = CheckRecordShowable(read.record); !why.empty())
        throw InputError{"Record #" + std::to_string(record) + ": " + why};
    Vehicle v{read.record, {}, Trim(read.record.Name)};
    FieldsFromRecord(read.record, v.fields, '.');
    return v;
}

const char* KindName(host::ElementKind kind)
{
    switch (kind) {
    case host::ElementKind::Line:
        return "LINE";
    case host::ElementKind::Arc:
        return "ARC";
    case host::ElementKind::Circle:
        return "CIRCLE";
    case host::ElementKind::Polyline:
        return "POLYLINE";
    case host::ElementKind::Spline:
        return "SPLINE";
    case host::ElementKind::Ellipse:
        return "ELLIPSE";
    case host::ElementKind::LineString:
        return "LINESTRING";
    default:
        return "TEXT";
    }
}

std::vector<host::ElementHandle> AllPathElements(const host::InMemoryDrawing& drawing)
{
    std::vector<host::ElementHandle> all;
    for (const host::DrawingLevel& level : drawing.LevelTable())
        for (host::ElementHandle e : host::PathElementsOnLevel(drawing, level.name))
            all.push_back(e);
    return all;
}

std::string Candidates(const host::InMemoryDrawing& drawing, const std::vector<host::ElementHandle>& elements)
{
    std::string text;
    for (host::ElementHandle h : elements) {
        const host::DrawingElement& e = drawing.Element(h);
        const std::string_view handle = drawing.DxfHandle(e);
        text += "\n  " + (handle.empty() ? std::string("-") : std::string(handle)) + "  " + KindName(e.kind) +
                "  layer " + drawing.Level(e.level).name + "  length " +
                FormatNumber(RoundHalfEven(drawing.Length(h), 3), '.');
    }
    return text;
}

host::ElementHandle SelectPath(const host::InMemoryDrawing& drawing, const std::string& spec)
{
    if (!spec.empty() && spec.rfind("layer:", 0) != 0) {
        if (auto h = drawing.FindElementByDxfHandle(spec))
            return *h;
        throw InputError{"No element with handle " + spec +
                         "; path elements:" + Candidates(drawing, AllPathElements(drawing))};
    }
    std::vector<host::ElementHandle> found;
    std::string where = "the drawing";
    if (spec.empty()) {
        found = AllPathElements(drawing);
    } else {
        where = "layer " + spec.substr(6);
        found = host::PathElementsOnLevel(drawing, spec.substr(6));
    }
    if (found.size() == 1)
        return found[0];
    if (found.empty())
        throw InputError{
            "No path element (line, arc, polyline, spline, ellipse) on " + where +
            (spec.empty() ? "" : "; path elements:" + Candidates(drawing, AllPathElements(drawing)))};
    throw InputError{std::to_string(found.size()) + " path elements on " + where +
                     "; choose one with --path HANDLE or --path layer:NAME:" + Candidates(drawing, found)};
}

int SpeedUnitIndex(const std::string& unit)
{
    if (unit == "kmh")
        return 0;
    if (unit == "mph")
        return 1;
    return 2;
}

// ---- report ----------------------------------------------------------------------------------

Json SeriesJson(const std::vector<SeriesEntry>& series)
{
    Json rows = Json::array();
    for (size_t i = 1; i < series.size(); ++i) // entry 0 is the empty one
        rows.push_back({series[i].station, series[i].value});
    return rows;
}

Json PointsJson(const std::vector<SweepPointRow>& rows)
{
    Json out = Json::array();
    for (size_t i = 1; i < rows.size(); ++i) // row 0 is the zero row
        out.push_back({static_cast<int>(rows[i].unit), rows[i].station, rows[i].x, rows[i].y,
                       static_cast<int>(rows[i].flag)});
    return out;
}

Json XyJson(const std::vector<Point2d>& points)
{
    Json out = Json::array();
    for (const Point2d& p : points)
        out.push_back({p.x, p.y});
    return out;
}

Json StopJson(const SweepResults& r)
{
    switch (r.Stop) {
    case StopReason::LockToLock:
        return {{"limit", "lock-to-lock"}, {"station", r.LockToLockStation}, {"angle", r.LockToLockAngle}};
    case StopReason::FrontWheel:
        return {{"limit", "front-wheel"}, {"station", r.FrontWheelStation}, {"angle", r.FrontWheelAngle}};
    case StopReason::SegmentAngle:
        return {{"limit", "segment-angle"}, {"station", r.SegmentAngleStation}, {"angle", r.SegmentAngle}};
    case StopReason::CannotFollow:
        return {{"limit", "cannot-follow"},
                {"station", r.CannotFollowStation},
                {"angle", nullptr},
                {"unit", r.CannotFollowUnit}};
    default:
        return nullptr;
    }
}

Json Report(const Vehicle& v, const SweepResults& r, const host::InMemoryDrawing& drawing,
            const Json& messages)
{
    Json segments = Json::array();
    for (const SegmentSpec& s : r.Segments)
        segments.push_back({{"Kind", s.Kind},
                            {"WheelWidth", s.WheelWidth},
                            {"VehicleWidth", s.VehicleWidth},
                            {"Front", s.Front},
                            {"Wheelbase", s.Wheelbase},
                            {"Back", s.Back},
                            {"Hitch", s.Hitch},
                            {"MaxTurningAngle", s.MaxTurningAngle},
                            {"MaxSegmentAngle", s.MaxSegmentAngle},
                            {"DrawHitchCircle", s.DrawHitchCircle}});
    Json track = Json::array();
    for (const PathTrackEntry& e : r.FilledTrack())
        track.push_back({e.x, e.y, e.station});
    const SweepRecords& rec = r.Records;
    Json perLevel = Json::object();
    std::map<std::string, int> counts;
    for (const host::DrawingGroup& g : drawing.Groups()) {
        if (g.handle != r.Group)
            continue;
        for (const host::ElementId& id : g.members)
            ++counts[drawing.Level(drawing.Element(drawing.GetElementByID(id)).level).name];
    }
    for (const auto& [level, n] : counts)
        perLevel[level] = n;
    Json swept = nullptr;
    if (r.SweptAreaDone)
        swept = {{"body", r.SweptBodyArea}, {"wheels", r.SweptWheelArea}, {"max_width", r.SweptMaxWidth}};
    Json conflicts = Json::array();
    for (const Conflict& c : r.Conflicts.conflicts)
        conflicts.push_back({{"class", ConflictClassName(c.kind)},
                             {"handle", c.handle},
                             {"first_station", c.firstStation},
                             {"last_station", c.lastStation},
                             {"depth", c.depth}});
    Json least = nullptr;
    if (r.Conflicts.least.found)
        least = {{"distance", r.Conflicts.least.distance},
                 {"station", r.Conflicts.least.station},
                 {"handle", r.Conflicts.least.handle}};
    Json envelope = nullptr;
    if (r.EnvelopeDrawn)
        envelope = {{"left", XyJson(r.EnvelopeLeft)}, {"right", XyJson(r.EnvelopeRight)}};
    std::string unit = SpeedUnitText(r.SpeedUnitIndex).substr(1);
    return {{"vehicle", {{"name", v.name}, {"type", v.record.VType}, {"segments", segments}}},
            {"path", {{"length", r.PathLength}, {"stations", r.StationCount}, {"reverse", r.Reverse}}},
            {"report", r.Report},
            {"stop", StopJson(r)},
            {"max_front_angle", r.MaxFrontAngle},
            {"max_segment_angle", r.MaxSegmentAngle},
            {"lowest_speed", r.LowestSpeed},
            {"speed_unit", unit},
            {"path_track", track},
            {"series",
             {{"SteerAngleSeries", SeriesJson(r.SteerAngleSeries)},
              {"SpeedSeries", SeriesJson(r.SpeedSeries)},
              {"ArticAngleSeries1", SeriesJson(r.ArticAngleSeries1)},
              {"ArticAngleSeries2", SeriesJson(r.ArticAngleSeries2)},
              {"ArticAngleSeries3", SeriesJson(r.ArticAngleSeries3)}}},
            {"sweep_points",
             {{"VehicleSweepLeftFront", PointsJson(rec.VehicleSweepLeftFront)},
              {"VehicleSweepRightFront", PointsJson(rec.VehicleSweepRightFront)},
              {"VehicleSweepLeftBack", PointsJson(rec.VehicleSweepLeftBack)},
              {"VehicleSweepRightBack", PointsJson(rec.VehicleSweepRightBack)},
              {"WheelSweepLeftFront", PointsJson(rec.WheelSweepLeftFront)},
              {"WheelSweepRightFront", PointsJson(rec.WheelSweepRightFront)},
              {"WheelSweepLeftBack", PointsJson(rec.WheelSweepLeftBack)},
              {"WheelSweepRightBack", PointsJson(rec.WheelSweepRightBack)}}},
            {"envelope", envelope},
            {"swept_area", swept},
            {"conflict_report", r.ConflictsChecked ? Json(r.ConflictLine) : Json(nullptr)},
            {"conflicts", conflicts},
            {"least_clearance", least},
            {"group", r.GroupName},
            {"elements_per_level", perLevel},
            {"messages", messages}};
}

bool WriteText(const std::string& path, const std::string& text, std::string& error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) {
        error = "Cannot write \"" + path + "\"";
        return false;
    }
    return true;
}

// ---- the command -----------------------------------------------------------------------------

int RunSweep(const SweepOptions& o, const CliContext& context)
{
    g_interrupt = false;
    g_stopRequest = false;
    auto previous = std::signal(SIGINT, OnInterrupt);
    struct RestoreSignal {
        decltype(previous) handler;
        ~RestoreSignal() { std::signal(SIGINT, handler); }
    } restore{previous};

    Vehicle vehicle;
    std::shared_ptr<host::InMemoryDrawing> drawing;
    try {
        vehicle = LoadVehicle(o, context);
        host::DxfImport import = host::ReadDxfFile(o.drawing);
        if (!import.ok())
            throw InputError{import.error};
        drawing = import.drawing;
        const host::ElementHandle path = SelectPath(*drawing, o.path);
        drawing->UnselectAllElements();
        drawing->Select(path);
    } catch (const InputError& e) {
        std::cerr << "velrok-cli sweep: " << e.text << "\n";
        return kExitBadInput;
    }

    std::unique_ptr<SettingsStore> settings;
#if VELROK_CLI_QT_SETTINGS
    if (!o.settings.empty())
        settings = std::make_unique<host::QtSettingsStore>(o.settings);
#else
    if (!o.settings.empty()) {
        std::cerr << "velrok-cli sweep: --settings needs Qt, which this build lacks\n";
        return kExitBadInput;
    }
#endif
    if (!settings)
        settings = std::make_unique<MemorySettingsStore>();
    OverlaySettings runSettings(*settings);
    if (!o.obstacles.empty())
        runSettings.Set(kObstacleLevelsKey, SettingFromLevels(LevelsFromSetting(o.obstacles)));
    if (!o.kerbs.empty())
        runSettings.Set(kKerbLevelsKey, SettingFromLevels(LevelsFromSetting(o.kerbs)));
    if (!o.clearance.empty()) {
        const ParsedNumber d = ParseNumber(Trim(o.clearance), '.');
        if (!d.ok() || d.value < 0.0) {
            std::cerr << "velrok-cli sweep: --clearance " << o.clearance << ": not a distance of 0 or more\n";
            return kExitBadInput;
        }
        runSettings.Set(kClearanceDistanceKey, o.clearance);
    }

    host::HostRegistry registry;
    registry.Register(host::kStandardProgId, drawing);
    StderrMessages messages;
    StderrStatus status(messages);
    SignalRunControl run;
    SystemClock clock;
    SystemRandom random;
    NoDiagrams diagrams;
    SweepServices services{messages, status, run,      runSettings, registry, host::kStandardProgId,
                           clock,    random, diagrams, nullptr,     '.'};

    host::CurrentPath current;
    if (!host::AddPath(registry, host::kStandardProgId, messages, status, current))
        return kExitBadInput;

    SweepInputs inputs;
    inputs.fields = vehicle.fields;
    if (!o.lockToLock.empty())
        inputs.fields.txt_LockToLock = o.lockToLock;
    inputs.txt_Speed = o.speed;
    inputs.txt_plotSpacing = o.spacing;
    inputs.Combo4 = SpeedUnitIndex(o.unit);
    inputs.VType = vehicle.record.VType;
    inputs.chk_PlotVehicle = !o.noVehicle;
    inputs.chk_plotSweep = !o.noSweep;
    inputs.Check1 = o.firstLast;
    inputs.chk_reverse = o.reverse;
    inputs.Check2 = o.envelope;

    SweepResults results;
    const bool started = ExecuteCommand(inputs, current.Id(), services, results);
    status.SetProgressVisible(false);
    if (g_interrupt || results.Stop == StopReason::StopRequest) {
        std::cerr << "velrok-cli sweep: stopped, nothing written\n";
        return kExitInterrupted;
    }
    if (!started || results.Stop == StopReason::Refused)
        return kExitBadInput;

    int code = kExitDone;
    if (results.Stop == StopReason::Failed || messages.trapped)
        code = kExitFailure;
    else if (results.Stop != StopReason::None)
        code = kExitStopped;
    else if (!results.Conflicts.conflicts.empty())
        code = kExitConflicts;

    std::string error;
    host::DxfWriteNotes notes;
    if (!o.out.empty() && !host::WriteDxfFile(*drawing, o.out, error, notes)) {
        std::cerr << "velrok-cli sweep: " << error << "\n";
        return kExitFailure;
    }
    for (const std::string& warning : notes.warnings)
        std::cerr << "velrok-cli sweep: " << warning << "\n";
    if (!o.resultsOnly.empty()) {
        // The run made one group; without one (nothing drawn) the file holds no results.
        std::optional<host::NamedGroupHandle> run;
        if (results.Group.id != 0)
            run = results.Group;
        host::DxfWriteNotes resultNotes;
        if (!run || !host::WriteResultsDxfFile(*drawing, run, o.resultsOnly, error, resultNotes)) {
            std::cerr << "velrok-cli sweep: " << (run ? error : "the run drew nothing to write") << "\n";
            return kExitFailure;
        }
        for (const std::string& warning : resultNotes.warnings)
            std::cerr << "velrok-cli sweep: " << warning << "\n";
    }
    if (!o.svg.empty() && !host::WriteSvgFile(*drawing, o.svg, error)) {
        std::cerr << "velrok-cli sweep: " << error << "\n";
        return kExitFailure;
    }
    if (!o.json.empty() &&
        !WriteText(o.json, Report(vehicle, results, *drawing, messages.shown_).dump(1) + "\n", error)) {
        std::cerr << "velrok-cli sweep: " << error << "\n";
        return kExitFailure;
    }
    if (!results.Report.empty())
        std::cout << results.Report << "\n";
    if (!results.ConflictLine.empty())
        std::cout << results.ConflictLine << "\n";
    return code;
}

} // namespace

void AddSweepCommand(CLI::App& app, CliContext& context)
{
    auto o = std::make_shared<SweepOptions>();
    CLI::App* sweep = app.add_subcommand("sweep", "Run a sweep along a path of a DXF drawing");
    sweep->add_option("DRAWING", o->drawing, "DXF drawing holding the path")
        ->required()
        ->check(CLI::ExistingFile);
    sweep->add_option("--vehicle", o->vehicle, "Vehicle name in the library, or #N for record N")->required();
    sweep->add_option("--library", o->library,
                      "Vehicle library (default: DefaultVehicles.vdt beside the program)");
    sweep->add_option("--path", o->path,
                      "Path element: its DXF handle, or layer:NAME for the only path element on a layer "
                      "(default: the drawing's only path element)");
    sweep->add_option("--speed", o->speed, "Speed, 30 at most, in the unit of --unit")->capture_default_str();
    sweep->add_option("--unit", o->unit, "Speed unit")
        ->check(CLI::IsMember({"kmh", "mph", "ms"}))
        ->capture_default_str();
    sweep->add_option("--lock-to-lock", o->lockToLock,
                      "Seconds from full lock to full lock (default: the vehicle's own)");
    sweep->add_option("--spacing", o->spacing, "Gap wanted between plotted vehicles")->capture_default_str();
    sweep->add_flag("--no-vehicle", o->noVehicle, "Do not draw vehicle outlines");
    sweep->add_flag("--first-last", o->firstLast, "Draw the vehicle only at the first and the last position");
    sweep->add_flag("--no-sweep", o->noSweep, "Do not draw sweep lines");
    sweep->add_flag("--envelope", o->envelope, "Draw the swept envelope");
    sweep->add_flag("--reverse", o->reverse, "Run the path from its end");
    sweep->add_option("--obstacles", o->obstacles,
                      "Levels holding obstacles (walls, posts, buildings), joined by ';'");
    sweep->add_option("--kerbs", o->kerbs, "Levels holding kerbs, joined by ';'");
    sweep->add_option("--clearance", o->clearance, "Clearance distance around the body (default 0.5)");
    sweep->add_option("--settings", o->settings,
                      "Output styles from this INI file (default: built-in styles)");
    sweep->add_option("--out", o->out, "Write the drawing with the results as DXF");
    sweep->add_option("--results-only", o->resultsOnly,
                      "Write only the run's levels, elements and group as DXF, to attach as an external reference");
    sweep->add_option("--svg", o->svg, "Write a picture of the drawing as SVG");
    sweep->add_option("--json", o->json, "Write the JSON report");
    sweep->callback([o, &context] { context.exitCode = RunSweep(*o, context); });
}

} // namespace velrok::cli
