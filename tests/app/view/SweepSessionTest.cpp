// The main window's session over the drawing window: the example drawing at start-up, the
// diagrams placed in the picture frames, the locked controls during a run, a stop request
// ending the run, the style form, and 429 once the drawing window is closed.
#include "app/drawing/SweepSession.h"
#include "app/results/ConflictTable.h"
#include "app/styles/frmVehicleTurningSettings.h"
#include "fakes/RecordingServices.h"
#include "host/DxfReader.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

using namespace velrok;
using namespace velrok::app;

namespace {

// Pumps Qt's events at every yield and lets a test look at the window in the middle of a run.
class ProbingRunControl : public testing::FakeRunControl {
  public:
    void Yield() override
    {
        testing::FakeRunControl::Yield();
        QApplication::processEvents();
        if (probe && yields == probeAtYield)
            probe();
    }
    int probeAtYield = 50;
    std::function<void()> probe;
};

// Every reading is a millisecond later, so the run yields at a steady pace however fast it is.
class SteppingClock : public SweepClock {
  public:
    std::string NowYYMMDDhhmmss() const override { return "261208150000"; }
    double MonotonicMs() const override { return m_ms += 1.0; }

  private:
    mutable double m_ms = 0.0;
};

struct MainWindowStandIn {
    QWidget window;
    QFrame* picture3 = new QFrame(&window);
    QFrame* picture2 = new QFrame(&window);
    QPushButton* command3 = new QPushButton("&Execute", &window);
    QPushButton* command7 = new QPushButton("&Aj. Chem", &window);
    QAction* settingsColor = new QAction("Affichage Girat", &window);
    testing::RecordingMessages messages;
    testing::RecordingStatus status;
    ProbingRunControl run;
    MemorySettingsStore settings;
    std::string progId = host::kStandardProgId;
    SteppingClock clock;
    SweepSession session{SweepSessionServices{messages, status, run, settings, progId, ',', &clock}, picture3,
                         picture2, &window};

    MainWindowStandIn()
    {
        picture3->resize(500, 300);
        picture2->resize(500, 300);
        session.LockDuringRun(command3);
        session.LockDuringRun(command7);
        session.LockDuringRun(settingsColor);
    }

    bool PickExamplePath()
    {
        auto& d = *session.DrawingWindow()->Drawing();
        const auto paths = host::PathElementsOnLevel(d, "VehiclePath");
        if (paths.size() != 1)
            return false;
        d.UnselectAllElements();
        d.Select(paths[0]);
        return session.AddPath();
    }

    SweepInputs Semitrailer() const
    {
        SweepInputs inputs;
        inputs.VType = 2;
        inputs.txt_Speed = "0";
        return inputs;
    }
};

} // namespace

class SweepSessionTest : public QObject {
    Q_OBJECT

