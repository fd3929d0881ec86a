// The whole job through the main window's widgets: the example drawing opened at start-up, the
// path clicked in the drawing window, Add path, Execute with a semitrailer, then the run's group,
// the report in panel 2, the diagrams, Copy, the style form's OK and Quit, the commands locked
// during the run, Quit stopping a run, and the host missing once the drawing window is closed.
#include "ExampleRun.h"
#include "app/AppTestSupport.h"
#include "app/QtStatusService.h"
#include "app/drawing/PathMarkerOverlay.h"
#include "app/drawing/SweepSession.h"
#include "app/styles/frmVehicleTurningSettings.h"
#include "ui_frmVehicleTurning.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <map>
#include <memory>

using namespace velrok;
using namespace velrok::apptest;

namespace {

std::map<std::string, int> GroupLevels(const host::InMemoryDrawing& d, const host::DrawingGroup& group)
{
    std::map<std::string, int> levels;
    for (const host::ElementId& id : group.members)
        ++levels[d.Level(d.Element(d.GetElementByID(id)).level).name];
    return levels;
}

// Calls `probe` on the given pass of the event loop inside the run (each yield is one pass).
struct RunProbe {
    QTimer timer;
    int ticks = 0;
    RunProbe(int atTick, std::function<void()> probe)
    {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this, atTick, probe] {
            if (++ticks == atTick)
                probe();
        });
        timer.start();
    }
};

} // namespace

class MainWindowSessionTest : public QObject {
    Q_OBJECT

    viewtest::FixedClock m_clock;

    std::unique_ptr<app::frmVehicleTurning> Started(Harness& h)
    {
        h.CreateFile("DefaultVehicles.vdt");
        auto w = h.LoadedWindow();
        w->show();
        w->Session().SetClock(&m_clock);
        return w;
    }

