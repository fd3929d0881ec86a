// Renders the drawing window after a semitrailer run on the roundabout example, both result
// diagrams and the output style form to PNG files (used by `make screenshots`).
#include "ExampleRun.h"
#include "TestPaths.h"
#include "app/AppTestSupport.h"
#include "app/drawing/SweepSession.h"
#include "app/styles/frmVehicleTurningSettings.h"
#include "ui_frmVehicleTurning.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

using namespace velrok;

namespace {

bool Grab(QWidget& w, const QString& file)
{
    w.show();
    QApplication::processEvents();
    const bool ok = w.grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("out/screenshots");
    QDir().mkpath(out);

    host::HostRegistry registry;
    testing::RecordingMessages windowMessages;
    app::frmDrawing window(registry, windowMessages);
    window.resize(1280, 820);
    window.show();
    QApplication::processEvents();
    if (!window.OpenDxf(VELROK_SOURCE_DIR "/examples/roundabout.dxf")) {
        std::fprintf(stderr, "cannot open the roundabout example\n");
        return 1;
    }
    app::ResultDiagram angle(app::DiagramKind::Angle, nullptr, ',');
    app::ResultDiagram speed(app::DiagramKind::Speed, nullptr, ',');
    angle.resize(640, 320);
    speed.resize(640, 320);
    viewtest::ExampleSession session(registry, window, angle, speed);
    if (!session.ClickPath() || !session.AddPath() || !session.Execute()) {
        std::fprintf(stderr, "the run on the roundabout example did not start\n");
        return 1;
    }
    window.Refresh();
    window.Canvas()->ZoomToFit();
    bool ok = Grab(window, out + "/drawing-after-run.png");
    ok = Grab(angle, out + "/diagram-angle.png") && ok;
    ok = Grab(speed, out + "/diagram-speed.png") && ok;

    MemorySettingsStore settings;
    app::frmVehicleTurningSettings form(settings, windowMessages, registry, host::kStandardProgId);
    form.show();
    form.Load();
    ok = Grab(form, out + "/style-settings.png") && ok;

    // The main window after the same run through its own buttons, on the Turning Report tab.
    apptest::Harness h;
    h.CreateFile("DefaultVehicles.vdt");
    auto main = h.LoadedWindow();
    main->show();
    viewtest::FixedClock clock;
    main->Session().SetClock(&clock);
    if (!viewtest::ClickExamplePath(*main->Session().DrawingWindow())) {
        std::fprintf(stderr, "the path of the roundabout example was not picked\n");
        return 1;
    }
    main->Form().Command7->click();
    main->Form().txt_Speed->setText("0");
    main->Form().Command3->click();
    main->Form().TabStrip1->setCurrentIndex(1);
    ok = Grab(*main, out + "/main-after-run.png") && ok;
    return ok ? 0 : 1;
}
