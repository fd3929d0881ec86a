// The whole sweep run on the in-memory host: a Triple Trailer along a winding path of lines and
// arcs, outlines at the smallest spacing, sweep lines and envelope. Run at several path lengths to
// show that time grows linearly; peak memory is reported as a counter.
#include "fakes/RecordingServices.h"
#include "host/HostRegistry.h"
#include "host/InMemoryDrawing.h"
#include "sweep/SweepRun.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <sys/resource.h>

namespace {

using namespace velrok;

constexpr double kPi = 3.14159265358979323846;

class NullMessages : public MessageService {
  public:
    MsgAnswer Show(const std::string&, const std::string&, MsgIcon, MsgButtons) override
    {
        ++shown;
        return MsgAnswer::Ok;
    }
    int shown = 0;
};

class NullStatus : public StatusService {
  public:
    void SetPanel(int, const std::string&) override {}
    void SetProgressVisible(bool) override {}
    void SetProgressMaximum(int) override {}
    void SetProgressValue(int) override {}
    void RestoreWindow() override {}
};

class SteadyClock : public SweepClock {
  public:
    std::string NowYYMMDDhhmmss() const override { return "261208120000"; }
    double MonotonicMs() const override
    {
        using namespace std::chrono;
        return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
    }
};

class HalfRandom : public RandomSource {
  public:
    double Uniform() override { return 0.5; }
};

// Straights of 12 units between arcs of radius 30 turning 50 degrees, alternately left and right,
// as a polyline with bulges, until the length is reached.
host::DrawingElement WindingPath(double length)
{
    host::DrawingElement e;
    e.kind = host::ElementKind::Polyline;
    double x = 0, y = 0, heading = 0, done = 0;
    const double straight = 12.0, radius = 30.0, turn = 50.0 * kPi / 180.0;
    int side = 1;
    while (true) {
        e.vertices.push_back({x, y, 0});
        const double s = std::min(straight, length - done);
        x += s * std::cos(heading);
        y += s * std::sin(heading);
        done += s;
        e.extras->bulges.push_back(0.0);
        if (done >= length - 1e-9)
            break;
        const double sweep = std::min(turn, (length - done) / radius);
        e.vertices.push_back({x, y, 0});
        e.extras->bulges.push_back(side * std::tan(sweep / 4));
        const double chord = 2 * radius * std::sin(sweep / 2);
        x += chord * std::cos(heading + side * sweep / 2);
        y += chord * std::sin(heading + side * sweep / 2);
        heading += side * sweep;
        done += radius * sweep;
        side = -side;
        if (done >= length - 1e-9)
            break;
    }
    e.vertices.push_back({x, y, 0});
    e.extras->bulges.push_back(0.0);
    return e;
}

VehicleFields TripleTrailer()
{
    VehicleFields f;
    f.txt_Front = "1.4";
    f.txt_Wheelbase = "3.8";
    f.txt_Back = "1.2";
    f.txtHitch = "-0.4";
    for (std::string* s : {&f.txt_Front2, &f.txt_Front3, &f.txt_Front4})
        *s = "0.9";
    for (std::string* s : {&f.txt_Wheelbase2, &f.txt_Wheelbase3, &f.txt_Wheelbase4})
        *s = "6.9";
    for (std::string* s : {&f.txt_Back2, &f.txt_Back3, &f.txt_Back4})
        *s = "1.1";
    for (std::string* s : {&f.txtHitch2, &f.txtHitch3, &f.txtHitch4})
        *s = "2.4";
    for (std::string* s : {&f.txt_WheelWidth, &f.txt_WheelWidth_2, &f.txt_WheelWidth_3, &f.txt_WheelWidth_4})
        *s = "2.5";
    for (std::string* s :
         {&f.txt_VeichleWidth, &f.txt_VeichleWidth_2, &f.txt_VeichleWidth_3, &f.txt_VeichleWidth_4})
        *s = "2.55";
    f.txt_MaxTurning = "40";
    f.txt_MaxSegAnle = "70";
    f.txt_LockToLock = "7";
    return f;
}

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_SweepRunTripleTrailer(benchmark::State& state)
{
    const double length = static_cast<double>(state.range(0));
    NullMessages messages;
    NullStatus status;
    testing::FakeRunControl run;
    MemorySettingsStore settings;
    SteadyClock clock;
    HalfRandom random;
    NoDiagrams diagrams;
    SweepInputs inputs;
    inputs.fields = TripleTrailer();
    inputs.VType = 10;
    inputs.txt_Speed = "0";
    inputs.txt_plotSpacing = "0";
    inputs.chk_PlotVehicle = true;
    inputs.chk_plotSweep = true;
    inputs.Check2 = state.range(1) != 0;
    const host::DrawingElement path = WindingPath(length);
    size_t elements = 0;
    int stations = 0;
    StopReason stop = StopReason::None;
    for (auto _ : state) {
        state.PauseTiming();
        auto drawing = std::make_shared<host::InMemoryDrawing>();
        const host::ElementId id = drawing->ID(drawing->AddNewElement(path));
        host::HostRegistry registry;
        registry.Register(host::kStandardProgId, drawing);
        SweepServices services{messages, status, run,      settings, registry, host::kStandardProgId,
                               clock,    random, diagrams, nullptr,  '.'};
        SweepResults results;
        state.ResumeTiming();

        ExecuteCommand(inputs, id, services, results);

        state.PauseTiming();
        elements = drawing->ModelElements().size();
        stations = results.StationCount;
        stop = results.Stop;
        state.ResumeTiming();
    }
    state.counters["stations"] = stations;
    state.counters["elements"] = static_cast<double>(elements);
    state.counters["ran_to_end"] = stop == StopReason::None ? 1 : 0;
    state.counters["messages"] = messages.shown;
    state.counters["peak_MB"] = PeakMegabytes();
}

// Arguments: path length, envelope on (1) or off (0).
BENCHMARK(BM_SweepRunTripleTrailer)
    ->Args({100, 1})
    ->Args({500, 1})
    ->Args({998, 1})
    ->Args({998, 0})
    ->ArgNames({"length", "envelope"})
    ->Unit(benchmark::kMillisecond);

} // namespace
