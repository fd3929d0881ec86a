// A sweep of a semitrailer along the path of an example drawing, driven the way the main window
// drives it: the path picked by a click in the drawing window, Add path, then Execute with the
// diagrams drawn into result diagram widgets. Shared by the session test and the screenshots.
#pragma once

#include "app/diagrams/ResultDiagrams.h"
#include "app/drawing/QtWindowActivator.h"
#include "app/drawing/frmDrawing.h"
#include "fakes/RecordingServices.h"
#include "host/DxfReader.h"
#include "host/PathAcquisition.h"
#include "sweep/SweepRun.h"

#include <QApplication>
#include <QTest>

#include <optional>
#include <string>

namespace velrok::viewtest {

inline constexpr const char* kExamplePathLevel = "VehiclePath";
inline constexpr int16_t kSemiTrailer = 2;

class FixedClock : public SweepClock {
  public:
    std::string NowYYMMDDhhmmss() const override { return "261208143000"; }
    double MonotonicMs() const override { return m_ms += 1.0; }

  private:
    mutable double m_ms = 0.0;
};

class FixedRandom : public RandomSource {
  public:
    double Uniform() override { return 0.4321; }
};

// The run's services with recording message and status fakes and a yield that keeps Qt alive.
class PumpingRunControl : public testing::FakeRunControl {
  public:
    void Yield() override
    {
        testing::FakeRunControl::Yield();
        QApplication::processEvents();
    }
};

// Clicks the example's path element in the drawing window (zoomed in around it, then fitted
// again); false when the click selected anything else.
inline bool ClickExamplePath(app::frmDrawing& drawingWindow)
{
    auto& d = *drawingWindow.Drawing();
    const auto paths = host::PathElementsOnLevel(d, kExamplePathLevel);
    if (paths.size() != 1)
        return false;
    app::DrawingCanvas* canvas = drawingWindow.Canvas();
    const Point3d p = d.PointAtDistance(paths[0], d.Length(paths[0]) * 0.3);
    canvas->View().ZoomAt(canvas->View().ToScreen({p.x, p.y}), 4.0);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->View().ToScreen({p.x, p.y}).toPoint());
    const auto selected = d.Selection();
    canvas->ZoomToFit();
    return selected.size() == 1 && selected[0] == paths[0];
}

struct ExampleSession {
    ExampleSession(host::HostRegistry& r, app::frmDrawing& w, app::ResultDiagram& a, app::ResultDiagram& s)
        : registry(r), drawingWindow(w), angle(a), speed(s)
    {
    }

    host::HostRegistry& registry;
    app::frmDrawing& drawingWindow;
    app::ResultDiagram& angle;
    app::ResultDiagram& speed;
    testing::RecordingMessages messages;
    testing::RecordingStatus status;
    PumpingRunControl run;
    MemorySettingsStore settings;
    FixedClock clock;
    FixedRandom random;
    app::QtWindowActivator activator;
    host::CurrentPath path;
    SweepResults results;

    bool ClickPath() { return ClickExamplePath(drawingWindow); }

    bool AddPath() { return host::AddPath(registry, host::kStandardProgId, messages, status, path); }

    bool Execute(const std::string& speedText = "0", bool envelope = true)
    {
        app::ResultDiagrams diagrams(angle, speed);
        SweepServices services{messages, status, run,      settings,   registry, host::kStandardProgId,
                               clock,    random, diagrams, &activator, ','};
        SweepInputs inputs;
        inputs.VType = kSemiTrailer;
        inputs.txt_Speed = speedText;
        inputs.Check2 = envelope;
        return ExecuteCommand(inputs, path.Id(), services, results);
    }
};

} // namespace velrok::viewtest