  private slots:
    void opensTheExampleAndRunsWithDiagramsInThePictures()
    {
        if (FindExampleDrawing(QCoreApplication::applicationDirPath().toStdString()).empty())
            QSKIP("no example drawing");
        MainWindowStandIn w;
        w.session.ShowDrawingWindow();
        frmDrawing* drawing = w.session.DrawingWindow();
        QVERIFY(drawing->isVisible());
        QCOMPARE(drawing->windowTitle(), QString("roundabout.dxf - Velrok drawing"));
        QCOMPARE(w.session.AngleDiagram()->parentWidget(), static_cast<QWidget*>(w.picture3));
        QCOMPARE(w.session.SpeedDiagram()->parentWidget(), static_cast<QWidget*>(w.picture2));
        QVERIFY(w.PickExamplePath());

        bool lockedInRun = false, secondExecuteRefused = false;
        w.run.probe = [&] {
            lockedInRun =
                !w.command3->isEnabled() && !w.command7->isEnabled() && !w.settingsColor->isEnabled();
            secondExecuteRefused = !w.session.Execute(w.Semitrailer());
        };
        QVERIFY(w.session.Execute(w.Semitrailer()));
        qInfo("yields during the run: %d", w.run.yields);
        QVERIFY(lockedInRun);
        QVERIFY(secondExecuteRefused);
        QVERIFY(w.command3->isEnabled() && w.command7->isEnabled() && w.settingsColor->isEnabled());
        QCOMPARE(static_cast<int>(w.session.Results().Stop), static_cast<int>(StopReason::None));
        QCOMPARE(w.status.panel2, w.session.Results().Report);
        QCOMPARE(drawing->Drawing()->Groups().size(), size_t(1));
        QVERIFY(w.session.AngleDiagram()->Picture().xMax > 50.0);

        // Export results as DXF writes the run alone: its group's elements and nothing of the road.
        const QString results = QDir(QDir::tempPath()).filePath("velrok-session-results.dxf");
        QVERIFY(drawing->ExportResultsDxf(std::nullopt, results.toStdString()));
        const host::DxfImport back = host::ReadDxfFile(results.toStdString());
        QVERIFY2(back.ok(), back.error.c_str());
        QCOMPARE(back.drawing->Groups().size(), size_t(1));
        QCOMPARE(back.drawing->ModelElements().size(), drawing->Drawing()->Groups().front().members.size());
        QVERIFY(host::PathElementsOnLevel(*back.drawing, "VehiclePath").empty());
        QFile::remove(results);

        // The style form lists the drawing's levels, the run's among them.
        w.session.ShowStyleForm();
        QVERIFY(w.session.StyleForm()->isVisible());
        QVERIFY(!w.session.StyleForm()->LoadError().has_value());
        QComboBox* levels = w.session.StyleForm()->Combo(StyleColumn::Level, 0);
        QStringList names;
        for (int i = 0; i < levels->count(); ++i)
            names << levels->itemText(i);
        QVERIFY2(names.contains("Velrok_Vehicle"), qPrintable(names.join(",")));

        w.messages.answers.push_back(MsgAnswer::Discard); // the run's elements are not saved
        drawing->close();
        QVERIFY(!w.session.AddPath());
        QCOMPARE(w.messages.shown.back().text,
                 std::string("Microstation is not running! Start Microstation and try again!"));
        // Offered again, the window registers once more.
        w.session.ShowDrawingWindow();
        QVERIFY(w.PickExamplePath());
    }

    void conflictsOfARunFillTheTableAndTheNextRunEmptiesIt()
    {
        if (FindExampleDrawing(QCoreApplication::applicationDirPath().toStdString()).empty())
            QSKIP("no example drawing");
        MainWindowStandIn w;
        w.session.ShowDrawingWindow();
        frmDrawing* drawing = w.session.DrawingWindow();
        QVERIFY(w.PickExamplePath());
        // The path runs under the middle of the body, so as an obstacle it is met at once.
        w.settings.Set("ObstacleLevels", "VehiclePath");
        QVERIFY(w.session.Execute(w.Semitrailer()));
        QVERIFY(!w.session.Results().Conflicts.conflicts.empty());
        const auto& rows = drawing->Conflicts()->Rows();
        QCOMPARE(rows.size(), w.session.Results().Conflicts.conflicts.size());
        QCOMPARE(rows.front().kind, std::string("obstacle"));
        QVERIFY(rows.front().minX <= rows.front().maxX);

        w.settings.Set("ObstacleLevels", "");
        QVERIFY(w.PickExamplePath());
        QVERIFY(w.session.Execute(w.Semitrailer()));
        QVERIFY(drawing->Conflicts()->Rows().empty());
        w.messages.answers.push_back(MsgAnswer::Discard);
        drawing->close();
    }

    void stopRequestEndsTheRunAndUnlocks()
    {
        if (FindExampleDrawing(QCoreApplication::applicationDirPath().toStdString()).empty())
            QSKIP("no example drawing");
        MainWindowStandIn w;
        w.session.ShowDrawingWindow();
        QVERIFY(w.PickExamplePath());
        w.run.probeAtYield = 20;
        w.run.probe = [&] { w.run.stop = true; }; // what Quit does
        w.session.Execute(w.Semitrailer());
        QCOMPARE(static_cast<int>(w.session.Results().Stop), static_cast<int>(StopReason::StopRequest));
        QVERIFY(w.command3->isEnabled());
        QVERIFY(!w.session.Running());
    }
};

std::unique_ptr<QObject> MakeSweepSessionTest()
{
    return std::make_unique<SweepSessionTest>();
}

#include "SweepSessionTest.moc"
