// A running in-memory host with a path, recording services and the inputs of one Execute, for the
// tests of the sweep run.
#pragma once

#include "common/NumberText.h"
#include "common/SettingsStore.h"
#include "fakes/RecordingServices.h"
#include "host/HostRegistry.h"
#include "host/InMemoryDrawing.h"
#include "sweep/SweepRun.h"

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velrok::testing {

// Every call moves the monotonic clock on by `stepMs`.
class SteppingClock : public SweepClock {
  public:
    std::string NowYYMMDDhhmmss() const override { return "261208143000"; }
    double MonotonicMs() const override { return m_now += stepMs; }
    double stepMs = 1.0;

  private:
    mutable double m_now = 0.0;
};

class FixedRandom : public RandomSource {
  public:
    double Uniform() override { return value; }
    double value = 0.5236;
};

class CountingDiagrams : public SweepDiagrams {
  public:
    void DrawAngleDiagram(const SweepResults& r) override
    {
        ++angle;
        seenStations = static_cast<int>(r.SteerAngleSeries.size()) - 1;
    }
    void DrawSpeedDiagram(const SweepResults&) override { ++speed; }
    int angle = 0, speed = 0, seenStations = -1;
};

// Decimal point throughout, so field texts read like the numbers in the tests.
struct SweepHarness {
    std::shared_ptr<host::InMemoryDrawing> drawing = std::make_shared<host::InMemoryDrawing>();
    host::HostRegistry registry;
    RecordingMessages messages;
    RecordingStatus status;
    FakeRunControl run;
    MemorySettingsStore settings;
    SteppingClock clock;
    FixedRandom random;
    CountingDiagrams diagrams;
    SweepServices services{messages, status, run,      settings, registry, host::kStandardProgId,
                           clock,    random, diagrams, nullptr,  '.'};
    SweepInputs inputs;
    SweepResults results;
    host::ElementId path;

    SweepHarness()
    {
        registry.Register(host::kStandardProgId, drawing);
        inputs.fields = Truck();
        inputs.txt_Speed = "0";
        inputs.txt_plotSpacing = "5";
    }

    // A 12 m rigid truck as typed with a decimal point.
    static VehicleFields Truck()
    {
        VehicleFields f;
        f.txt_Front = "1.4";
        f.txt_Wheelbase = "5.6";
        f.txt_Back = "2.6";
        f.txt_WheelWidth = "2.55";
        f.txt_VeichleWidth = "2.6";
        f.txt_MaxTurning = "40";
        f.txt_MaxSegAnle = "70";
        f.txt_LockToLock = "7";
        f.txtHitch = "2.65";
        for (std::string* s : {&f.txt_Front2, &f.txt_Front3, &f.txt_Front4})
            *s = "0.91";
        for (std::string* s : {&f.txt_Wheelbase2, &f.txt_Wheelbase3, &f.txt_Wheelbase4})
            *s = "9.3";
        for (std::string* s : {&f.txt_Back2, &f.txt_Back3, &f.txt_Back4})
            *s = "2.1";
        for (std::string* s : {&f.txtHitch2, &f.txtHitch3, &f.txtHitch4})
            *s = "3";
        for (std::string* s : {&f.txt_WheelWidth_2, &f.txt_WheelWidth_3, &f.txt_WheelWidth_4})
            *s = "2.55";
        for (std::string* s : {&f.txt_VeichleWidth_2, &f.txt_VeichleWidth_3, &f.txt_VeichleWidth_4})
            *s = "2.6";
        return f;
    }

    // A tractor with a semitrailer whose kingpin sits 0.5 ahead of the drive axle.
    void UseSemitrailer()
    {
        inputs.VType = 2;
        inputs.fields.txt_Front = "1.4";
        inputs.fields.txt_Wheelbase = "3.8";
        inputs.fields.txt_Back = "1.0";
        inputs.fields.txtHitch = "-0.5";
        inputs.fields.txt_Front2 = "1.6";
        inputs.fields.txt_Wheelbase2 = "10.0";
        inputs.fields.txt_Back2 = "3.4";
    }

    host::ElementId AddPolyline(const std::vector<Point3d>& vertices, const std::vector<double>& bulges = {})
    {
        host::DrawingElement e;
        e.kind = host::ElementKind::Polyline;
        e.vertices = vertices;
        e.extras->bulges = bulges;
        path = drawing->ID(drawing->AddNewElement(e));
        return path;
    }
    host::ElementId AddLine(Point3d a, Point3d b) { return AddPolyline({a, b}); }
    // Counter-clockwise arc from angle a0 to a1 (radians).
    host::ElementId AddArc(Point3d centre, double radius, double a0, double a1)
    {
        host::DrawingElement e;
        e.kind = host::ElementKind::Arc;
        e.arc = {centre, radius, a0, a1};
        path = drawing->ID(drawing->AddNewElement(e));
        return path;
    }

    bool Execute() { return ExecuteCommand(inputs, path, services, results); }

    std::map<std::string, int> ElementsPerLevel() const
    {
        std::map<std::string, int> counts;
        for (const host::DrawingElement* e : drawing->ModelElements())
            if (e->id.Value() != path.Value())
                ++counts[drawing->Level(e->level).name];
        return counts;
    }
    std::vector<const host::DrawingElement*> OnLevel(const std::string& level) const
    {
        std::vector<const host::DrawingElement*> out;
        for (const host::DrawingElement* e : drawing->ModelElements())
            if (e->id.Value() != path.Value() && drawing->Level(e->level).name == level)
                out.push_back(e);
        return out;
    }
    size_t DrawnCount() const { return drawing->ModelElements().size() - 1; }
    std::vector<std::string> Titles() const
    {
        std::vector<std::string> t;
        for (const ShownMessage& m : messages.shown)
            t.push_back(m.title);
        return t;
    }
};

} // namespace velrok::testing