  private slots:
    void wholeJobThroughTheWidgets()
    {
        Harness h;
        auto w = Started(h);
        app::SweepSession& session = w->Session();
        app::frmDrawing* drawing = session.DrawingWindow();
        QVERIFY(drawing != nullptr && drawing->isVisible());
        QCOMPARE(drawing->windowTitle(), QString("roundabout.dxf - Velrok drawing"));
        auto& ui = w->Form();

        QVERIFY(viewtest::ClickExamplePath(*drawing));
        ui.Command7->click();
        QVERIFY(!session.CurrentPath().IsZero());
        QCOMPARE(drawing->Drawing()->Selection().size(), size_t(0));
        QCOMPARE(h.messages.shown.size(), size_t(0));

        QCOMPARE(ui.Combo1->currentText(), QString("Semi-Trailer"));
        ui.txt_Speed->setText("0");
        ui.Check2->setChecked(true);
        bool locked = false;
        RunProbe probe(3, [&] {
            locked = !ui.Command3->isEnabled() && !ui.Command7->isEnabled() && !ui.Command1->isEnabled() &&
                     !ui.M_Settings_color->isEnabled() && !ui.M_Open->isEnabled() && ui.Command2->isEnabled();
        });
        ui.Command3->click();
        probe.timer.stop();
        QVERIFY2(probe.ticks >= 3, qPrintable(QString::number(probe.ticks)));
        QVERIFY(locked);
        QVERIFY(ui.Command3->isEnabled() && ui.Command7->isEnabled() && ui.M_Settings_color->isEnabled());

        const SweepResults& r = session.Results();
        QCOMPARE(static_cast<int>(r.Stop), static_cast<int>(StopReason::None));
        const auto& d = *drawing->Drawing();
        QCOMPARE(d.Groups().size(), size_t(1));
        const std::map<std::string, int> levels = GroupLevels(d, d.Groups().front());
        QCOMPARE(levels.size(), size_t(4));
        QCOMPARE(levels.at("Velrok_Envelope"), 2);
        QVERIFY(levels.at("Velrok_Vehicle") > 0);
        QCOMPARE(levels.at("Velrok_LeftSweep"), levels.at("Velrok_RightSweep"));
        QApplication::processEvents();
        QCOMPARE(drawing->GroupList()->count(), 1);

        const QString report = w->Status().Panel(2)->text();
        QCOMPARE(report, QString::fromStdString(r.Report));
        QVERIFY2(report.startsWith("Truck Max Turning Angle: "), qPrintable(report));
        QVERIFY(report.contains("  Max Segment Angle: "));

        // The angle diagram lies in Picture3 and shows its curves once its tab is selected.
        ui.TabStrip1->setCurrentIndex(1);
        QVERIFY(ui.Picture3->isVisible());
        app::ResultDiagram* angle = session.AngleDiagram();
        QCOMPARE(angle->parentWidget(), static_cast<QWidget*>(ui.Picture3));
        QVERIFY(angle->isVisible());
        QApplication::processEvents();
        const QImage image = angle->grab().toImage();
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = image.width() / 3; x < image.width(); ++x)
                red += image.pixelColor(x, y) == QColor(255, 0, 0);
        QVERIFY2(red > 50, qPrintable(QString::number(red)));
        angle->PopupMenu()->findChild<QAction*>("M_CopyToClipboard")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), angle->size());

        // The style form: OK stores the forty-eight keys, Quit stores nothing.
        const size_t before = h.settings.Writes().size();
        ui.M_Settings_color->trigger();
        app::frmVehicleTurningSettings* form = session.StyleForm();
        QVERIFY(form != nullptr && form->isVisible());
        form->findChild<QPushButton*>("Command1")->click();
        QCOMPARE(h.settings.Writes().size() - before, size_t(48));
        QCOMPARE(h.settings.Writes()[before].first, std::string("VehicleBodyOutlineColor"));
        QCOMPARE(h.settings.Writes().back().first, std::string("EnvelopeLevel"));
        ui.M_Settings_color->trigger();
        session.StyleForm()->findChild<QPushButton*>("Command2")->click();
        QCOMPARE(h.settings.Writes().size() - before, size_t(48));

        // Without the drawing window there is no running host.
        h.messages.answers.push_back(MsgAnswer::Discard); // the run's elements are not saved
        drawing->close();
        ui.Command7->click();
        QCOMPARE(h.messages.shown.back().title, std::string("Can't create object"));
        QCOMPARE(h.messages.shown.back().text,
                 std::string("Microstation is not running! Start Microstation and try again!"));
        ui.Command3->click();
        QCOMPARE(h.messages.shown.back().title, std::string("Can't create object"));
        QVERIFY(h.messages.shown.back().text.rfind("Microstation is not running!\r\rIf running on Vista",
                                                   0) == 0);
        QCOMPARE(d.Groups().size(), size_t(1));
        // The menu offers it again.
        w->findChild<QAction*>("M_Drawing")->trigger();
        QVERIFY(drawing->isVisible());
    }

    void quitDuringARunStopsIt()
    {
        Harness h;
        auto w = Started(h);
        auto& ui = w->Form();
        QVERIFY(viewtest::ClickExamplePath(*w->Session().DrawingWindow()));
        ui.Command7->click();
        ui.txt_Speed->setText("0");
        QSignalSpy unloaded(w.get(), &app::frmVehicleTurning::Unloaded);
        // Quit asks about the drawing the run is drawing into first; Discard lets it end.
        h.messages.answers.push_back(MsgAnswer::Discard);
        RunProbe probe(10, [&] { ui.Command2->click(); });
        ui.Command3->click();
        QCOMPARE(static_cast<int>(w->Session().Results().Stop), static_cast<int>(StopReason::StopRequest));
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(!w->Session().Running());
        QCOMPARE(h.messages.shown.back().buttons, MsgButtons::SaveDiscardCancel);
    }

    void cancelledQuitLeavesTheRunGoing()
    {
        Harness h;
        auto w = Started(h);
        auto& ui = w->Form();
        QVERIFY(viewtest::ClickExamplePath(*w->Session().DrawingWindow()));
        ui.Command7->click();
        ui.txt_Speed->setText("0");
        QSignalSpy unloaded(w.get(), &app::frmVehicleTurning::Unloaded);
        int asked = -1;
        h.messages.answers.push_back(MsgAnswer::Cancel);
        RunProbe probe(10, [&] {
            ui.Command2->click();
            asked = static_cast<int>(h.messages.shown.size());
        });
        ui.Command3->click();
        QCOMPARE(asked, 1);
        QCOMPARE(h.messages.shown[0].buttons, MsgButtons::SaveDiscardCancel);
        QCOMPARE(h.messages.shown[0].title, std::string("Velrok drawing"));
        QCOMPARE(static_cast<int>(w->Session().Results().Stop), static_cast<int>(StopReason::None));
        QCOMPARE(unloaded.count(), 0);
        QVERIFY(w->isVisible());
        QVERIFY(!w->Run().StopRequested());
        QVERIFY(w->Session().DrawingWindow()->IsModified());

        // Closing by the window frame asks as well; Save writes the drawing and then the program ends.
        QTemporaryDir dir;
        const std::string saved = (dir.path() + "/kept.dxf").toStdString();
        w->Session().DrawingWindow()->SetSavePathChooser([&] { return saved; });
        h.messages.answers.push_back(MsgAnswer::Save);
        w->close();
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(QFileInfo::exists(QString::fromStdString(saved)));
        QVERIFY(!w->Session().DrawingWindow()->IsModified());
    }

    void addPathShowsTheLengthAndMarksTheStart()
    {
        Harness h;
        auto w = Started(h);
        app::frmDrawing* drawing = w->Session().DrawingWindow();
        const uint64_t edits = drawing->Drawing()->EditRevision();
        QVERIFY(viewtest::ClickExamplePath(*drawing));
        w->Form().Command7->click();
        const QString panel1 = w->Status().Panel(1)->text();
        QVERIFY2(panel1.startsWith("Path length: "), qPrintable(panel1));
        QVERIFY2(panel1.contains(','), qPrintable(panel1)); // the harness's decimal comma
        const auto& marker = drawing->MarkerOverlay()->Marker();
        QVERIFY(marker.has_value());
        QVERIFY(marker->length > 10.0);
        QCOMPARE(panel1, QString::fromStdString(host::PathLengthText(marker->length, ',')));
        QVERIFY(drawing->MarkerOverlay()->isVisible());
        // The mark is no element: the drawing is as unchanged as before, nothing to save.
        QCOMPARE(drawing->Drawing()->EditRevision(), edits);
        QVERIFY(!drawing->IsModified());

        // After a run the panels hold no "busy" text; panel 2 the report.
        w->Form().txt_Speed->setText("0");
        w->Form().Check2->setChecked(true);
        w->Form().Command3->click();
        QCOMPARE(w->Status().Panel(2)->text(), QString::fromStdString(w->Session().Results().Report));
        QCOMPARE(w->Status().Panel(1)->text(), QString());
    }
};

std::unique_ptr<QObject> MakeMainWindowSessionTest()
{
    return std::make_unique<MainWindowSessionTest>();
}

#include "MainWindowSessionTest.moc"
